#include "settings/configFileWriter_p.h"

#include "platform/wholeTransfer_p.h"
#include "settings/fileReplacement_p.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

/// How many names are tried before a temporary file gives up.
constexpr int kNameAttempts = 100;

/// The result of a system call that failed: its error number, never 0.
int lastError() {
    return errno != 0 ? errno : EIO;
}

/// A name for a new file beside the one named `name` that no other write uses at the same time; as
/// much of `name` as leaves it within the folder's longest name.
std::string temporaryName(const std::string& name, int folder) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    const unsigned long long stamp = static_cast<unsigned long long>(ticks) * 31u + counter++;
    const std::string tail = "." + std::to_string(static_cast<long long>(getpid())) + "." +
                             std::to_string(stamp % 1000000007u) + ".tmp";
    const long limit = ::fpathconf(folder, _PC_NAME_MAX);
    const std::size_t longest = static_cast<std::size_t>(limit > 0 ? limit : NAME_MAX);
    const std::size_t room = longest > tail.size() + 1 ? longest - tail.size() - 1 : 0;
    return "." + name.substr(0, room) + tail;
}

/// Gives a new file a free temporary name beside `name` in the folder, through `create`, which
/// returns -1 when it fails; 0 or the error number, with the name in `temporary`.
template <typename Create>
int createUnderFreeName(const std::string& name, int folder, std::string& temporary, Create create) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary = temporaryName(name, folder);
        if (create(temporary.c_str()) >= 0)
            return 0;
        if (errno != EEXIST)
            break;
    }
    const int error = lastError();
    temporary.clear();
    return error;
}

/// The folder takes no new file from this user, while the existing file may still be written. (A
/// full disk is no such case: writing in place would then lose the old content too.)
bool isFolderRefusal(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace

ConfigFileWriter::~ConfigFileWriter() {
    _release();
}

void ConfigFileWriter::_release() {
    if (_fd >= 0)
        ::close(_fd);
    if (!_temporary.empty())
        ::unlinkat(_folder, _temporary.c_str(), 0);
    if (_folder >= 0)
        ::close(_folder);
    _fd = -1;
    _folder = -1;
    _temporary.clear();
}

int ConfigFileWriter::open(const std::string& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) != 0) {
        if (errno != ENOENT)
            return lastError();
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0)
            return _openInPlace(path); // a link to a missing file: create the file it names
        const int opened = _openReplacement(folderEntryOf(path), nullptr);
        return opened >= 0 ? opened : _openInPlace(path);
    }
    if (S_ISDIR(existing.st_mode))
        return EISDIR;
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return lastError();
    // The new file lies beside the file that symbolic links name, so that the links stay.
    FolderEntry entry;
    const Replacement replacement = replacementOf(path, existing, entry);
    if (replacement != Replacement::rename)
        return _openInPlace(path, replacement == Replacement::append);
    const int opened = _openReplacement(entry, &existing);
    return opened >= 0 ? opened : _openInPlace(path);
}

int ConfigFileWriter::_openReplacement(const FolderEntry& entry, const struct stat* existing) {
    _folder = ::open(entry.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (_folder < 0)
        return lastError();
    _name = entry.name;
    // A new file gets the usual mode of new files (0666 less the umask); a replacing file is kept
    // private until it has the old file's owner, group and mode. It is named only once complete,
    // through the process's own view of its open files.
    const mode_t mode = existing != nullptr ? 0600 : 0666;
    if (::access("/proc/self/fd", X_OK) == 0)
        _fd = ::openat(_folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (_fd < 0) {
        if (const int error = _createNamed(mode)) {
            _release();
            return existing != nullptr && isFolderRefusal(error) ? -1 : error;
        }
    }
    if (existing == nullptr)
        return 0;
    struct stat created {};
    const bool sameOwner = ::fstat(_fd, &created) == 0 && created.st_uid == existing->st_uid &&
                           created.st_gid == existing->st_gid;
    // The owner first: changing it may clear the set-user-ID and set-group-ID bits.
    if ((sameOwner || ::fchown(_fd, existing->st_uid, existing->st_gid) == 0) &&
        ::fchmod(_fd, existing->st_mode & 07777) == 0)
        return 0;
    _release();
    return -1;
}

int ConfigFileWriter::_createNamed(mode_t mode) {
    return createUnderFreeName(_name, _folder, _temporary, [this, mode](const char* name) {
        _fd = ::openat(_folder, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        return _fd;
    });
}

int ConfigFileWriter::_nameUnnamed() {
    const std::string self = "/proc/self/fd/" + std::to_string(_fd);
    return createUnderFreeName(_name, _folder, _temporary, [this, &self](const char* name) {
        return ::linkat(AT_FDCWD, self.c_str(), _folder, name, AT_SYMLINK_FOLLOW);
    });
}

int ConfigFileWriter::_openInPlace(const std::string& path, bool append) {
    // Without O_NONBLOCK, opening a FIFO that nobody reads would wait for ever.
    const int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (append ? O_APPEND : 0);
    _fd = ::open(path.c_str(), flags, 0666);
    if (_fd < 0)
        return lastError();
    struct stat opened {};
    if (::fstat(_fd, &opened) != 0)
        return lastError();
    if (!append && S_ISREG(opened.st_mode) && ::ftruncate(_fd, 0) != 0)
        return lastError();
    const int status = ::fcntl(_fd, F_GETFL);
    if (status < 0 || ::fcntl(_fd, F_SETFL, status & ~O_NONBLOCK) != 0)
        return lastError();
    return 0;
}

int ConfigFileWriter::write(const std::string& bytes) {
    return writeWhole(_fd, bytes.data(), bytes.size());
}

int ConfigFileWriter::finish() {
    int error = 0;
    // Only the replacing file needs to reach the disk before it takes the old one's place.
    if (_folder >= 0 && ::fsync(_fd) != 0)
        error = lastError();
    else if (_folder >= 0 && _temporary.empty())
        error = _nameUnnamed();
    const int closed = ::close(_fd) != 0 ? lastError() : 0;
    _fd = -1;
    return error != 0 ? error : closed;
}

int ConfigFileWriter::replace() {
    if (_folder < 0)
        return 0;
    if (::renameat(_folder, _temporary.c_str(), _folder, _name.c_str()) != 0)
        return lastError();
    _temporary.clear();
    return 0;
}

} // namespace orv
