// Fixture trees for the Linux source: a temporary root folder with account
// files and login records packed in code, and a source on it that records
// every path it opens.
#pragma once

#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "directory/linux/linux_source.h"
#include "report/columns.h"
#include "report/date_time.h"
#include "support/fakes.h"

namespace tramsel::testing {

using Bytes = std::vector<unsigned char>;

// Little-endian integers, and texts in fixed char arrays (no NUL when full).
inline void put(Bytes &bytes, std::size_t offset, std::uint64_t value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}
inline void put(Bytes &bytes, std::size_t offset, const std::string &text, std::size_t width)
{
    std::copy_n(text.begin(), std::min(text.size(), width), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

struct Utmp {
    int type = 7;
    std::string line, user, host;
    std::uint32_t seconds = 0;
    std::int32_t pid = 0;
};
inline Bytes pack(const Utmp &r)
{
    Bytes bytes(384, 0);
    put(bytes, 0, static_cast<std::uint16_t>(r.type), 2);
    put(bytes, 4, static_cast<std::uint32_t>(r.pid), 4);
    put(bytes, 8, r.line, 32);
    put(bytes, 44, r.user, 32);
    put(bytes, 76, r.host, 256);
    put(bytes, 340, r.seconds, 4);
    return bytes;
}

inline Bytes lastlogRecord(std::uint32_t seconds, const std::string &line, const std::string &host)
{
    Bytes bytes(292, 0);
    put(bytes, 0, seconds, 4);
    put(bytes, 4, line, 32);
    put(bytes, 36, host, 256);
    return bytes;
}

struct Tally {
    std::string source;
    std::uint16_t status = 1;
    std::uint64_t seconds = 0;
};
inline Bytes pack(const Tally &r)
{
    Bytes bytes(64, 0);
    put(bytes, 0, r.source, 52);
    put(bytes, 54, r.status, 2);
    put(bytes, 56, r.seconds, 8);
    return bytes;
}

// Records one after another, as in a log file.
template <class Record> Bytes pack(const std::vector<Record> &records)
{
    Bytes bytes;
    for (const Record &record : records)
        for (unsigned char byte : pack(record))
            bytes.push_back(byte);
    return bytes;
}

inline std::int64_t civilSeconds(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    const auto days = std::chrono::sys_days(std::chrono::year(year) / month / day).time_since_epoch().count();
    return days * 86400 + hour * 3600 + minute * 60 + second;
}
// A 32-bit record time, and the value the report gets for it in UTC.
inline std::uint32_t t(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return static_cast<std::uint32_t>(civilSeconds(year, month, day, hour, minute, second));
}
// An instant given in UTC, as the report shows it.
inline std::string at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return reportText(*DateTime::instantFromCivil({year, month, day, hour, minute, second}), FakeLocale());
}

// A temporary folder that is removed with everything in it.
struct TempTree {
    std::string root = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tramsel-tree-XXXXXX").string();
        return std::string(::mkdtemp(pattern.data()));
    }();
    TempTree() = default;
    TempTree(const TempTree &) = delete;
    ~TempTree() { std::filesystem::remove_all(root); }
    std::string path(const std::string &inTree) const { return root + inTree; }

    void write(const std::string &inTree, const std::string &text) const { write(inTree, Bytes(text.begin(), text.end())); }
    // Writes bytes at offset, leaving a hole before them (a sparse lastlog).
    void write(const std::string &inTree, const Bytes &bytes, std::uint64_t offset = 0) const
    {
        std::filesystem::create_directories(std::filesystem::path(path(inTree)).parent_path());
        std::ofstream out(path(inTree), std::ios::binary | std::ios::trunc);
        out.seekp(static_cast<std::streamoff>(offset));
        out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
};

// Opens files in the tree and remembers every path asked for.
struct ObservingFileReader final : linux_accounts::FileReader {
    linux_accounts::PosixFileReader inner;
    std::shared_ptr<std::vector<std::string>> log;
    ObservingFileReader(std::string root, std::shared_ptr<std::vector<std::string>> opened)
        : inner(std::move(root)), log(std::move(opened)) {}
    std::unique_ptr<linux_accounts::ReadableFile> open(const std::string &path) override
    {
        log->push_back(path);
        return inner.open(path);
    }
    std::optional<std::vector<std::string>> names(const std::string &path) override { return inner.names(path); }
    int lastError() const override { return inner.lastError(); }
};

// A source on a fixture tree of this machine, WEB01, with six users, in UTC
// at a fixed time; every path it opens is kept in `opened`.
struct ProviderFixture {
    TempTree tree;
    std::shared_ptr<std::vector<std::string>> opened = std::make_shared<std::vector<std::string>>();
    std::int64_t now = civilSeconds(2024, 6, 1, 12, 0, 0);
    static constexpr const char *kWeb01Passwd = "root:x:0:0:root:/root:/bin/bash\n"
                                           "alice:x:1000:1000::/home/alice:/bin/bash\n"
                                           "bob:x:1001:1001::/home/bob:/bin/bash\n"
                                           "carol:x:1002:1002::/home/carol:/bin/bash\n"
                                           "dave@corp.example:x:1003:1003::/home/dave:/bin/bash\n"
                                           "big:x:3000000000:100::/home/big:/bin/sh\n";

    ProviderFixture()
    {
        ::setenv("TZ", "UTC0", 1), ::tzset();
        tree.write("/etc/passwd", kWeb01Passwd);
        tree.write("/etc/hostname", "web01.example.org\n");
        tree.write("/etc/shadow", "alice:$y$x:19500:0:90:7:::\n");
    }

    std::unique_ptr<LinuxAccountSource> source(
        std::function<std::unique_ptr<linux_accounts::AccountDatabase>(linux_accounts::FileReader &)> accounts =
            [](linux_accounts::FileReader &files) { return std::make_unique<linux_accounts::TreeAccounts>(files); })
    {
        return std::make_unique<LinuxAccountSource>(std::make_unique<ObservingFileReader>(tree.root, opened),
                                                    std::move(accounts), [this] { return now; },
                                                    linux_accounts::DatabaseState::AtRest, std::string());
    }
    void utmp(const std::string &path, const std::vector<Utmp> &records) { tree.write(path, pack(records)); }
    void tally(const std::string &path, const std::vector<Tally> &records) { tree.write(path, pack(records)); }

    // The report's usage values of WEB01's user as one line, "|" after each:
    // last login, logoff, failed login, bad login address and count.
    std::string values(const std::string &user)
    {
        const Lookup found = source()->lookup({"WEB01", user});
        std::string line = found.record ? "" : "no user";
        for (const char *key : {"lastLogin", "lastLogoff", "lastFailedLogin", "lastBadLoginAddress", "badLoginCount"})
            if (found.record)
                line += reportText(accountColumn(key)->cell(*found.record), FakeLocale()) + "|";
        return line;
    }
};

} // namespace tramsel::testing
