// Finding an Active Directory domain: its DNS name from this machine's
// configuration, and its domain controllers from DNS.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tramsel::ad {

// Where this machine's configuration lives; tests point these elsewhere.
struct ConfigFiles {
    std::string smbConf = "/etc/samba/smb.conf";
    std::string sssdConf = "/etc/sssd/sssd.conf";
    std::string krb5Conf = "/etc/krb5.conf";  // KRB5_CONFIG's first file when set
};

// The texts of those files; a missing file is empty text.
struct ConfigTexts {
    std::string smbConf;
    std::string sssdConf;
    std::string krb5Conf;
};

ConfigTexts readConfig(const ConfigFiles &files);

// The DNS name (lower case) of the domain the user typed: a name with a dot
// is one already; a NetBIOS name is looked up in smb.conf (workgroup and
// realm), then in sssd.conf's domains, then as krb5.conf's default realm
// (the last two by the first label of their DNS name). Nothing when no file
// names it. Reads no network.
std::optional<std::string> dnsDomainFor(std::string_view domain, const ConfigTexts &config);

// The DNS name of a domain naming context ("DC=sales,DC=test": "sales.test").
std::string dnsNameOf(std::string_view namingContext);

// Why a controller that serves the domain `servedDns` (NetBIOS name
// `servedNetbios`) cannot answer for the domain the user typed (a DNS name
// when it has a dot, else a NetBIOS name): "dc1.sales.test serves SALES,
// not OTHER". Empty when it is that domain; names compare without case.
std::string domainMismatch(std::string_view host, std::string_view typed, std::string_view servedDns,
                           std::string_view servedNetbios);

// The text with its ASCII letters in upper case, as domain names compare.
std::string upper(std::string_view text);

// Whether the text can be a DNS host name (letters, digits, hyphens, dots).
bool isHostName(std::string_view name);

} // namespace tramsel::ad
