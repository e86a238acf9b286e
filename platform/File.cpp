#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

namespace platform {

namespace {
// Title files, undo snapshots and test fixtures are far below this.
constexpr uint64_t kMaxMemoryFile = uint64_t{1} << 32;
}  // namespace

FileError FileErrorFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return FileError::fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return FileError::badPath;
        case EMFILE:
        case ENFILE:
            return FileError::tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return FileError::accessDenied;
        case EBADF:
            return FileError::invalidFile;
        case ENOSPC:
        case EDQUOT:
            return FileError::diskFull;
        case EIO:
            return FileError::hardIO;
        case ESPIPE:
        case EINVAL:
            return FileError::badSeek;
        case EBUSY:
        case ETXTBSY:
            return FileError::sharingViolation;
        case EDEADLK:
        case ENOLCK:
            return FileError::lockViolation;
        case EMLINK:
            return FileError::directoryFull;
        default:
            return FileError::generic;
    }
}

DiskFile::~DiskFile() {
    Close();
}

FileError DiskFile::Open(const std::string& path, Mode mode) {
    Close();
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::read:
            flags |= O_RDONLY;
            break;
        case Mode::write:
            flags |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
        case Mode::readWrite:
            flags |= O_RDWR | O_CREAT;
            break;
    }
    if (path.empty()) return FileError::badPath;
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) return FileErrorFromErrno(errno);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return FileError::accessDenied;
    }
    fd_ = fd;
    path_ = path;
    position_ = 0;
    length_ = static_cast<uint64_t>(st.st_size);
    return FileError::none;
}

void DiskFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

size_t DiskFile::Read(void* buffer, size_t n) {
    size_t done = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (done < n) {
        ssize_t got = ::read(fd_, out + done, n - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileException(FileErrorFromErrno(errno), path_);
        }
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    position_ += done;
    return done;
}

void DiskFile::Write(const void* buffer, size_t n) {
    size_t done = 0;
    auto* in = static_cast<const uint8_t*>(buffer);
    while (done < n) {
        ssize_t put = ::write(fd_, in + done, n - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            throw FileException(FileErrorFromErrno(errno), path_);
        }
        done += static_cast<size_t>(put);
        position_ += static_cast<uint64_t>(put);
        length_ = std::max(length_, position_);
    }
}

void DiskFile::Seek(uint64_t position) {
    if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0)
        throw FileException(FileError::badSeek, path_);
    position_ = position;
}

uint64_t DiskFile::Position() const {
    return position_;
}

uint64_t DiskFile::Length() const {
    return length_;
}

void DiskFile::Flush() {
    if (fd_ >= 0 && ::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
        throw FileException(FileErrorFromErrno(errno), path_);
}

size_t MemoryFile::Read(void* buffer, size_t n) {
    if (position_ >= bytes_.size()) return 0;
    size_t got = std::min<uint64_t>(n, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, got);
    position_ += got;
    return got;
}

void MemoryFile::Write(const void* buffer, size_t n) {
    if (n == 0) return;
    // A position far beyond anything memory can hold (or one that wraps around) is a full disk, not
    // an out-of-bounds copy.
    if (position_ > kMaxMemoryFile || n > kMaxMemoryFile - position_)
        throw FileException(FileError::diskFull, path_);
    auto* in = static_cast<const uint8_t*>(buffer);
    if (position_ == bytes_.size()) {
        // Appending, as every store does: the bytes are copied once, not zeroed first.
        bytes_.insert(bytes_.end(), in, in + n);
    } else {
        if (position_ + n > bytes_.size()) bytes_.resize(position_ + n);
        std::memcpy(bytes_.data() + position_, in, n);
    }
    position_ += n;
}

SharedMemoryFile::SharedMemoryFile(SharedBytes bytes, std::string path)
    : bytes_(bytes ? std::move(bytes) : std::make_shared<const std::vector<uint8_t>>()),
      path_(std::move(path)) {}

size_t SharedMemoryFile::Read(void* buffer, size_t n) {
    const std::vector<uint8_t>& bytes = *bytes_;
    if (position_ >= bytes.size()) return 0;
    size_t got = std::min<uint64_t>(n, bytes.size() - position_);
    std::memcpy(buffer, bytes.data() + position_, got);
    position_ += got;
    return got;
}

void SharedMemoryFile::Write(const void*, size_t) {
    throw FileException(FileError::accessDenied, path_);
}

SharedBytes ReadWholeFile(const std::string& path, uint64_t limit, FileError* error) {
    DiskFile file;
    const FileError opened = file.Open(path, DiskFile::Mode::read);
    if (error) *error = opened;
    if (opened != FileError::none || file.Length() > limit) return nullptr;
    try {
        auto bytes = std::make_shared<std::vector<uint8_t>>(file.Length());
        // A file that shrank while it was read is taken as far as it went.
        bytes->resize(file.Read(bytes->data(), bytes->size()));
        return bytes;
    } catch (const std::bad_alloc&) {
        return nullptr;
    } catch (const FileException& e) {
        if (error) *error = e.cause;
        return nullptr;
    }
}

bool FileExists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

bool IsReadOnlyFile(const std::string& path) {
    return FileExists(path) && ::access(path.c_str(), W_OK) != 0;
}

FileError RenameFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? FileError::none : FileErrorFromErrno(errno);
}

void RemoveFile(const std::string& path) {
    ::unlink(path.c_str());
}

bool FileStamp::Settled() const {
    constexpr int64_t kSettledNanoseconds = 200'000'000;
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const int64_t present = static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    return present - std::max(modified, changed) > kSettledNanoseconds;
}

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    auto nanoseconds = [](const struct timespec& t) {
        return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
    };
    FileStamp stamp;
    stamp.device = static_cast<uint64_t>(status.st_dev);
    stamp.node = static_cast<uint64_t>(status.st_ino);
    stamp.size = static_cast<uint64_t>(status.st_size);
    stamp.modified = nanoseconds(status.st_mtim);
    stamp.changed = nanoseconds(status.st_ctim);
    return stamp;
}

std::string TemporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    struct stat info {};
    if (folder && *folder && ::stat(folder, &info) == 0 && S_ISDIR(info.st_mode)) return folder;
    return "/tmp";
}

}  // namespace platform
