#include "StandinReplies.h"

#include "LoopbackUpdateServer.h"
#include "StandinOptions.h"

#include <QByteArray>
#include <QFile>

using orvstandin::ServerAnswer;

namespace {

const char kRequestPath[] = "/lastZembrixVersion.txt";
const char kFilePrefix[] = "file:";

QByteArray number(int value) {
    return QByteArray::number(value);
}

QByteArray newVersionReply(int hostVersion) {
    return "last: " + number(hostVersion + 100) +
           " rev1\n"
           "rev1 first release of this version\n"
           "change Faster scene loading\n"
           "change A new model browser\n";
}

QByteArray bugFixReply(int hostVersion, int hostRevision) {
    const QByteArray revision = "rev" + number(hostRevision + 1);
    return "last: " + number(hostVersion) + " " + revision + "\n" + revision +
           " fixes a crash when a scene is closed\n";
}

bool isFileReply(const std::string& kind) {
    return kind.rfind(kFilePrefix, 0) == 0 && kind.size() > sizeof(kFilePrefix) - 1;
}

} // namespace

bool isKnownReply(const std::string& kind) {
    for (const char* known :
         {"new-version", "bug-fix", "up-to-date", "http-error", "closed", "silence", "redirect", "endless"})
        if (kind == known)
            return true;
    return isFileReply(kind);
}

std::string replyWithAbsoluteFile(const std::string& kind) {
    if (!isFileReply(kind))
        return kind;
    return kFilePrefix + absolutePath(kind.substr(sizeof(kFilePrefix) - 1));
}

bool serveReply(const std::string& kind, int hostVersion, int hostRevision,
                orvstandin::LoopbackUpdateServer& server, std::string& error) {
    ServerAnswer answer = ServerAnswer::withBody(newVersionReply(hostVersion));
    if (kind == "bug-fix") {
        answer = ServerAnswer::withBody(bugFixReply(hostVersion, hostRevision));
    } else if (kind == "up-to-date") {
        answer =
            ServerAnswer::withBody("last: " + number(hostVersion) + " rev" + number(hostRevision) + "\n");
    } else if (kind == "http-error") {
        answer = ServerAnswer::withStatus(500, "the update service is down\n");
    } else if (kind == "closed") {
        answer = ServerAnswer::closeConnection();
    } else if (kind == "silence") {
        answer = ServerAnswer::silence();
    } else if (kind == "endless") {
        answer = ServerAnswer::endlessBody();
    } else if (kind == "redirect") {
        server.setAnswer("/moved/lastZembrixVersion.txt", answer);
        answer = ServerAnswer::redirectTo("/moved/lastZembrixVersion.txt", 301);
    } else if (isFileReply(kind)) {
        QFile file(QString::fromStdString(kind.substr(sizeof(kFilePrefix) - 1)));
        if (!file.open(QIODevice::ReadOnly)) {
            error = "cannot read the reply file " + file.fileName().toStdString();
            return false;
        }
        answer = ServerAnswer::withBody(file.readAll());
    }
    server.setAnswer(kRequestPath, answer);
    return true;
}
