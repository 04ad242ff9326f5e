#include "settings/configFileWriter_p.h"

#include "platform/wholeTransfer_p.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

/// The result of a system call that failed: its error number, never 0.
int lastError() {
    return errno != 0 ? errno : EIO;
}

/// A name for a new file beside `target` that no other write uses at the same time.
std::string temporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    const unsigned long long stamp = static_cast<unsigned long long>(ticks) * 31u + counter++;
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return target.substr(0, nameStart) + "." + target.substr(nameStart) + "." +
           std::to_string(static_cast<long long>(getpid())) + "." + std::to_string(stamp % 1000000007u) +
           ".tmp";
}

/// The folder takes no new file from this user, while the existing file may still be written. (A
/// full disk is no such case: writing in place would then lose the old content too.)
bool isFolderRefusal(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace

ConfigFileWriter::~ConfigFileWriter() {
    if (_fd >= 0)
        ::close(_fd);
    if (!_temporary.empty())
        ::unlink(_temporary.c_str());
}

int ConfigFileWriter::open(const std::string& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) != 0) {
        if (errno != ENOENT)
            return lastError();
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0)
            return _openInPlace(path); // a link to a missing file: create the file it names
        const int opened = _openTemporary(path, nullptr);
        return opened >= 0 ? opened : _openInPlace(path);
    }
    if (S_ISDIR(existing.st_mode))
        return EISDIR;
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return lastError();
    if (!S_ISREG(existing.st_mode) || existing.st_nlink != 1)
        return _openInPlace(path);
    // The temporary file must lie beside the file a symbolic link names, so that the link stays.
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return lastError();
    const std::string target(resolved);
    std::free(resolved);
    const int opened = _openTemporary(target, &existing);
    return opened >= 0 ? opened : _openInPlace(path);
}

int ConfigFileWriter::_openTemporary(const std::string& target, const struct stat* existing) {
    // A new file gets the usual mode of new files (0666 less the umask); a replacing file is kept
    // private until it has the old file's owner, group and mode.
    const mode_t mode = existing != nullptr ? 0600 : 0666;
    for (int attempt = 0; attempt < 100 && _fd < 0; ++attempt) {
        _temporary = temporaryName(target);
        _fd = ::open(_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (_fd < 0 && errno != EEXIST) {
            const int error = lastError();
            _temporary.clear();
            return existing != nullptr && isFolderRefusal(error) ? -1 : error;
        }
    }
    if (_fd < 0) {
        _temporary.clear();
        return EEXIST;
    }
    _target = target;
    if (existing == nullptr)
        return 0;
    struct stat created {};
    const bool sameOwner = ::fstat(_fd, &created) == 0 && created.st_uid == existing->st_uid &&
                           created.st_gid == existing->st_gid;
    // The owner first: changing it may clear the set-user-ID and set-group-ID bits.
    if ((sameOwner || ::fchown(_fd, existing->st_uid, existing->st_gid) == 0) &&
        ::fchmod(_fd, existing->st_mode & 07777) == 0)
        return 0;
    ::close(_fd);
    _fd = -1;
    ::unlink(_temporary.c_str());
    _temporary.clear();
    return -1;
}

int ConfigFileWriter::_openInPlace(const std::string& path) {
    // Without O_NONBLOCK, opening a FIFO that nobody reads would wait for ever.
    _fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (_fd < 0)
        return lastError();
    struct stat opened {};
    if (::fstat(_fd, &opened) != 0)
        return lastError();
    if (S_ISREG(opened.st_mode) && ::ftruncate(_fd, 0) != 0)
        return lastError();
    const int flags = ::fcntl(_fd, F_GETFL);
    if (flags < 0 || ::fcntl(_fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return lastError();
    return 0;
}

int ConfigFileWriter::write(const std::string& bytes) {
    return writeWhole(_fd, bytes.data(), bytes.size());
}

int ConfigFileWriter::finish() {
    // Only the replacing file needs to reach the disk before it takes the old one's place.
    const int synced = !_temporary.empty() && ::fsync(_fd) != 0 ? lastError() : 0;
    const int closed = ::close(_fd) != 0 ? lastError() : 0;
    _fd = -1;
    return synced != 0 ? synced : closed;
}

int ConfigFileWriter::replace() {
    if (_temporary.empty())
        return 0;
    if (::rename(_temporary.c_str(), _target.c_str()) != 0)
        return lastError();
    _temporary.clear();
    return 0;
}

} // namespace orv
