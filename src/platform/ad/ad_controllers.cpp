// The threads that ask the controllers, and what the report asks each one.
#include "platform/ad/ad_controllers.h"

#include <ldap.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/ad/ad_domain.h"
#include "platform/ad/ad_session.h"

namespace tramsel::ad {
namespace {

// A controller answers within this many seconds per step, or not at all.
constexpr std::chrono::seconds kStepLimit{3};

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

// One number attribute of one object, read by its distinguished name.
std::optional<std::int64_t> objectNumber(ControllerSession &session, const std::string &dn, const char *attribute)
{
    std::optional<std::int64_t> value;
    std::string error;
    session.findOne(dn, true, "(objectClass=*)", {attribute}, [&](const Entry &e) { value = e.number(attribute); },
                    error);
    return value;
}

// The domain a controller serves: its naming context, DNS and NetBIOS names.
struct ServedDomain {
    std::string namingContext, dnsName, netbiosName;
};

std::optional<ServedDomain> servedDomain(ControllerSession &session, std::string &error)
{
    ServedDomain served;
    std::string configuration;
    session.findOne("", true, "(objectClass=*)", {"defaultNamingContext", "configurationNamingContext"},
                    [&](const Entry &e) {
                        served.namingContext = e.text("defaultNamingContext").value_or("");
                        configuration = e.text("configurationNamingContext").value_or("");
                    },
                    error);
    if (served.namingContext.empty())
        return std::nullopt;
    served.dnsName = dnsNameOf(served.namingContext);
    // The NetBIOS name is the domain's cross-reference in the partitions container.
    session.findOne("CN=Partitions," + configuration, false,
                    "(&(objectClass=crossRef)(nCName=" + escapeFilterValue(served.namingContext) + "))",
                    {"nETBIOSName"}, [&](const Entry &e) { served.netbiosName = e.text("nETBIOSName").value_or(""); },
                    error);
    return served;
}

void askController(ControllerSession &session, const DomainQuery &domain, const std::string &user,
                   ControllerOutcome &outcome)
{
    const auto fail = [&](std::string error, ControllerOutcome::State state = ControllerOutcome::State::Failed) {
        outcome.state = state;
        outcome.error = std::move(error);
    };
    if (std::string error = session.open(); !error.empty())
        return fail(std::move(error));

    // The naming context follows from a DNS name this machine knows; a name
    // it does not know is checked against what the controller serves.
    std::string base = domain.dnsDomain ? namingContextOf(*domain.dnsDomain) : std::string();
    std::string error;
    if (base.empty()) {
        const auto served = servedDomain(session, error);
        if (!served)
            return fail(error.empty() ? "no naming context" : error);
        if (std::string other = domainMismatch(session.host(), domain.name, served->dnsName, served->netbiosName);
            !other.empty())
            return fail(std::move(other), ControllerOutcome::State::OtherDomain);
        base = served->namingContext;
    }

    const std::string filter = accountFilter(user);
    DcAnswer &a = outcome.answer;
    std::optional<std::string> pso;
    const Lookup found = session.findOne(
        base, false, filter,
        {"lastLogon", "lastLogonTimestamp", "lastLogoff", "badPwdCount", "badPasswordTime", "pwdLastSet",
         "userAccountControl", "msDS-UserPasswordExpiryTimeComputed", "msDS-ResultantPSO"},
        [&](const Entry &e) {
            a.lastLogon = e.number("lastLogon");
            a.lastLogonTimestamp = e.number("lastLogonTimestamp");
            a.lastLogoff = e.number("lastLogoff");
            a.badPwdCount = e.number("badPwdCount");
            a.badPasswordTime = e.number("badPasswordTime");
            a.pwdLastSet = e.number("pwdLastSet");
            a.userAccountControl = e.number("userAccountControl");
            a.passwordExpiryComputed = e.number("msDS-UserPasswordExpiryTimeComputed");
            pso = e.text("msDS-ResultantPSO");
        },
        error);
    if (found == Lookup::NoSuchBase) {
        // No such domain here: say which one is.
        std::string ignored;
        const auto served = servedDomain(session, ignored);
        std::string other = served ? domainMismatch(session.host(), domain.name, served->dnsName, served->netbiosName)
                                   : std::string();
        return other.empty() ? fail(std::move(error)) : fail(std::move(other), ControllerOutcome::State::OtherDomain);
    }
    if (found == Lookup::Failed)
        return fail(error == "more than one entry matches" ? "more than one user of that name" : error);
    if (found == Lookup::NotFound) {
        outcome.state = ControllerOutcome::State::NotFound;
        return;
    }
    // A password settings object overrides the domain's policy; when it
    // cannot be read, the maximum age is unknown rather than the domain's.
    a.maxPasswordAge = objectNumber(session, pso ? *pso : base, pso ? "msDS-MaximumPasswordAge" : "maxPwdAge");
    outcome.state = ControllerOutcome::State::Found;
}

} // namespace

std::vector<bool> runTogether(std::size_t count, std::size_t parallel,
                              std::optional<std::chrono::steady_clock::time_point> deadline,
                              const std::function<void(std::size_t)> &task,
                              const std::function<void(std::size_t)> &stop)
{
    enum class Step : char { Waiting, Running, Done };
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Step> steps(count, Step::Waiting);
    std::size_t next = 0, done = 0;
    bool late = false;

    // libldap's global state is set up once, before the threads share it.
    int version = 0;
    ldap_get_option(nullptr, LDAP_OPT_PROTOCOL_VERSION, &version);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < std::min(count, std::max<std::size_t>(parallel, 1)); ++t)
        threads.emplace_back([&] {
            std::unique_lock lock(mutex);
            while (!late && next < count) {
                const std::size_t i = next++;
                steps[i] = Step::Running;
                lock.unlock();
                task(i);
                lock.lock();
                steps[i] = Step::Done;
                ++done;
                changed.notify_all();
            }
        });

    std::vector<std::size_t> running;
    std::vector<bool> finished(count);
    {
        std::unique_lock lock(mutex);
        const auto allDone = [&] { return done == count; };
        if (deadline)
            changed.wait_until(lock, *deadline, allDone);
        else
            changed.wait(lock, allDone);
        late = done < count;
        for (std::size_t i = 0; i < count; ++i) {
            finished[i] = steps[i] == Step::Done;
            if (steps[i] == Step::Running)
                running.push_back(i);
        }
    }
    // The tasks under way end once their sockets close; then every thread is joined.
    for (const std::size_t i : running)
        stop(i);
    for (std::thread &thread : threads)
        thread.join();
    return finished;
}

std::vector<ControllerOutcome> lookUpUser(const std::vector<std::string> &uris, const DomainQuery &domain,
                                          const std::string &user, std::chrono::milliseconds deadline)
{
    std::vector<std::unique_ptr<ControllerSession>> sessions;
    std::vector<ControllerOutcome> outcomes(uris.size());
    for (std::size_t i = 0; i < uris.size(); ++i) {
        sessions.push_back(std::make_unique<ControllerSession>(uris[i], kStepLimit));
        outcomes[i].server = uris[i];
        outcomes[i].host = sessions[i]->host();
    }
    const auto done = runTogether(
        uris.size(), uris.size(), std::chrono::steady_clock::now() + deadline,
        [&](std::size_t i) { askController(*sessions[i], domain, user, outcomes[i]); },
        [&](std::size_t i) { sessions[i]->interrupt(); });
    for (std::size_t i = 0; i < uris.size(); ++i)
        if (!done[i])
            outcomes[i] = {outcomes[i].server, outcomes[i].host, ControllerOutcome::State::Failed, {},
                           "no answer in time"};
    return outcomes;
}

} // namespace tramsel::ad
