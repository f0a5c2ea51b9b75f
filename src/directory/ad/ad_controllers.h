// Asking several domain controllers at once: the threads that ask them, and
// what each controller said of one user (the report merges it; the
// per-controller view and the exit status show it).
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "directory/ad/ad_domain.h"
#include "directory/ad/domain_access.h"
#include "directory/ad/ad_values.h"

namespace tramsel::ad {

// What one controller said of one user.
struct ControllerOutcome {
    // OtherDomain: it answered, for a domain other than the one asked for.
    enum class State { Failed, OtherDomain, NotFound, Found };
    std::string server;  // its LDAP URI
    std::string host;    // the URI's host, as messages name it
    State state = State::Failed;
    DcAnswer answer;     // when Found
    std::string error;   // when Failed or OtherDomain: why, as one line
};

// Where a controller's searches start: the naming context of the DNS name
// this machine knows, or else the one the controller serves, which must be
// the domain asked for. Opens the session first.
struct SearchBase {
    std::string namingContext;  // empty when `error` says why
    std::string error;
    bool otherDomain = false;   // the controller serves another domain
};
SearchBase openSearchBase(Session &session, const DomainQuery &domain);

// Runs task(0) ... task(count - 1) on threads of their own, at most
// `parallel` at once, and returns once every thread has ended. When the
// deadline passes first, stop(i) is called for each task under way, tasks
// not begun are not begun, and neither kind counts as done; a stop asked
// through `stopped` does the same at once. The result says which tasks were
// done. `waiting`, if given, is called on the calling thread as tasks end
// and a few times a second while it waits.
std::vector<bool> runTogether(std::size_t count, std::size_t parallel,
                              std::optional<std::chrono::steady_clock::time_point> deadline,
                              const std::function<void(std::size_t)> &task,
                              const std::function<void(std::size_t)> &stop,
                              const std::function<void()> &waiting = {}, std::stop_token stopped = {});

// Every controller asked at once about one user (its sAMAccountName), within
// the deadline; one outcome a controller, in the order given.
std::vector<ControllerOutcome> lookUpUser(DomainAccess &access, const std::vector<std::string> &uris,
                                          const DomainQuery &domain, const std::string &user,
                                          std::chrono::milliseconds deadline);

// Why no controller found the user ("no user jdoe in sales.test", "dc1...
// serves SALES, not OTHER", "no domain controller answered: ..."); empty
// when one did.
std::string lookupFailure(const std::vector<ControllerOutcome> &outcomes, const std::string &user,
                          const DomainQuery &domain);

// The controllers that failed, one "host: error" each.
std::vector<std::string> missingControllers(const std::vector<ControllerOutcome> &outcomes);

} // namespace tramsel::ad
