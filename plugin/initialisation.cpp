#include "plugin/hostConstants_p.h"
#include "plugin/orvPlugin.h"

#include <cstdio>

namespace {

std::string textOrEmpty(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

} // namespace

extern "C" bool orvPlugin_init(bool xml, int flavor, int versionNb, int revisionNb, const char* version,
                               const char* revision, const char* serialization, const char* compiler,
                               const char* buildDate, const char* qtVersion) {
    xmlEnabled = xml;
    simFlavor = flavor == orv::kEditionQuelt ? orv::kEditionQuelt : orv::kEditionCustom;
    std::printf("orv: %i\n", 1);

    programVersionNb = versionNb;
    programRevisionNb = revisionNb;
    programVersion = textOrEmpty(version);
    programRevision = textOrEmpty(revision);
    if (programVersionNb != orv::kExpectedHostVersion) {
        std::puts("Error: mismatch with simExtOrv plugin.");
        programVersionNb = 0;
        programVersion = "0.0.0";
    }

    serializationVersion = textOrEmpty(serialization);
    compilerStr = textOrEmpty(compiler);
    buildDateStr = textOrEmpty(buildDate);
    qtVersionStr = textOrEmpty(qtVersion);
    return true;
}

extern "C" void orvPlugin_setHld(void* mainWindow) {
    pMainWindow = mainWindow;
}
