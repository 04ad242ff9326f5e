#include "update/updateTimesFile_p.h"

#include "platform/wholeTransfer_p.h"

#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

constexpr std::size_t kFileLength = 2 * sizeof(float);

// The file is reached through its path's bytes as they are (a folder name need not be valid
// UTF-8), never blocks (a FIFO or a device in its place opens at once and is then refused), and
// nothing but the file itself is ever created. A symbolic link in its place is not followed: the
// folder may be writable by others, and a link planted there must not make the host read or write
// (or create) whatever it names.
class TimesFile {
public:
    TimesFile(const std::string& path, int flags)
        : _fd(path.empty()
                  ? -1
                  : open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666)) {}
    ~TimesFile() {
        if (_fd >= 0)
            close(_fd);
    }
    TimesFile(const TimesFile&) = delete;
    TimesFile& operator=(const TimesFile&) = delete;

    /// True when a regular file is open; its length goes to length.
    bool isRegular(off_t& length) const {
        struct stat status;
        if (_fd < 0 || fstat(_fd, &status) != 0 || !S_ISREG(status.st_mode))
            return false;
        length = status.st_size;
        return true;
    }
    int fd() const { return _fd; }

private:
    int _fd;
};

} // namespace

bool readUpdateTimes(const std::string& path, float& lastCheck, float& lastDisplay) {
    lastCheck = 0.0f;
    lastDisplay = 0.0f;
    const TimesFile file(path, O_RDONLY);
    off_t length = 0;
    char bytes[kFileLength];
    if (!file.isRegular(length) || length != static_cast<off_t>(kFileLength) ||
        readWhole(file.fd(), bytes, kFileLength) != 0)
        return false;
    float check = 0.0f;
    float display = 0.0f;
    std::memcpy(&check, bytes, sizeof(float));
    std::memcpy(&display, bytes + sizeof(float), sizeof(float));
    // A time that is not a number (or infinite) would stop every later check: treat it as damage.
    if (!std::isfinite(check) || !std::isfinite(display))
        return false;
    lastCheck = check;
    lastDisplay = display;
    return true;
}

bool writeUpdateTimes(const std::string& path, float lastCheck, float lastDisplay) {
    // Truncated only once it is known to be a regular file.
    const TimesFile file(path, O_WRONLY | O_CREAT);
    off_t length = 0;
    char bytes[kFileLength];
    std::memcpy(bytes, &lastCheck, sizeof(float));
    std::memcpy(bytes + sizeof(float), &lastDisplay, sizeof(float));
    return file.isRegular(length) && ftruncate(file.fd(), 0) == 0 &&
           writeWhole(file.fd(), bytes, kFileLength) == 0;
}

} // namespace orv
