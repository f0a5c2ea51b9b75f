// A session with one domain controller: connect, GSSAPI bind, searches one
// entry or a page at a time, and the socket shut from another thread.
#include "directory/ad/openldap/ldap_session.h"

#include <arpa/inet.h>
#include <ldap.h>
#include <sasl/sasl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "directory/ad/ad_values.h"

namespace tramsel::ad {
namespace {

struct MessageFreer {
    void operator()(LDAPMessage *message) const { ldap_msgfree(message); }
};
using Message = std::unique_ptr<LDAPMessage, MessageFreer>;

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

timeval timeLimit(std::chrono::steady_clock::duration left)
{
    const auto micros = std::max<std::int64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(left).count(), 1);
    return {static_cast<time_t>(micros / 1'000'000), static_cast<suseconds_t>(micros % 1'000'000)};
}

// A TLS context of the handle's own that demands a trusted certificate.
// A handle starts with no CA names of its own (only libldap's shared
// context), so the ones ldap.conf and LDAPTLS_CACERT gave are copied over.
bool verifyingTls(LDAP *ld)
{
    for (const int option : {LDAP_OPT_X_TLS_CACERTFILE, LDAP_OPT_X_TLS_CACERTDIR}) {
        char *value = nullptr;
        if (ldap_get_option(nullptr, option, &value) == LDAP_OPT_SUCCESS && value) {
            const int rc = ldap_set_option(ld, option, value);
            ldap_memfree(value);
            if (rc != LDAP_OPT_SUCCESS)
                return false;
        }
    }
    const int demand = LDAP_OPT_X_TLS_DEMAND, client = 0;
    return ldap_set_option(ld, LDAP_OPT_X_TLS_REQUIRE_CERT, &demand) == LDAP_OPT_SUCCESS
        && ldap_set_option(ld, LDAP_OPT_X_TLS_NEWCTX, &client) == LDAP_OPT_SUCCESS;
}

} // namespace

std::optional<std::string> LdapEntry::text(const char *attribute) const
{
    berval **values = ldap_get_values_len(ld_, entry_, attribute);
    if (!values)
        return std::nullopt;
    std::optional<std::string> value;
    if (values[0])
        value.emplace(values[0]->bv_val, values[0]->bv_len);
    ldap_value_free_len(values);
    return value;
}

std::optional<std::int64_t> LdapEntry::number(const char *attribute) const
{
    const auto value = text(attribute);
    return value ? integerValue(*value) : std::nullopt;
}

std::string LdapEntry::dn() const
{
    char *dn = ldap_get_dn(ld_, entry_);
    std::string text = dn ? dn : "";
    ldap_memfree(dn);
    return text;
}

std::string uriHost(const std::string &uri)
{
    LDAPURLDesc *parts = nullptr;
    if (ldap_url_parse(uri.c_str(), &parts) != LDAP_URL_SUCCESS || !parts)
        return uri;
    std::string host = parts->lud_host && *parts->lud_host ? parts->lud_host : uri;
    ldap_free_urldesc(parts);
    return host;
}

ControllerSession::ControllerSession(std::string uri, std::chrono::seconds stepLimit)
    : uri_(std::move(uri)), host_(uriHost(uri_)), stepLimit_(stepLimit)
{
}

ControllerSession::~ControllerSession()
{
    if (ld_)
        ldap_unbind_ext_s(ld_, nullptr, nullptr);
}

// libldap calls these as it opens and before it closes a connection: the
// socket interrupt() shuts is known only while it is open.
int ControllerSession::connected(LDAP *, Sockbuf *sb, LDAPURLDesc *, sockaddr *, ldap_conncb *callbacks)
{
    auto *session = static_cast<ControllerSession *>(callbacks->lc_arg);
    const std::lock_guard lock(session->mutex_);
    ber_socket_t fd = -1;
    ber_sockbuf_ctrl(sb, LBER_SB_OPT_GET_FD, &fd);
    session->socket_ = fd;
    if (session->interrupted_ && fd >= 0)
        ::shutdown(fd, SHUT_RDWR);
    return 0;
}

void ControllerSession::closing(LDAP *, Sockbuf *, ldap_conncb *callbacks)
{
    auto *session = static_cast<ControllerSession *>(callbacks->lc_arg);
    const std::lock_guard lock(session->mutex_);
    session->socket_ = -1;
}

void ControllerSession::interrupt()
{
    const std::lock_guard lock(mutex_);
    interrupted_ = true;
    if (socket_ >= 0)
        ::shutdown(socket_, SHUT_RDWR);
}

bool ControllerSession::interrupted()
{
    const std::lock_guard lock(mutex_);
    return interrupted_;
}

std::string ControllerSession::failure(int rc) const
{
    std::string text = ldap_err2string(rc);
    char *diagnostic = nullptr;
    if (ld_ && ldap_get_option(ld_, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diagnostic) == LDAP_OPT_SUCCESS && diagnostic) {
        if (*diagnostic && std::string_view(diagnostic) != "(unknown error code)")
            text += std::string(" (") + diagnostic + ")";
        ldap_memfree(diagnostic);
    }
    if (rc == LDAP_SERVER_DOWN && tls_)
        text += ", or its certificate is not trusted (LDAPTLS_CACERT names a CA file)";
    return oneLine(text);
}

std::string ControllerSession::open()
{
    if (ldap_initialize(&ld_, uri_.c_str()) != LDAP_SUCCESS || !ld_) {
        ld_ = nullptr;
        return "not an LDAP URI";
    }
    const int version = LDAP_VERSION3;
    const timeval step{static_cast<time_t>(stepLimit_.count()), 0};
    // A controller that takes longer to accept a connection is not there.
    const timeval connecting{static_cast<time_t>(std::min<std::int64_t>(stepLimit_.count(), 5)), 0};
    ldap_set_option(ld_, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(ld_, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    ldap_set_option(ld_, LDAP_OPT_NETWORK_TIMEOUT, &connecting);
    ldap_set_option(ld_, LDAP_OPT_TIMEOUT, &step);
    // The server's name as written, not what reverse DNS makes of it.
    ldap_set_option(ld_, LDAP_OPT_X_SASL_NOCANON, LDAP_OPT_ON);
    callbacks_ = std::make_unique<ldap_conncb>(ldap_conncb{connected, closing, this});
    ldap_set_option(ld_, LDAP_OPT_CONNECT_CB, callbacks_.get());
    // AD wants signed LDAP: over ldap://, ask for sealing and refuse anything
    // less. Inside TLS it refuses a SASL layer, and TLS protects the
    // connection instead, with the server's certificate always verified
    // (whatever ldap.conf or LDAPTLS_REQCERT say).
    tls_ = uri_.size() >= 8 && std::equal(uri_.begin(), uri_.begin() + 8, "ldaps://", [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
    if (tls_ && !verifyingTls(ld_))
        return "TLS cannot be set up";
    if (ldap_set_option(ld_, LDAP_OPT_X_SASL_SECPROPS, tls_ ? "minssf=0,maxssf=0" : "minssf=56") != LDAP_OPT_SUCCESS)
        return "SASL security properties refused";
    if (interrupted())
        return "no answer in time";
    const int rc = ldap_sasl_interactive_bind_s(ld_, nullptr, "GSSAPI", nullptr, nullptr, LDAP_SASL_QUIET,
                                                answerSasl, nullptr);
    if (rc == LDAP_SUCCESS)
        return {};
    // GSSAPI asks the KDC for a ticket to ldap/HOST: no KDC knows an address.
    in6_addr address;
    if (::inet_pton(AF_INET, host_.c_str(), &address) == 1 || ::inet_pton(AF_INET6, host_.c_str(), &address) == 1)
        return failure(rc) + "; Kerberos needs the controller's host name, not its address";
    // Samba's default refuses a bind inside TLS without a layer, and refuses
    // a layer there too: only ldap:// is left.
    if (rc == LDAP_STRONG_AUTH_REQUIRED && tls_)
        return failure(rc) + "; this controller takes no Kerberos bind inside TLS: ask it over ldap://, sealed "
               "(Samba takes one with 'ldap server require strong auth = allow_sasl_over_tls')";
    return failure(rc);
}

Lookup ControllerSession::findOne(const std::string &base, bool onlyBase, const std::string &filter,
                                  const std::vector<const char *> &attributes,
                                  const std::function<void(const Entry &)> &found, std::string &error)
{
    std::vector<const char *> names = attributes;
    names.push_back(nullptr);
    timeval limit = timeLimit(stepLimit_);
    int id = -1;
    int rc = ldap_search_ext(ld_, base.c_str(), onlyBase ? LDAP_SCOPE_BASE : LDAP_SCOPE_SUBTREE, filter.c_str(),
                             const_cast<char **>(names.data()), 0, nullptr, nullptr, &limit, onlyBase ? 0 : 2, &id);
    LDAPMessage *raw = nullptr;
    const int type = rc == LDAP_SUCCESS ? ldap_result(ld_, id, LDAP_MSG_ALL, &limit, &raw) : -1;
    const Message result(raw);
    // All of the search: entries, references, then the result that
    // ldap_parse_result finds at the end.
    if (type == 0)
        rc = LDAP_TIMEOUT;
    else if (type < 0 || ldap_parse_result(ld_, raw, &rc, nullptr, nullptr, nullptr, nullptr, 0) != LDAP_SUCCESS)
        ldap_get_option(ld_, LDAP_OPT_RESULT_CODE, &rc);
    if (rc != LDAP_SUCCESS) {
        error = rc == LDAP_SIZELIMIT_EXCEEDED ? "more than one entry matches" : failure(rc);
        return rc == LDAP_NO_SUCH_OBJECT ? Lookup::NoSuchBase : Lookup::Failed;
    }
    LDAPMessage *entry = ldap_first_entry(ld_, raw);
    if (!entry)
        return Lookup::NotFound;
    found(LdapEntry(ld_, entry));
    return Lookup::Found;
}

std::string ControllerSession::forEach(const std::string &base, const std::string &filter,
                                       const std::vector<const char *> &attributes,
                                       const std::function<void(const Entry &)> &each)
{
    std::vector<const char *> names = attributes;
    names.push_back(nullptr);
    std::string cookie;
    do {
        const auto pageEnds = std::chrono::steady_clock::now() + stepLimit_;
        berval cookieValue{static_cast<ber_len_t>(cookie.size()), cookie.data()};
        LDAPControl *page = nullptr;
        if (ldap_create_page_control(ld_, kPageSize, cookie.empty() ? nullptr : &cookieValue, 1, &page)
            != LDAP_SUCCESS)
            return "cannot ask for pages";
        LDAPControl *controls[] = {page, nullptr};
        timeval limit = timeLimit(stepLimit_);
        int id = -1;
        int rc = ldap_search_ext(ld_, base.c_str(), LDAP_SCOPE_SUBTREE, filter.c_str(),
                                 const_cast<char **>(names.data()), 0, controls, nullptr, &limit, 0, &id);
        ldap_control_free(page);
        if (rc != LDAP_SUCCESS)
            return failure(rc);
        cookie.clear();
        // The page's entries one by one, so that a page is never held whole.
        for (;;) {
            LDAPMessage *raw = nullptr;
            limit = timeLimit(pageEnds - std::chrono::steady_clock::now());
            const int type = ldap_result(ld_, id, LDAP_MSG_ONE, &limit, &raw);
            const Message message(raw);
            if (type == 0) {
                ldap_abandon_ext(ld_, id, nullptr, nullptr);
                return "no answer within " + std::to_string(stepLimit_.count()) + " s";
            }
            if (type < 0) {
                ldap_get_option(ld_, LDAP_OPT_RESULT_CODE, &rc);
                return failure(rc);
            }
            if (type == LDAP_RES_SEARCH_ENTRY) {
                each(LdapEntry(ld_, raw));
                continue;
            }
            if (type != LDAP_RES_SEARCH_RESULT)
                continue;
            LDAPControl **returned = nullptr;
            if (ldap_parse_result(ld_, raw, &rc, nullptr, nullptr, nullptr, &returned, 0) != LDAP_SUCCESS)
                ldap_get_option(ld_, LDAP_OPT_RESULT_CODE, &rc);
            if (rc == LDAP_SUCCESS) {
                LDAPControl *response = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, returned, nullptr);
                berval next{0, nullptr};
                ber_int_t estimate = 0;
                if (response && ldap_parse_pageresponse_control(ld_, response, &estimate, &next) == LDAP_SUCCESS
                    && next.bv_val) {
                    cookie.assign(next.bv_val, next.bv_len);
                    ber_memfree(next.bv_val);
                }
            }
            ldap_controls_free(returned);
            if (rc != LDAP_SUCCESS)
                return failure(rc);
            break;
        }
    } while (!cookie.empty() && !interrupted());
    return interrupted() ? "no answer in time" : std::string();
}

} // namespace tramsel::ad
