#include "common/IsolatedRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvtest {
namespace {

[[noreturn]] void runChild(const std::function<int()>& body, const IsolatedSetup& setup, int outputFd) {
    dup2(outputFd, STDOUT_FILENO);
    close(outputFd);
    int code = 100;
    {
        QTemporaryDir dir;
        const bool hostReady = setup.hostVariant.empty() ||
                               QFile::copy(QString::fromStdString(standinHostPath(setup.hostVariant)),
                                           dir.filePath("zadodiredi.dylib"));
        if (dir.isValid() && hostReady && QDir::setCurrent(dir.path()))
            code = body();
        std::fflush(stdout);
        QDir::setCurrent(QDir::rootPath());
    }
    std::fflush(nullptr);
    _exit(code);
}

} // namespace

bool actAsUnprivilegedUser(const std::vector<std::string>& paths) {
    if (geteuid() != 0)
        return true;
    const uid_t nobody = 65534;
    for (const std::string& path : paths)
        if (chown(path.c_str(), nobody, nobody) != 0)
            return false;
    return setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0;
}

std::string standinHostPath(const std::string& variant) {
    return std::string(ORV_TEST_STANDIN_HOSTS_DIR) + "/" + variant + "/zadodiredi.dylib";
}

IsolatedResult runIsolated(const std::function<int()>& body, const IsolatedSetup& setup) {
    IsolatedResult result;
    int fds[2];
    if (pipe(fds) != 0)
        return result;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return result;
    }
    if (pid == 0) {
        close(fds[0]);
        runChild(body, setup, fds[1]);
    }
    close(fds[1]);

    const time_t deadline = std::time(nullptr) + setup.timeLimitSeconds;
    char buffer[4096];
    for (;;) {
        pollfd pfd{fds[0], POLLIN, 0};
        const int ready = poll(&pfd, 1, 200);
        if (ready > 0) {
            const ssize_t n = read(fds[0], buffer, sizeof(buffer));
            if (n > 0) {
                result.output.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n == 0 || errno != EINTR)
                break;
        }
        if (std::time(nullptr) > deadline) {
            kill(pid, SIGKILL);
            result.timedOut = true;
            break;
        }
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

} // namespace orvtest
