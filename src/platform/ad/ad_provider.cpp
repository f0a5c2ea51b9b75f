// The Active Directory provider: the domain and its controllers, a Kerberos
// (GSSAPI) bind to each controller in parallel, and the user's attributes.
#include "platform/ad/ad_provider.h"

#include <ldap.h>
#include <sasl/sasl.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/ad/ad_kerberos.h"
#include "platform/ad/ad_values.h"
#include "report/account_path.h"

namespace tramsel {
namespace {

// What one controller said: the user's attributes, no such user, or why it
// could not be asked.
struct DcOutcome {
    enum class State { Failed, NotFound, Found } state = State::Failed;
    ad::DcAnswer answer;
    std::string error;
};

class AdAccount final : public DirectoryObject {
public:
    explicit AdAccount(ad::MergedUsage usage) : usage(usage) {}
    ad::MergedUsage usage;
};

// A controller answers within this many seconds per step, or not at all.
constexpr time_t kStepSeconds = 3;
constexpr std::size_t kMaxControllers = 48;

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; });
    return text;
}

std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

// SASL's questions under LDAP_SASL_QUIET: GSSAPI asks at most for an
// authorization identity, and gets the default (none).
int answerSasl(LDAP *, unsigned, void *, void *prompts)
{
    for (auto *prompt = static_cast<sasl_interact_t *>(prompts); prompt->id != SASL_CB_LIST_END; ++prompt) {
        const char *answer = prompt->defresult ? prompt->defresult : "";
        prompt->result = answer;
        prompt->len = static_cast<unsigned>(std::strlen(answer));
    }
    return LDAP_SUCCESS;
}

struct LdapCloser {
    void operator()(LDAP *ld) const { ldap_unbind_ext_s(ld, nullptr, nullptr); }
};
struct MessageFreer {
    void operator()(LDAPMessage *message) const { ldap_msgfree(message); }
};
using Connection = std::unique_ptr<LDAP, LdapCloser>;
using Message = std::unique_ptr<LDAPMessage, MessageFreer>;

std::string ldapError(LDAP *ld, int rc)
{
    std::string text = ldap_err2string(rc);
    char *diagnostic = nullptr;
    if (ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diagnostic) == LDAP_OPT_SUCCESS && diagnostic) {
        if (*diagnostic)
            text += std::string(" (") + diagnostic + ")";
        ldap_memfree(diagnostic);
    }
    return oneLine(text);
}

// A search sent without waiting for its answer: its message id, or -1.
int startSearch(LDAP *ld, const std::string &base, int scope, const std::string &filter,
                std::vector<const char *> attributes, int sizeLimit = 0)
{
    attributes.push_back(nullptr);
    timeval limit{kStepSeconds, 0};
    int id = -1;
    if (ldap_search_ext(ld, base.c_str(), scope, filter.c_str(), const_cast<char **>(attributes.data()), 0,
                        nullptr, nullptr, &limit, sizeLimit, &id) != LDAP_SUCCESS)
        return -1;
    return id;
}

// The entries of a search sent with startSearch(); rc is its result code.
Message collect(LDAP *ld, int id, int &rc)
{
    rc = LDAP_OTHER;
    if (id < 0)
        return nullptr;
    timeval limit{kStepSeconds, 0};
    LDAPMessage *result = nullptr;
    const int type = ldap_result(ld, id, LDAP_MSG_ALL, &limit, &result);
    Message message(result);
    // All of the search: entries, references, then the result that
    // ldap_parse_result finds at the end.
    if (type == 0)
        rc = LDAP_TIMEOUT;
    else if (type < 0 || ldap_parse_result(ld, result, &rc, nullptr, nullptr, nullptr, nullptr, 0) != LDAP_SUCCESS)
        ldap_get_option(ld, LDAP_OPT_RESULT_CODE, &rc);
    return message;
}

Message search(LDAP *ld, const std::string &base, int scope, const std::string &filter,
               std::vector<const char *> attributes, int &rc)
{
    return collect(ld, startSearch(ld, base, scope, filter, std::move(attributes)), rc);
}

std::optional<std::string> text(LDAP *ld, LDAPMessage *entry, const char *attribute)
{
    berval **values = ldap_get_values_len(ld, entry, attribute);
    if (!values)
        return std::nullopt;
    std::optional<std::string> value;
    if (values[0])
        value.emplace(values[0]->bv_val, values[0]->bv_len);
    ldap_value_free_len(values);
    return value;
}

std::optional<std::int64_t> number(LDAP *ld, LDAPMessage *entry, const char *attribute)
{
    const auto value = text(ld, entry, attribute);
    if (!value)
        return std::nullopt;
    std::int64_t n = 0;
    const char *end = value->data() + value->size();
    const auto [stop, error] = std::from_chars(value->data(), end, n);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return n;
}

// One attribute of one object, read by its distinguished name.
std::optional<std::int64_t> objectNumber(LDAP *ld, const std::string &dn, const char *attribute)
{
    int rc = 0;
    const Message result = search(ld, dn, LDAP_SCOPE_BASE, "(objectClass=*)", {attribute}, rc);
    LDAPMessage *entry = rc == LDAP_SUCCESS ? ldap_first_entry(ld, result.get()) : nullptr;
    return entry ? number(ld, entry, attribute) : std::nullopt;
}

std::string namingContextOf(const std::string &dnsDomain)
{
    std::string dn;
    std::size_t start = 0;
    while (start < dnsDomain.size()) {
        const auto dot = std::min(dnsDomain.find('.', start), dnsDomain.size());
        dn += (dn.empty() ? "DC=" : ",DC=") + dnsDomain.substr(start, dot - start);
        start = dot + 1;
    }
    return dn;
}

DcOutcome askController(const std::string &uri, const std::string &dnsDomain, const std::string &user)
{
    DcOutcome outcome;
    LDAP *raw = nullptr;
    if (ldap_initialize(&raw, uri.c_str()) != LDAP_SUCCESS || !raw) {
        outcome.error = "not an LDAP URI";
        return outcome;
    }
    const Connection ld(raw);
    const int version = LDAP_VERSION3;
    const timeval step{kStepSeconds, 0};
    ldap_set_option(ld.get(), LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(ld.get(), LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    ldap_set_option(ld.get(), LDAP_OPT_NETWORK_TIMEOUT, &step);
    ldap_set_option(ld.get(), LDAP_OPT_TIMEOUT, &step);
    // The server's name as written, not what reverse DNS makes of it.
    ldap_set_option(ld.get(), LDAP_OPT_X_SASL_NOCANON, LDAP_OPT_ON);
    // AD wants signed LDAP; ask for sealing, and refuse anything less.
    if (ldap_set_option(ld.get(), LDAP_OPT_X_SASL_SECPROPS, "minssf=56") != LDAP_OPT_SUCCESS) {
        outcome.error = "SASL security properties refused";
        return outcome;
    }
    int rc = ldap_sasl_interactive_bind_s(ld.get(), nullptr, "GSSAPI", nullptr, nullptr, LDAP_SASL_QUIET,
                                          answerSasl, nullptr);
    if (rc != LDAP_SUCCESS) {
        outcome.error = ldapError(ld.get(), rc);
        return outcome;
    }

    // The naming context follows from the DNS name; only a NetBIOS name that
    // no configuration maps needs the controller's root DSE.
    std::string base = dnsDomain.empty() ? std::string() : namingContextOf(dnsDomain);
    if (base.empty()) {
        const Message root = search(ld.get(), "", LDAP_SCOPE_BASE, "(objectClass=*)", {"defaultNamingContext"}, rc);
        if (LDAPMessage *entry = rc == LDAP_SUCCESS ? ldap_first_entry(ld.get(), root.get()) : nullptr)
            base = text(ld.get(), entry, "defaultNamingContext").value_or(base);
    }
    if (base.empty()) {
        outcome.error = "no naming context";
        return outcome;
    }

    const std::string filter =
        "(&(objectCategory=person)(objectClass=user)(sAMAccountName=" + ad::escapeFilterValue(user) + "))";
    // The user and the domain's policy, asked together.
    const int userSearch = startSearch(ld.get(), base, LDAP_SCOPE_SUBTREE, filter,
                                       {"lastLogon", "lastLogonTimestamp", "lastLogoff", "badPwdCount",
                                        "badPasswordTime", "pwdLastSet", "userAccountControl",
                                        "msDS-UserPasswordExpiryTimeComputed", "msDS-ResultantPSO"},
                                       2);
    const int policySearch = startSearch(ld.get(), base, LDAP_SCOPE_BASE, "(objectClass=*)", {"maxPwdAge"});
    const Message found = collect(ld.get(), userSearch, rc);
    if (rc != LDAP_SUCCESS) {
        outcome.error = rc == LDAP_SIZELIMIT_EXCEEDED ? "more than one user of that name" : ldapError(ld.get(), rc);
        return outcome;
    }
    LDAPMessage *entry = ldap_first_entry(ld.get(), found.get());
    if (!entry) {
        outcome.state = DcOutcome::State::NotFound;
        return outcome;
    }
    ad::DcAnswer &a = outcome.answer;
    a.lastLogon = number(ld.get(), entry, "lastLogon");
    a.lastLogonTimestamp = number(ld.get(), entry, "lastLogonTimestamp");
    a.lastLogoff = number(ld.get(), entry, "lastLogoff");
    a.badPwdCount = number(ld.get(), entry, "badPwdCount");
    a.badPasswordTime = number(ld.get(), entry, "badPasswordTime");
    a.pwdLastSet = number(ld.get(), entry, "pwdLastSet");
    a.userAccountControl = number(ld.get(), entry, "userAccountControl");
    a.passwordExpiryComputed = number(ld.get(), entry, "msDS-UserPasswordExpiryTimeComputed");
    // A password settings object overrides the domain's policy; when it
    // cannot be read, the maximum age is unknown rather than the domain's.
    int policyRc = 0;
    const Message policy = collect(ld.get(), policySearch, policyRc);
    if (const auto pso = text(ld.get(), entry, "msDS-ResultantPSO"))
        a.maxPasswordAge = objectNumber(ld.get(), *pso, "msDS-MaximumPasswordAge");
    else if (LDAPMessage *domain = policyRc == LDAP_SUCCESS ? ldap_first_entry(ld.get(), policy.get()) : nullptr)
        a.maxPasswordAge = number(ld.get(), domain, "maxPwdAge");
    outcome.state = DcOutcome::State::Found;
    return outcome;
}

// Every controller at once; those that have not answered by the deadline
// are left to finish on their own and are not waited for.
std::vector<std::optional<DcOutcome>> askEveryController(const std::vector<std::string> &uris,
                                                         const std::string &dnsDomain,
                                                         const std::string &user,
                                                         std::chrono::milliseconds deadline)
{
    struct Round {
        std::mutex mutex;
        std::condition_variable done;
        std::vector<std::optional<DcOutcome>> outcomes;
        std::size_t pending = 0;
    };
    const auto round = std::make_shared<Round>();
    round->outcomes.resize(uris.size());
    round->pending = uris.size();
    // libldap's global state is set up once, before the threads share it.
    int version = 0;
    ldap_get_option(nullptr, LDAP_OPT_PROTOCOL_VERSION, &version);
    for (std::size_t i = 0; i < uris.size(); ++i) {
        std::thread([round, i, uri = uris[i], dnsDomain, user] {
            DcOutcome outcome = askController(uri, dnsDomain, user);
            const std::lock_guard lock(round->mutex);
            round->outcomes[i] = std::move(outcome);
            --round->pending;
            round->done.notify_all();
        }).detach();
    }
    std::unique_lock lock(round->mutex);
    round->done.wait_for(lock, deadline, [&] { return round->pending == 0; });
    return round->outcomes;
}

} // namespace

AdDirectoryProvider::AdDirectoryProvider(Options options) : options_(std::move(options))
{
    if (const char *config = std::getenv("KRB5_CONFIG"); config && *config) {
        const std::string_view files = config;
        options_.config.krb5Conf = std::string(files.substr(0, files.find(':')));
    }
    // localtime_r, unlike localtime, need not look at TZ again.
    ::tzset();
}

Binding AdDirectoryProvider::bind(std::string_view path)
{
    const auto fail = [](std::string reason) { return Binding{nullptr, std::move(reason), {}}; };
    const auto account = parseAccountPath(path);
    if (!account || account->domain.empty())
        return fail("not a domain account");

    const auto dnsDomain = ad::dnsDomainFor(account->domain, ad::readConfig(options_.config));
    if (!dnsDomain && options_.servers.empty())
        return fail("no DNS domain known for " + upper(account->domain)
                    + ": set realm in smb.conf, or name a domain controller with --server");
    const std::string realm = upper(dnsDomain.value_or(account->domain));
    if (std::string problem = ad::kerberosProblem(realm); !problem.empty() && !ad::useMachineTicket(realm))
        return fail(std::move(problem));

    std::vector<std::string> uris = options_.servers;
    if (uris.empty())
        uris = ad::domainControllersFromDns(*dnsDomain);
    // One thread per controller: a domain with hundreds asks the first few
    // dozen (DNS lists them by priority).
    if (uris.size() > kMaxControllers)
        uris.resize(kMaxControllers);
    if (uris.empty())
        return fail("no domain controller found in DNS for " + *dnsDomain
                    + " (_ldap._tcp.dc._msdcs." + *dnsDomain + "); name one with --server");

    // A peer closing the connection must fail the write, not end the program.
    std::signal(SIGPIPE, SIG_IGN);

    const auto outcomes = askEveryController(uris, dnsDomain.value_or(""), account->user, options_.deadline);
    std::vector<ad::DcAnswer> answers;
    bool someoneAnswered = false;
    std::string errors;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const auto &outcome = outcomes[i];
        if (outcome && outcome->state == DcOutcome::State::Found)
            answers.push_back(outcome->answer);
        if (outcome && outcome->state != DcOutcome::State::Failed)
            someoneAnswered = true;
        if (!outcome || outcome->state == DcOutcome::State::Failed)
            errors += (errors.empty() ? "" : "; ") + uris[i] + ": "
                + (outcome ? outcome->error : "no answer in time");
    }
    if (!answers.empty())
        return {new AdAccount(ad::mergeAnswers(answers)), {}, {}};
    if (someoneAnswered)
        return fail("no user " + account->user + " in " + (dnsDomain ? *dnsDomain : realm));
    return fail("no domain controller answered: " + errors);
}

std::optional<PropertyValue> AdDirectoryProvider::get(DirectoryObject &object, std::string_view name)
{
    const auto *account = dynamic_cast<AdAccount *>(&object);
    if (!account)
        return std::nullopt;
    return ad::usageProperty(account->usage, name);
}

void AdDirectoryProvider::release(DirectoryObject *object)
{
    delete object;
}

} // namespace tramsel
