#include "common/IsolatedRun.h"
#include "common/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvtest {

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
    QTemporaryFile output;
    if (!output.open())
        return result;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        // The child: its alarm's default action kills it at the time limit.
        alarm(static_cast<unsigned>(setup.timeLimitSeconds));
        dup2(output.handle(), STDOUT_FILENO);
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
    int status = 0;
    while (pid > 0 && waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = fileBytes(output.fileName().toStdString());
    return result;
}

} // namespace orvtest
