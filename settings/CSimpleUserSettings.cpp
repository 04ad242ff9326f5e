#include "settings/CSimpleUserSettings.h"

#include "platform/moduleFile_p.h"
#include "settings/CConfReaderAndWriter.h"

#include <sys/stat.h>

namespace {

// Opening a FIFO for reading would wait for a writer, so only a regular file (or a link to one) is read.
bool isRegularFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

/// Reads the user-settings file into a fresh reader and asks it with `get`.
template <typename T, typename Getter> bool lookUp(const char* key, T& value, Getter get) {
    const std::string path = orv::moduleFilePath("system/usrset.txt");
    CConfReaderAndWriter settings;
    return !path.empty() && isRegularFile(path) && settings.readConfiguration(path.c_str()) &&
           (settings.*get)(key, value);
}

} // namespace

CSimpleUserSettings::CSimpleUserSettings() = default;

CSimpleUserSettings::~CSimpleUserSettings() = default;

bool CSimpleUserSettings::getBooleanFromFileDirectly(const char* key, bool& value) {
    return lookUp(key, value, &CConfReaderAndWriter::getBoolean);
}

bool CSimpleUserSettings::getIntegerFromFileDirectly(const char* key, int& value) {
    return lookUp(key, value, &CConfReaderAndWriter::getInteger);
}

bool CSimpleUserSettings::getFloatFromFileDirectly(const char* key, float& value) {
    return lookUp(key, value, &CConfReaderAndWriter::getFloat);
}

bool CSimpleUserSettings::getStringFromFileDirectly(const char* key, std::string& value) {
    return lookUp(key, value, &CConfReaderAndWriter::getString);
}
