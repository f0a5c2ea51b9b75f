#!/usr/bin/env python3
"""Builds a host tree for the Linux provider benchmark.

make_linux_tree.py TREE RECORDS [files|databases] [ACCOUNTS]

TREE/etc/{passwd,shadow,hostname}, and the login records of ACCOUNTS (1000
unless given) background users and of three more: `endu` (uid
3,000,000,000) has the last records, `midu` records in the middle,
`absentu` none.
- files (the default): TREE/var/log/wtmp and btmp with RECORDS records each
  (384 bytes apiece), a sparse lastlog with a record at uid x 292, and a
  pam_faillock tally for every hundredth background user. As in real logs,
  each login in wtmp (its logout names nobody) and each record of btmp
  names a user drawn at random (seeded: the same tree every time) from the
  accounts and 5% more names that have none (removed users, guesses).
- databases: only lastlog2's database and a wtmpdb with RECORDS rows, as on
  systems that no longer write wtmp.
"""
import os
import random
import sqlite3
import struct
import sys

tree, count = sys.argv[1], int(sys.argv[2])
mode = sys.argv[3] if len(sys.argv) > 3 else "files"
accounts = int(sys.argv[4]) if len(sys.argv) > 4 else 1000
START = 1_700_000_000
END_UID = 3_000_000_000


def utmp(kind, line, user, host, seconds, pid=1000):
    return struct.pack("<hxxi32s4s32s256shhiii4i20s", kind, pid, line.encode(), line[-4:].encode(),
                       user.encode(), host.encode(), 0, 0, 0, seconds, 0, 0, 0, 0, 0, b"")


def write_log(path, special, failures):
    """Background login/logout pairs, or failures; `special` maps a record
    index to a record."""
    draw = random.Random(f"{path.rsplit('/', 1)[-1]} {count} {accounts}").randrange
    names = accounts * 21 // 20
    chunk = []
    with open(path, "wb") as out:
        for i in range(count):
            seconds = START + i * 10
            if i in special:
                chunk.append(special[i](seconds))
            elif failures:
                chunk.append(utmp(6, "ssh:notty", f"user{draw(names):04d}", "192.0.2.1", seconds))
            elif i % 2 == 0:
                chunk.append(utmp(7, f"pts/{i // 2 % 100}", f"user{draw(names):04d}", "192.0.2.1", seconds))
            else:
                chunk.append(utmp(8, f"pts/{i // 2 % 100}", "", "", seconds))
            if len(chunk) == 10000:
                out.write(b"".join(chunk))
                chunk = []
        out.write(b"".join(chunk))


os.makedirs(f"{tree}/etc", exist_ok=True)
os.makedirs(f"{tree}/var/log", exist_ok=True)
with open(f"{tree}/etc/hostname", "w") as f:
    f.write("benchhost\n")
with open(f"{tree}/etc/passwd", "w") as f:
    f.write("root:x:0:0:root:/root:/bin/bash\n")
    for n in range(accounts):
        f.write(f"user{n:04d}:x:{10000 + n}:100:User {n},,,:/home/user{n:04d}:/bin/sh\n")
    f.write(f"midu:x:2000:100::/home/midu:/bin/sh\nabsentu:x:2001:100::/home/absentu:/bin/sh\n"
            f"endu:x:{END_UID}:100::/home/endu:/bin/sh\n")
with open(f"{tree}/etc/shadow", "w") as f:
    for n in range(accounts):
        f.write(f"user{n:04d}:$y$j9T$salt$hash:{19000 + n % 1000}:0:{99999 if n % 3 else 90}:7:::\n")
    for name in ("midu", "absentu", "endu"):
        f.write(f"{name}:!:19500:0:90:7:::\n")

mid = count // 2


def write_databases():
    os.makedirs(f"{tree}/var/lib/lastlog", exist_ok=True)
    os.makedirs(f"{tree}/var/lib/wtmpdb", exist_ok=True)
    db = sqlite3.connect(f"{tree}/var/lib/lastlog/lastlog2.db")
    db.execute("CREATE TABLE Lastlog2(Name TEXT PRIMARY KEY, Time INTEGER, TTY TEXT, RemoteHost TEXT, Service TEXT)")
    db.executemany("INSERT INTO Lastlog2 VALUES(?, ?, 'pts/0', '192.0.2.1', 'sshd')",
                   [(f"user{n:04d}", START + n) for n in range(1000)]
                   + [("midu", START + mid * 10), ("endu", START + (count - 1) * 10)])
    db.commit()
    db.close()
    db = sqlite3.connect(f"{tree}/var/lib/wtmpdb/wtmp.db")
    db.execute("CREATE TABLE wtmp(ID INTEGER PRIMARY KEY, Type INTEGER, User TEXT NOT NULL, Login INTEGER, "
               "Logout INTEGER, TTY TEXT, RemoteHost TEXT, Service TEXT)")

    def row(i):
        seconds = START + i * 10
        user = "midu" if i == mid else "endu" if i == count - 1 else f"user{i % 1000:04d}"
        logout = None if i == count - 1 else (seconds + 5) * 1_000_000
        return (3, user, seconds * 1_000_000, logout, f"pts/{i % 100}", "192.0.2.1", "sshd")

    db.executemany("INSERT INTO wtmp(Type, User, Login, Logout, TTY, RemoteHost, Service) "
                   "VALUES(?, ?, ?, ?, ?, ?, ?)", (row(i) for i in range(count)))
    db.commit()
    db.close()


if mode == "databases":
    write_databases()
    sys.exit(0)

write_log(f"{tree}/var/log/wtmp", {
    mid: lambda s: utmp(7, "tty7", "midu", "", s),
    mid + 1: lambda s: utmp(8, "tty7", "", "", s),
    count - 2: lambda s: utmp(7, "tty8", "endu", "", s),
    count - 1: lambda s: utmp(8, "tty8", "", "", s),
}, failures=False)
write_log(f"{tree}/var/log/btmp", {
    mid: lambda s: utmp(6, "ssh:notty", "midu", "198.51.100.9", s),
    count - 1: lambda s: utmp(6, "ssh:notty", "endu", "198.51.100.9", s),
}, failures=True)
with open(f"{tree}/var/log/lastlog", "wb") as f:
    f.seek(END_UID * 292)
    f.write(struct.pack("<i32s256s", START + (count - 2) * 10, b"tty8", b""))
os.makedirs(f"{tree}/var/run/faillock", exist_ok=True)
for n in range(0, accounts, 100):
    with open(f"{tree}/var/run/faillock/user{n:04d}", "wb") as f:
        for k in range(3):
            f.write(struct.pack("<52sxxHQ", b"192.0.2.99", 3, START + count * 10 + k))
