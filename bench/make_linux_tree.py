#!/usr/bin/env python3
"""Builds a host tree for the Linux provider benchmark.

make_linux_tree.py TREE RECORDS

TREE/etc/{passwd,shadow,hostname}; TREE/var/log/wtmp and btmp with RECORDS
records each (384 bytes apiece) of 1000 background users; the user `endu`
(uid 3,000,000,000, with a sparse lastlog record at uid x 292) has the last
records of both files, `midu` records in the middle, `absentu` none.
"""
import os
import struct
import sys

tree, count = sys.argv[1], int(sys.argv[2])
START = 1_700_000_000
END_UID = 3_000_000_000


def utmp(kind, line, user, host, seconds, pid=1000):
    return struct.pack("<hxxi32s4s32s256shhiii4i20s", kind, pid, line.encode(), line[-4:].encode(),
                       user.encode(), host.encode(), 0, 0, 0, seconds, 0, 0, 0, 0, 0, b"")


def write_log(path, special):
    """Background login/logout pairs; `special` maps a record index to a record."""
    chunk = []
    with open(path, "wb") as out:
        for i in range(count):
            seconds = START + i * 10
            if i in special:
                chunk.append(special[i](seconds))
            elif i % 2 == 0:
                chunk.append(utmp(7, f"pts/{i // 2 % 100}", f"user{i // 2 % 1000:04d}", "192.0.2.1", seconds))
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
    for n in range(1000):
        f.write(f"user{n:04d}:x:{10000 + n}:100::/home/user{n:04d}:/bin/sh\n")
    f.write(f"midu:x:2000:100::/home/midu:/bin/sh\nabsentu:x:2001:100::/home/absentu:/bin/sh\n"
            f"endu:x:{END_UID}:100::/home/endu:/bin/sh\n")
with open(f"{tree}/etc/shadow", "w") as f:
    for name in ("midu", "absentu", "endu"):
        f.write(f"{name}:!:19500:0:90:7:::\n")

mid = count // 2
write_log(f"{tree}/var/log/wtmp", {
    mid: lambda s: utmp(7, "tty7", "midu", "", s),
    mid + 1: lambda s: utmp(8, "tty7", "", "", s),
    count - 2: lambda s: utmp(7, "tty8", "endu", "", s),
    count - 1: lambda s: utmp(8, "tty8", "", "", s),
})
write_log(f"{tree}/var/log/btmp", {
    mid: lambda s: utmp(6, "ssh:notty", "midu", "198.51.100.9", s),
    count - 1: lambda s: utmp(6, "ssh:notty", "endu", "198.51.100.9", s),
})
with open(f"{tree}/var/log/lastlog", "wb") as f:
    f.seek(END_UID * 292)
    f.write(struct.pack("<i32s256s", START + (count - 2) * 10, b"tty8", b""))
