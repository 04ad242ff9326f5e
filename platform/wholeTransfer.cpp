#include "platform/wholeTransfer_p.h"

#include <cerrno>
#include <unistd.h>

namespace orv {

namespace {

template <typename Bytes, typename Transfer>
int transferWhole(int fd, Bytes bytes, std::size_t count, Transfer transfer) {
    while (count > 0) {
        errno = 0;
        const ssize_t done = transfer(fd, bytes, count);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return done < 0 && errno != 0 ? errno : EIO;
        bytes += done;
        count -= static_cast<std::size_t>(done);
    }
    return 0;
}

} // namespace

int readWhole(int fd, char* bytes, std::size_t count) {
    return transferWhole(fd, bytes, count, ::read);
}

int writeWhole(int fd, const char* bytes, std::size_t count) {
    return transferWhole(fd, bytes, count, ::write);
}

} // namespace orv
