// The Kerberos credentials the LDAP binds use: the caller's ticket, or, for
// root on a joined machine, the machine account's.
#pragma once

#include <string>

namespace tramsel::ad {

// Why the caller cannot authenticate to `realm` with Kerberos ("no Kerberos
// ticket for SALES.TEST (run kinit)"), or empty when its default cache holds
// a ticket-granting ticket that has not expired, or a client keytab is named.
std::string kerberosProblem(const std::string &realm);

// Run as root with a machine keytab (/etc/krb5.keytab, or KRB5_KTNAME): gets
// a ticket for this machine's account (HOST$@REALM, as sssd and adcli do)
// into a cache in this process's memory and makes it the default cache.
// Writes nothing to disk. False when there is no such keytab or ticket.
bool useMachineTicket(const std::string &realm);

} // namespace tramsel::ad
