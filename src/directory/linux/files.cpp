// Reading files by position with pread(2), and walking logs of records.
#include "directory/linux/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <numeric>

namespace tramsel::linux_accounts {
namespace {

class PosixFile final : public ReadableFile {
public:
    PosixFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~PosixFile() override { ::close(fd_); }
    PosixFile(const PosixFile &) = delete;
    PosixFile &operator=(const PosixFile &) = delete;

    std::uint64_t size() const override { return size_; }

    std::optional<std::size_t> readAt(std::span<unsigned char> buffer,
                                      std::uint64_t offset) const override
    {
        std::size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t n = ::pread(fd_, buffer.data() + done, buffer.size() - done,
                                      static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return std::nullopt;
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    std::string descriptorPath() const override { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
    std::uint64_t size_;
};

} // namespace

// O_NONBLOCK: opening a FIFO someone left at the path must not hang.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

PosixFileReader::PosixFileReader(std::string root) : root_(std::move(root))
{
    if (!root_.empty())
        rootFd_ = ::open(root_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

PosixFileReader::~PosixFileReader()
{
    if (rootFd_ >= 0)
        ::close(rootFd_);
}

int PosixFileReader::openInRoot(const std::string &path, int flags)
{
    if (rootFd_ < 0)
        return -1;
    open_how how{};
    how.flags = static_cast<std::uint64_t>(flags);
    how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS;
    const std::string relative = path.substr(path.find_first_not_of('/') == std::string::npos
                                                 ? path.size() : path.find_first_not_of('/'));
    const long fd = ::syscall(SYS_openat2, rootFd_, relative.empty() ? "." : relative.c_str(),
                              &how, sizeof how);
    if (fd >= 0 || errno != ENOSYS)
        return static_cast<int>(fd);
    // Kernels before 5.6: plain prefixing, absolute links then leave the root.
    return ::openat(rootFd_, relative.c_str(), flags);
}

int PosixFileReader::openPath(const std::string &path, int flags)
{
    if (path.empty() || path.front() != '/') {
        errno = EINVAL;
        return -1;
    }
    return root_.empty() ? ::open(path.c_str(), flags) : openInRoot(path, flags);
}

std::unique_ptr<ReadableFile> PosixFileReader::open(const std::string &path)
{
    const int fd = openPath(path, kOpenFlags);
    if (fd < 0) {
        lastError_ = errno;
        return nullptr;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        lastError_ = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd, static_cast<std::uint64_t>(status.st_size));
}

std::optional<std::vector<std::string>> PosixFileReader::names(const std::string &path)
{
    const int fd = openPath(path, kOpenFlags | O_DIRECTORY);
    if (fd < 0 && errno == ENOENT)
        return std::vector<std::string>();
    DIR *folder = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!folder) {
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    std::vector<std::string> found;
    errno = 0;
    while (const dirent *entry = ::readdir(folder))
        found.emplace_back(entry->d_name);
    const bool complete = errno == 0;
    ::closedir(folder);
    return complete ? std::optional(std::move(found)) : std::nullopt;
}

std::optional<std::size_t> MemoryFile::readAt(std::span<unsigned char> buffer,
                                              std::uint64_t offset) const
{
    if (offset >= bytes_.size())
        return 0;
    const auto count = std::min<std::uint64_t>(buffer.size(), bytes_.size() - offset);
    std::memcpy(buffer.data(), bytes_.data() + offset, count);
    return static_cast<std::size_t>(count);
}

std::optional<std::string> readText(const ReadableFile &file, std::uint64_t limit)
{
    if (file.size() > limit)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(file.size()), '\0');
    const auto read = file.readAt(
        {reinterpret_cast<unsigned char *>(text.data()), text.size()}, 0);
    if (!read)
        return std::nullopt;
    text.resize(*read);
    return text;
}

RecordLog::RecordLog(std::size_t recordSize, std::vector<Opener> filesOldestFirst)
    : recordSize_(recordSize), openers_(std::move(filesOldestFirst)),
      files_(openers_.size()), tried_(openers_.size(), false)
{
    // Chunks start on page boundaries that are also record boundaries, and
    // hold about 256 KiB: reading a large log took about a sixth less
    // processor time than in 64 KiB chunks, and a chunk stays in cache.
    constexpr std::size_t kPage = 4096;
    constexpr std::size_t kTarget = 256 * 1024;
    const std::size_t aligned = std::lcm(recordSize_, kPage);
    chunkBytes_ = aligned <= kTarget ? aligned * (kTarget / aligned)
                                     : recordSize_ * std::max<std::size_t>(1, kTarget / recordSize_);
}

void RecordLog::reserveBuffer(std::uint64_t fileBytes)
{
    // A small file (a tally) needs no more than itself.
    const auto needed = static_cast<std::size_t>(std::min<std::uint64_t>(chunkBytes_, fileBytes));
    if (buffer_.size() < needed)
        buffer_.resize(needed);
}

const ReadableFile *RecordLog::file(std::size_t index)
{
    if (!tried_[index]) {
        tried_[index] = true;
        files_[index] = openers_[index]();
    }
    return files_[index].get();
}

bool RecordLog::walkChunksBackward(const ChunkVisit &visit)
{
    bool anyOpened = false;
    for (std::size_t f = openers_.size(); f-- > 0;) {
        const ReadableFile *current = file(f);
        if (!current)
            continue;
        anyOpened = true;
        const std::uint64_t records = current->size() / recordSize_;
        const std::uint64_t end = records * recordSize_;
        if (end == 0)
            continue;
        reserveBuffer(end);
        const std::uint64_t chunks = (end - 1) / chunkBytes_ + 1;
        for (std::uint64_t chunk = chunks; chunk-- > 0;) {
            const std::uint64_t start = chunk * chunkBytes_;
            const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(chunkBytes_, end - start));
            const auto read = current->readAt({buffer_.data(), length}, start);
            if (!read)
                return false;
            // A file that shrank since it was opened: keep what is whole.
            if (!visit({buffer_.data(), *read / recordSize_ * recordSize_}, {f, start / recordSize_}))
                return true;
        }
    }
    return anyOpened;
}

bool RecordLog::walkChunksForward(Position after, const ChunkVisit &visit)
{
    for (std::size_t f = after.file; f < openers_.size(); ++f) {
        const ReadableFile *current = file(f);
        if (!current)
            continue;
        const std::uint64_t records = current->size() / recordSize_;
        reserveBuffer(records * recordSize_);
        std::uint64_t next = f == after.file ? after.record + 1 : 0;
        while (next < records) {
            const std::uint64_t start = next * recordSize_;
            // Stay on chunk boundaries after the first read.
            const std::uint64_t chunkEnd = (start / chunkBytes_ + 1) * chunkBytes_;
            const auto length = static_cast<std::size_t>(
                std::min(chunkEnd, records * recordSize_) - start);
            const auto read = current->readAt({buffer_.data(), length}, start);
            if (!read)
                return false;
            const std::size_t whole = *read / recordSize_;
            if (!visit({buffer_.data(), whole * recordSize_}, {f, next}))
                return true;
            if (whole * recordSize_ < length)
                break;  // the file shrank
            next += whole;
        }
    }
    return true;
}

} // namespace tramsel::linux_accounts
