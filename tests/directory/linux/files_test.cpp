// Walking logs of records across chunks and rotated files.
#include <gtest/gtest.h>

#include "directory/linux/files.h"
#include "support/fixture_tree.h"

namespace tramsel::linux_accounts {
namespace {

using testing::Bytes;

// Records of 384 bytes numbered from `first` in their first four bytes.
Bytes numbered(std::uint32_t first, std::uint32_t count, std::size_t extraBytes = 0)
{
    Bytes bytes(count * 384 + extraBytes, 0xee);
    for (std::uint32_t i = 0; i < count; ++i)
        testing::put(bytes, i * 384, first + i, 4);
    return bytes;
}

std::uint32_t numberOf(std::span<const unsigned char> record)
{
    return record[0] | record[1] << 8 | record[2] << 16 | static_cast<std::uint32_t>(record[3]) << 24;
}

// A file in memory that notes its name when opened.
RecordLog::Opener memory(Bytes bytes, std::vector<std::string> &opened, std::string name)
{
    return [bytes = std::move(bytes), &opened, name = std::move(name)]() -> std::unique_ptr<ReadableFile> {
        opened.push_back(name);
        return std::make_unique<MemoryFile>(bytes);
    };
}

// A file that cannot be read, as on a bad disk.
struct UnreadableFile final : ReadableFile {
    std::uint64_t size() const override { return 384 * 10; }
    std::optional<std::size_t> readAt(std::span<unsigned char>, std::uint64_t) const override { return std::nullopt; }
};

TEST(RecordLog, WalksBothWaysAcrossFilesIgnoringAPartialRecord)
{
    // 1000 records span several chunks; each file ends in a partial record.
    std::vector<std::string> opened;
    std::vector<std::uint32_t> seen;
    const auto log = [&] {
        return RecordLog(384, {memory(numbered(0, 1000, 100), opened, "old"), memory(numbered(1000, 1000, 383), opened, "new")});
    };
    const auto until = [&seen](std::uint32_t stop) {
        return [&seen, stop](std::span<const unsigned char> record, RecordLog::Position at) {
            EXPECT_EQ(numberOf(record), at.file * 1000 + at.record);
            seen.push_back(numberOf(record));
            return numberOf(record) != stop;
        };
    };
    EXPECT_TRUE(log().walkBackward(until(UINT32_MAX)));
    ASSERT_EQ(seen.size(), 2000u);
    for (std::uint32_t i = 0; i < 2000; ++i)
        ASSERT_EQ(seen[i], 1999 - i);
    EXPECT_EQ(opened, (std::vector<std::string>{"new", "old"}));

    // Stopped early, the rotated file is not opened; forward from a position into the newer file.
    seen.clear(), opened.clear();
    RecordLog again = log();
    EXPECT_TRUE(again.walkBackward(until(1995)));
    EXPECT_EQ(opened, std::vector<std::string>{"new"});
    EXPECT_TRUE(again.walkForward({0, 950}, until(1100)));
    ASSERT_EQ(seen.size(), 155u);
    EXPECT_EQ(std::tuple(seen[4], seen[5], seen.back()), std::tuple(1995u, 951u, 1100u));

    RecordLog unreadable(384, {[] { return std::make_unique<UnreadableFile>(); }});
    EXPECT_FALSE(unreadable.walkBackward(until(UINT32_MAX)));
}

TEST(PosixFileReader, OpensOnlyRegularFilesInsideTheRoot)
{
    testing::TempTree tree;
    tree.write("/etc/passwd", "root:x:0:0::/root:/bin/sh\n");
    std::filesystem::create_directories(tree.path("/var"));
    // An absolute link in a disk image points into the image, not the host.
    std::filesystem::create_directory_symlink("/etc", tree.path("/var/etc-link"));

    PosixFileReader reader(tree.root);
    const auto passwd = reader.open("/etc/passwd");
    ASSERT_TRUE(passwd);
    EXPECT_EQ(readText(*passwd), "root:x:0:0::/root:/bin/sh\n");
    EXPECT_EQ(readText(*reader.open("/var/etc-link/passwd")), readText(*passwd));
    EXPECT_FALSE(reader.open("/etc"));
    EXPECT_FALSE(reader.open("/etc/missing"));
    EXPECT_FALSE(reader.open("etc/passwd"));
    // ".." stops at the root: the host's own files stay out of reach.
    EXPECT_FALSE(reader.open("/../../../../../../etc/hostname"));
    EXPECT_FALSE(reader.open("/var/etc-link/../../../etc/hostname"));

    // Folders list their names, a missing one none; a file is no folder.
    auto names = reader.names("/var/etc-link");
    ASSERT_TRUE(names);
    std::erase_if(*names, [](const std::string &name) { return name == "." || name == ".."; });
    EXPECT_EQ(*names, std::vector<std::string>{"passwd"});
    EXPECT_EQ(reader.names("/var/missing"), std::vector<std::string>());
    EXPECT_FALSE(reader.names("/etc/passwd"));
}

} // namespace
} // namespace tramsel::linux_accounts
