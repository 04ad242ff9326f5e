#include "plugin/updateCommands_p.h"

#include "plugin/installationId_p.h"
#include "plugin/orvPlugin.h"
#include "update/CUpdateCheck.h"

namespace orv {

namespace {

// A host may unload the plugin without ending it first: the checker still goes as command 5 would
// take it, so no timer, reply or connection of it outlives the library's code.
struct CheckerRemover {
    ~CheckerRemover() { destroyUpdateCheck(); }
} checkerRemover;

} // namespace

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
