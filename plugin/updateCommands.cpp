#include "plugin/updateCommands_p.h"

#include "plugin/installationId_p.h"
#include "plugin/orvPlugin.h"
#include "update/CUpdateCheck.h"

#include <QNetworkReply>
#include <QTimer>

namespace orv {

void createUpdateCheck() {
    // Only one checker exists at a time: the old one goes first (recording a pending check).
    destroyUpdateCheck();
    const InstallationId id = currentInstallationId();
    updateCheck = new CUpdateCheck(static_cast<unsigned long>(id.hash), id.text, simFlavor, programVersionNb,
                                   programRevisionNb, false, false);
}

void destroyUpdateCheck() {
    delete updateCheck;
    updateCheck = nullptr;
}

void abandonUpdateCheck() {
    if (updateCheck == nullptr)
        return;
    // Cut off from everything that could call into this library: no connection to the checker is
    // left, its timer stands still and its request is aborted (which the checker no longer hears).
    for (QObject* child : updateCheck->findChildren<QObject*>())
        QObject::disconnect(child, nullptr, updateCheck, nullptr);
    for (QTimer* timer : updateCheck->findChildren<QTimer*>())
        timer->stop();
    for (QNetworkReply* reply : updateCheck->findChildren<QNetworkReply*>())
        reply->abort();
}

void runUpdateCheck() {
    if (updateCheck != nullptr)
        updateCheck->checkForUpdate();
}

std::string takeUpdateNotice() {
    return updateCheck != nullptr ? updateCheck->getUpdateStringToDisplay() : std::string();
}

} // namespace orv
