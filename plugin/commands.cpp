#include "plugin/hostConstants_p.h"
#include "plugin/orvPlugin.h"
#include "plugin/updateCommands_p.h"

extern "C" void orvPlugin_run(int command) {
    // Only the Quelt edition checks for updates; every other command does nothing.
    if (simFlavor != orv::kEditionQuelt)
        return;
    switch (command) {
    case 4:
        orv::createUpdateCheck();
        return;
    case 5:
        orv::destroyUpdateCheck();
        return;
    case 6:
        orv::runUpdateCheck();
        return;
    default:
        return;
    }
}
