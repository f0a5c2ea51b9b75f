// Reading files by position with pread(2), and walking logs of records.
#include "platform/linux/files.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
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

int PosixFileReader::openInRoot(const std::string &path)
{
    if (rootFd_ < 0)
        return -1;
    open_how how{};
    how.flags = kOpenFlags;
    how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS;
    const std::string relative = path.substr(path.find_first_not_of('/') == std::string::npos
                                                 ? path.size() : path.find_first_not_of('/'));
    const long fd = ::syscall(SYS_openat2, rootFd_, relative.empty() ? "." : relative.c_str(),
                              &how, sizeof how);
    if (fd >= 0 || errno != ENOSYS)
        return static_cast<int>(fd);
    // Kernels before 5.6: plain prefixing, absolute links then leave the root.
    return ::openat(rootFd_, relative.c_str(), kOpenFlags);
}

std::unique_ptr<ReadableFile> PosixFileReader::open(const std::string &path)
{
    if (path.empty() || path.front() != '/')
        return nullptr;
    const int fd = root_.empty() ? ::open(path.c_str(), kOpenFlags) : openInRoot(path);
    if (fd < 0)
        return nullptr;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd, static_cast<std::uint64_t>(status.st_size));
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
    // hold about 64 KiB: few system calls, little memory.
    constexpr std::size_t kPage = 4096;
    constexpr std::size_t kTarget = 64 * 1024;
    const std::size_t aligned = std::lcm(recordSize_, kPage);
    chunkBytes_ = aligned <= kTarget ? aligned * (kTarget / aligned)
                                     : recordSize_ * std::max<std::size_t>(1, kTarget / recordSize_);
}

const ReadableFile *RecordLog::file(std::size_t index)
{
    if (!tried_[index]) {
        tried_[index] = true;
        files_[index] = openers_[index]();
    }
    return files_[index].get();
}

bool RecordLog::walkBackward(
    const std::function<bool(std::span<const unsigned char>, Position)> &visit)
{
    bool anyOpened = false;
    buffer_.resize(chunkBytes_);
    for (std::size_t f = openers_.size(); f-- > 0;) {
        const ReadableFile *current = file(f);
        if (!current)
            continue;
        anyOpened = true;
        const std::uint64_t records = current->size() / recordSize_;
        const std::uint64_t end = records * recordSize_;
        if (end == 0)
            continue;
        for (std::uint64_t chunk = (end - 1) / chunkBytes_ + 1; chunk-- > 0;) {
            const std::uint64_t start = chunk * chunkBytes_;
            const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(chunkBytes_, end - start));
            const auto read = current->readAt({buffer_.data(), length}, start);
            if (!read)
                return false;
            // A file that shrank since it was opened: keep what is whole.
            for (std::size_t r = *read / recordSize_; r-- > 0;) {
                const Position position{f, start / recordSize_ + r};
                if (!visit({buffer_.data() + r * recordSize_, recordSize_}, position))
                    return true;
            }
        }
    }
    return anyOpened;
}

bool RecordLog::walkForward(
    Position after, const std::function<bool(std::span<const unsigned char>, Position)> &visit)
{
    buffer_.resize(chunkBytes_);
    for (std::size_t f = after.file; f < openers_.size(); ++f) {
        const ReadableFile *current = file(f);
        if (!current)
            continue;
        const std::uint64_t records = current->size() / recordSize_;
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
            for (std::size_t r = 0; r < whole; ++r) {
                if (!visit({buffer_.data() + r * recordSize_, recordSize_}, {f, next + r}))
                    return true;
            }
            if (whole * recordSize_ < length)
                break;  // the file shrank
            next += whole;
        }
    }
    return true;
}

} // namespace tramsel::linux_accounts
