#!/usr/bin/env python3
# Checks of the audit's output against the printed reports and the domain.
#
# audit_check.py agree AUDIT.json REPORTS   each REPORTS/USER (a --print report)
#                                           agrees with USER's row
# audit_check.py expr FILE.json EXPR...     each EXPR holds, of the document d
#                                           and its rows by user name
# Prints what differs and exits 1 when anything does.
import json
import os
import sys
from datetime import datetime

LABELS = {
    "Last Login": "lastLogin", "Last Logoff": "lastLogoff", "Last Failed Login": "lastFailedLogin",
    "Last Bad Login Address": "lastBadLoginAddress", "Bad Login Count": "badLoginCount",
    "Password Expiration Date": "passwordExpires", "Password Max Age (days)": "passwordMaxAgeDays",
    "Password Last Changed": "passwordLastChanged",
}


def report_text(key, row):
    """A row's value as the report writes it (C locale, TZ's wall clock)."""
    value = row.get(key)
    # A policy of "never" has no maximum age; an account's own flag keeps the policy's.
    if key == "passwordMaxAgeDays" and value is None and row.get("passwordNeverExpires"):
        return "None"
    if value is None:
        return "n/a"
    if key == "passwordMaxAgeDays":
        return "%.15g" % value
    if isinstance(value, str) and "T" in value:
        t = datetime.fromisoformat(value)
        text = f"{t.day} {t:%b %Y %H:%M:%S}"
        return text[:-9] if text.endswith(" 00:00:00") else text
    return str(value)


def rows(document):
    return {a["user"]: a for a in document.get("accounts", [])}


def problems(command, audit, *rest):
    """What differs, one line each."""
    document = json.load(open(audit, encoding="utf-8"))
    accounts = rows(document)
    if command == "agree":
        for user in sorted(os.listdir(rest[0])):
            lines = open(os.path.join(rest[0], user), encoding="utf-8").read().splitlines()
            shown = {label: value.lstrip("\t") for label, _, value in (l.partition(": ") for l in lines) if label in LABELS}
            if len(shown) != len(LABELS):
                yield f"{user}: no report"
                continue
            for label, key in LABELS.items():
                want = report_text(key, accounts.get(user, {}))
                if shown[label] != want:
                    yield f"{user}: {label}: report {shown[label]!r}, audit {want!r}"
    elif command == "expr":
        yield from (f"not so: {e}" for e in rest if not eval(e, {}, {"d": document, "rows": accounts}))
    else:
        yield f"unknown check {command}"


if __name__ == "__main__":
    found = list(problems(*sys.argv[1:]))
    print("".join(f"    {problem}\n" for problem in found), end="")
    sys.exit(1 if found else 0)
