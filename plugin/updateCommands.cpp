#include "plugin/updateCommands_p.h"

#include "plugin/installationId_p.h"
#include "plugin/orvPlugin.h"
#include "update/CUpdateCheck.h"

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

void runUpdateCheck() {
    if (updateCheck != nullptr)
        updateCheck->checkForUpdate();
}

std::string takeUpdateNotice() {
    return updateCheck != nullptr ? updateCheck->getUpdateStringToDisplay() : std::string();
}

} // namespace orv
