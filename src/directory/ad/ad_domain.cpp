// The domain's DNS name from smb.conf, sssd.conf and krb5.conf, and its
// controllers from DNS SRV records.
#include "directory/ad/ad_domain.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace tramsel::ad {
namespace {

std::string lower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
    return result;
}


std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

struct IniValue {
    std::string section;  // lower case
    std::string key;      // lower case
    std::string value;
};

// The "key = value" lines of an INI-style file (smb.conf, sssd.conf,
// krb5.conf's top level) with their section; krb5.conf's { } blocks are
// skipped, since only [libdefaults] is read from it.
std::vector<IniValue> iniValues(std::string_view text)
{
    std::vector<IniValue> values;
    std::string section;
    int depth = 0;
    std::istringstream lines{std::string(text)};
    for (std::string raw; std::getline(lines, raw);) {
        const std::string_view line = trimmed(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line.back() == '{')
            ++depth;
        if (line[0] == '}' && depth > 0)
            --depth;
        if (depth > 0 || line[0] == '}')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = lower(trimmed(line.substr(1, line.size() - 2)));
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        values.push_back({section, lower(trimmed(line.substr(0, equals))),
                          std::string(trimmed(line.substr(equals + 1)))});
    }
    return values;
}

std::string firstLabel(std::string_view name)
{
    return lower(name.substr(0, name.find('.')));
}

std::string readFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A DNS name safe to put into an LDAP URI.

} // namespace

std::string upper(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; });
    return result;
}

bool isHostName(std::string_view name)
{
    return !name.empty() && name.size() <= 253 && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '-' || c == '.' || c == '_';
    });
}

ConfigTexts readConfig(const ConfigFiles &files)
{
    return {readFile(files.smbConf), readFile(files.sssdConf), readFile(files.krb5Conf)};
}

std::optional<std::string> dnsDomainFor(std::string_view domain, const ConfigTexts &config)
{
    if (domain.find('.') != std::string_view::npos)
        return lower(domain);
    const std::string netbios = lower(domain);

    std::string workgroup, realm;
    for (const IniValue &v : iniValues(config.smbConf)) {
        if (v.section == "global" && v.key == "workgroup")
            workgroup = lower(v.value);
        if (v.section == "global" && v.key == "realm")
            realm = lower(v.value);
    }
    if (workgroup == netbios && !realm.empty())
        return realm;

    // sssd: [domain/NAME] with ad_domain or krb5_realm; the section's own
    // name may be the NetBIOS name or the DNS name.
    for (const IniValue &v : iniValues(config.sssdConf)) {
        if (!v.section.starts_with("domain/") || (v.key != "ad_domain" && v.key != "krb5_realm"))
            continue;
        const std::string name = v.section.substr(7);
        if (name == netbios || firstLabel(v.value) == netbios)
            return lower(v.value);
    }
    for (const IniValue &v : iniValues(config.sssdConf))
        if (v.section.starts_with("domain/") && v.section.find('.') != std::string::npos
            && firstLabel(v.section.substr(7)) == netbios)
            return v.section.substr(7);

    for (const IniValue &v : iniValues(config.krb5Conf))
        if (v.section == "libdefaults" && v.key == "default_realm" && firstLabel(v.value) == netbios)
            return lower(v.value);
    return std::nullopt;
}

std::string dnsNameOf(std::string_view namingContext)
{
    std::string name;
    while (!namingContext.empty()) {
        const auto comma = std::min(namingContext.find(','), namingContext.size());
        const std::string_view part = trimmed(namingContext.substr(0, comma));
        if (part.size() > 3 && lower(part.substr(0, 3)) == "dc=") {
            if (!name.empty())
                name += '.';
            name += lower(part.substr(3));
        }
        namingContext.remove_prefix(std::min(comma + 1, namingContext.size()));
    }
    return name;
}

std::string domainMismatch(std::string_view host, std::string_view typed, std::string_view servedDns,
                           std::string_view servedNetbios)
{
    const bool dns = typed.find('.') != std::string_view::npos;
    const std::string served = dns ? lower(servedDns) : upper(servedNetbios);
    const std::string asked = dns ? lower(typed) : upper(typed);
    if (served == asked)
        return {};
    return std::string(host) + " serves " + (served.empty() ? std::string("another domain") : served) + ", not "
        + asked;
}

} // namespace tramsel::ad
