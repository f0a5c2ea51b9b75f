// The threads that ask the controllers, and what the report asks each one.
#include "directory/ad/ad_controllers.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "directory/ad/ad_directory.h"
#include "directory/ad/ad_domain.h"

namespace tramsel::ad {
namespace {

// A controller answers within this many seconds per step, or not at all.
constexpr std::chrono::seconds kStepLimit{3};
void askController(Session &session, const DomainQuery &domain, const std::string &user,
                   ControllerOutcome &outcome)
{
    const auto fail = [&](std::string error, ControllerOutcome::State state = ControllerOutcome::State::Failed) {
        outcome.state = state;
        outcome.error = std::move(error);
    };
    SearchBase searchBase = openSearchBase(session, domain);
    if (searchBase.namingContext.empty())
        return fail(std::move(searchBase.error), searchBase.otherDomain ? ControllerOutcome::State::OtherDomain
                                                                        : ControllerOutcome::State::Failed);
    const std::string &base = searchBase.namingContext;
    std::string error;

    const std::string filter = accountFilter(user);
    std::optional<std::string> pso;
    const Lookup found = session.findOne(
        base, false, filter, accountAttributes(),
        [&](const Entry &e) { outcome.answer = readAnswer(e, pso); }, error);
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
    applyPolicy(outcome.answer, pso, pso ? settingsObject(session, *pso) : std::nullopt,
                pso ? Policy{} : domainPolicy(session, base));
    outcome.state = ControllerOutcome::State::Found;
}

} // namespace

std::vector<bool> runTogether(std::size_t count, std::size_t parallel,
                              std::optional<std::chrono::steady_clock::time_point> deadline,
                              const std::function<void(std::size_t)> &task,
                              const std::function<void(std::size_t)> &stop,
                              const std::function<void()> &waiting, std::stop_token stopped)
{
    enum class Step : char { Waiting, Running, Done };
    std::mutex mutex;
    std::condition_variable_any changed;
    std::vector<Step> steps(count, Step::Waiting);
    std::size_t next = 0, done = 0;
    bool late = false;

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
        for (std::size_t seen = 0; done < count;) {
            auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
            if (deadline)
                until = std::min(until, *deadline);
            changed.wait_until(lock, stopped, until, [&] { return done != seen; });
            if ((deadline && std::chrono::steady_clock::now() >= *deadline) || stopped.stop_requested())
                break;
            seen = done;
            if (waiting) {
                lock.unlock();
                waiting();
                lock.lock();
            }
        }
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

std::vector<ControllerOutcome> lookUpUser(DomainAccess &access, const std::vector<std::string> &uris,
                                          const DomainQuery &domain, const std::string &user,
                                          std::chrono::milliseconds deadline)
{
    std::vector<std::unique_ptr<Session>> sessions;
    std::vector<ControllerOutcome> outcomes(uris.size());
    for (std::size_t i = 0; i < uris.size(); ++i) {
        sessions.push_back(access.session(uris[i], kStepLimit));
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

std::string lookupFailure(const std::vector<ControllerOutcome> &outcomes, const std::string &user,
                          const DomainQuery &domain)
{
    using State = ControllerOutcome::State;
    bool someoneAnswered = false;
    std::string errors, otherDomains;
    for (const ControllerOutcome &outcome : outcomes) {
        if (outcome.state == State::Found)
            return {};
        if (outcome.state == State::NotFound)
            someoneAnswered = true;
        if (outcome.state == State::OtherDomain)
            otherDomains += (otherDomains.empty() ? "" : "; ") + outcome.error;
        if (outcome.state == State::Failed)
            errors += (errors.empty() ? "" : "; ") + outcome.server + ": " + outcome.error;
    }
    if (!otherDomains.empty())
        return otherDomains;
    if (someoneAnswered)
        return "no user " + user + " in " + domain.dnsDomain.value_or(upper(domain.name));
    return "no domain controller answered: " + errors;
}

std::vector<std::string> missingControllers(const std::vector<ControllerOutcome> &outcomes)
{
    std::vector<std::string> missing;
    for (const ControllerOutcome &outcome : outcomes) {
        if (outcome.state == ControllerOutcome::State::Failed)
            missing.push_back(outcome.host + ": " + outcome.error);
        if (outcome.state == ControllerOutcome::State::OtherDomain)
            missing.push_back(outcome.error);
    }
    return missing;
}

SearchBase openSearchBase(Session &session, const DomainQuery &domain)
{
    SearchBase base;
    if (base.error = session.open(); !base.error.empty())
        return base;
    if (domain.dnsDomain) {
        base.namingContext = namingContextOf(*domain.dnsDomain);
        if (!base.namingContext.empty())
            return base;
    }
    const auto served = servedDomain(session, base.error);
    if (!served) {
        if (base.error.empty())
            base.error = "no naming context";
        return base;
    }
    base.error = domainMismatch(session.host(), domain.name, served->dnsName, served->netbiosName);
    base.otherDomain = !base.error.empty();
    if (!base.otherDomain)
        base.namingContext = served->namingContext;
    return base;
}

} // namespace tramsel::ad
