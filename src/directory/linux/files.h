// How the Linux source reaches files: read-only, by position, never mapped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tramsel::linux_accounts {

/// A file opened for reading at any position.
class ReadableFile {
public:
    virtual ~ReadableFile() = default;

    /// The file's size in bytes, as it was when opened.
    virtual std::uint64_t size() const = 0;
    /// Reads up to buffer.size() bytes at offset; the count read, or nothing
    /// on an error. Fewer bytes than asked means the file ends there.
    virtual std::optional<std::size_t> readAt(std::span<unsigned char> buffer,
                                              std::uint64_t offset) const = 0;
    /// A path that names this very open file (/proc/self/fd/N) for libraries
    /// that open files themselves; empty when there is none.
    virtual std::string descriptorPath() const { return {}; }
};

/// Opens files by absolute path, for reading only.
class FileReader {
public:
    virtual ~FileReader() = default;

    /// The regular file at path, or nullptr when it is missing, unreadable or
    /// not a regular file.
    virtual std::unique_ptr<ReadableFile> open(const std::string &path) = 0;
    /// Why the last open() gave nullptr, as an errno value; 0 when not known.
    virtual int lastError() const { return 0; }
    /// The names in the folder at path (none when it is missing), or nothing
    /// when it cannot be listed: then only opening a file tells.
    virtual std::optional<std::vector<std::string>> names(const std::string &path)
    {
        (void)path;
        return std::nullopt;
    }
};

// Opens with open(2) O_RDONLY and reads with pread(2): nothing is written,
// locked or created, and a FIFO or device in the way cannot block or be read.
// With a root folder, paths are resolved inside it as if it were "/", so that
// a disk image's absolute symbolic links (/var/run -> /run) stay in the image.
class PosixFileReader final : public FileReader {
public:
    explicit PosixFileReader(std::string root = {});
    ~PosixFileReader() override;
    PosixFileReader(const PosixFileReader &) = delete;
    PosixFileReader &operator=(const PosixFileReader &) = delete;

    std::unique_ptr<ReadableFile> open(const std::string &path) override;
    int lastError() const override { return lastError_; }
    std::optional<std::vector<std::string>> names(const std::string &path) override;

private:
    int openPath(const std::string &path, int flags);
    int lastError_ = 0;
    int openInRoot(const std::string &path, int flags);

    std::string root_;
    int rootFd_ = -1;
};

// A file held in memory (for fuzzing and for tests that need odd sizes).
class MemoryFile final : public ReadableFile {
public:
    explicit MemoryFile(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::optional<std::size_t> readAt(std::span<unsigned char> buffer,
                                      std::uint64_t offset) const override;

private:
    std::vector<unsigned char> bytes_;
};

// The whole file as text, or nothing when it cannot be read or is larger than
// limit bytes (account files of a sane system are far smaller).
std::optional<std::string> readText(const ReadableFile &file, std::uint64_t limit = 64u << 20);

// A log of fixed-size records kept in several files, oldest file first (a
// rotated wtmp.1, then wtmp). Files are opened only when a walk reaches them;
// a missing file is skipped; a partial record at a file's end is ignored.
class RecordLog {
public:
    using Opener = std::function<std::unique_ptr<ReadableFile>()>;

    RecordLog(std::size_t recordSize, std::vector<Opener> filesOldestFirst);

    // Where a record lies: file number (oldest 0) and record number in it.
    struct Position {
        std::size_t file = 0;
        std::uint64_t record = 0;
    };

    // Visits records from the newest back to the oldest until the visitor
    // (bool(std::span<const unsigned char> record, Position)) returns false.
    // Returns false when no file of the log could be opened or a read failed
    // before the walk ended.
    template <class Visit> bool walkBackward(Visit visit)
    {
        return walkChunksBackward([&](std::span<const unsigned char> chunk, Position first) {
            for (std::size_t r = chunk.size() / recordSize_; r-- > 0;)
                if (!visit(chunk.subspan(r * recordSize_, recordSize_), Position{first.file, first.record + r}))
                    return false;
            return true;
        });
    }
    // Visits the records after `after`, oldest first, until the visitor
    // returns false; same result as walkBackward.
    template <class Visit> bool walkForward(Position after, Visit visit)
    {
        return walkChunksForward(after, [&](std::span<const unsigned char> chunk, Position first) {
            for (std::size_t r = 0; r < chunk.size() / recordSize_; ++r)
                if (!visit(chunk.subspan(r * recordSize_, recordSize_), Position{first.file, first.record + r}))
                    return false;
            return true;
        });
    }

    // Whole records, read together (about 256 KiB), and where the first lies;
    // walkChunksBackward gives the newest chunk first. One call a chunk:
    // walks that look records up in large tables fetch a chunk's entries
    // together.
    using ChunkVisit = std::function<bool(std::span<const unsigned char> records, Position first)>;
    bool walkChunksBackward(const ChunkVisit &visit);
    std::size_t recordSize() const { return recordSize_; }
    // Opens every file now, so that another thread can walk the log.
    void openAll()
    {
        for (std::size_t f = 0; f < openers_.size(); ++f)
            file(f);
    }

private:
    bool walkChunksForward(Position after, const ChunkVisit &visit);
    const ReadableFile *file(std::size_t index);
    void reserveBuffer(std::uint64_t fileBytes);

    std::size_t recordSize_;
    std::size_t chunkBytes_;
    std::vector<Opener> openers_;
    std::vector<std::unique_ptr<ReadableFile>> files_;
    std::vector<bool> tried_;
    std::vector<unsigned char> buffer_;
};

} // namespace tramsel::linux_accounts
