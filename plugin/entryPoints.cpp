#include "plugin/hostConstants_p.h"
#include "plugin/orvPlugin.h"
#include "plugin/updateCommands_p.h"
#include "simLib/simLib.h"

#include <QCoreApplication>

#include <iostream>
#include <string>
#include <unistd.h>

namespace {

const char* const kCannotLoad =
    "Error, could not find or correctly load the Zembrix library. Cannot start 'Orv' plugin.\n";
const char* const kMissingFunctions =
    "Error, could not find all required functions in the Zembrix library. Cannot start 'Orv' plugin.\n";
const char* const kHostTooOld = "Sorry, your Zembrix copy is somewhat old, Zembrix 3.6.3 or higher is "
                                "required. Cannot start 'Orv' plugin.\n";

// Unloads the host library and forgets it, so a later simEnd cannot unload it twice.
void releaseHostLibrary() {
    unloadSimLibrary(simLib);
    simLib = nullptr;
}

unsigned char refuse(const char* message) {
    std::cout << message << std::flush;
    return 0;
}

// A host may unload the plugin without calling simEnd: the library then ends the session itself, so
// that no checker (with its timer and reply) and no reference to the host library outlives its code.
// Without an application object (the host has none yet, or it is exiting and its object is gone) Qt
// cannot take a pending request apart cleanly: the checker is only cut off from Qt.
struct SessionEnder {
    ~SessionEnder() {
        if (QCoreApplication::instance() != nullptr) {
            simEnd();
            return;
        }
        orv::abandonUpdateCheck();
        releaseHostLibrary();
    }
} sessionEnder;

} // namespace

extern "C" unsigned char simStart(void*, int) {
    // A second start binds anew: the first reference to the host library is released, not leaked.
    releaseHostLibrary();
    char cwd[1024];
    if (getcwd(cwd, sizeof(cwd)) == nullptr)
        return refuse(kCannotLoad);
    const std::string path = std::string(cwd) + "/" + orv::kHostLibraryName;
    simLib = loadSimLibrary(path.c_str());
    if (simLib == nullptr)
        return refuse(kCannotLoad);

    if (getSimProcAddresses(simLib) == 0) {
        releaseHostLibrary();
        return refuse(kMissingFunctions);
    }

    int version = 0;
    simGetIntegerParameter(1, &version);
    int unusedParameter30 = 0;
    simGetIntegerParameter(30, &unusedParameter30);
    if (version < orv::kMinimumHostVersion) {
        releaseHostLibrary();
        return refuse(kHostTooOld);
    }

    pMainWindow = simGetMainWindow(1);
    return 1;
}

extern "C" void* simMessage(int, int*, void*, int*) {
    return nullptr;
}

extern "C" void simEnd() {
    // The host's session ends here, while its event loop still runs: a checker still alive goes as
    // command 5 would take it, with nothing of it left scheduled in the host's Qt.
    orv::destroyUpdateCheck();
    releaseHostLibrary();
}
