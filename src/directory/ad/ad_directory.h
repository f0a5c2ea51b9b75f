// What a domain controller holds, as the report and the audit read it: the
// domain it serves, an account's attributes and the password policies that
// apply to it. Both read through these, so they cannot disagree.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "directory/ad/domain_access.h"
#include "directory/ad/ad_values.h"

namespace tramsel::ad {

// "sales.test": "DC=sales,DC=test".
std::string namingContextOf(const std::string &dnsDomain);

// The domain a controller serves: its naming context, DNS and NetBIOS names.
struct ServedDomain {
    std::string namingContext, dnsName, netbiosName;
};
std::optional<ServedDomain> servedDomain(Session &session, std::string &error);

// The attributes of an account that the report and the audit read.
const std::vector<const char *> &accountAttributes();

// An account's own attributes (the policy's are left to applyPolicy); `pso`
// gets its resultant password settings object, if it has one.
DcAnswer readAnswer(const Entry &entry, std::optional<std::string> &pso);

// A password policy: the domain's (maxPwdAge, lockoutDuration) or a
// password settings object's (msDS-MaximumPasswordAge, msDS-LockoutDuration).
struct Policy {
    std::optional<std::int64_t> maxPasswordAge;
    std::optional<std::int64_t> lockoutDuration;
};
// The domain's policy, read from its naming context; the settings objects
// this reader may read, by distinguished name (lower case).
Policy domainPolicy(Session &session, const std::string &namingContext);
std::map<std::string, Policy> settingsObjects(Session &session, const std::string &namingContext);
// One settings object's policy; nothing when it cannot be read.
std::optional<Policy> settingsObject(Session &session, const std::string &dn);

// The policy that applies to an account: its settings object's when it has
// one (unknown when that cannot be read: the age then comes from the
// computed expiry), else the domain's.
void applyPolicy(DcAnswer &answer, const std::optional<std::string> &pso, const std::optional<Policy> &settings,
                 const Policy &domain);

// A distinguished name in one spelling, for comparing: lower case, no
// spaces around the commas and equals signs.
std::string canonicalDn(std::string_view dn);

// The distinguished name of the object that holds `dn`: all but its first
// RDN (an escaped comma stays in it); nothing for a name of one RDN.
std::optional<std::string> parentDn(std::string_view dn);

// Whether `dn` is `namingContext` or an object below it.
bool isWithin(std::string_view dn, std::string_view namingContext);

} // namespace tramsel::ad
