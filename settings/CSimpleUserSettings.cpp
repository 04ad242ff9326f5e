#include "settings/CSimpleUserSettings.h"

#include "platform/VVarious.h"
#include "settings/CConfReaderAndWriter.h"

namespace {

/// Reads the user-settings file into a fresh reader and asks it with `get`.
template <typename T, typename Getter> bool lookUp(const char* key, T& value, Getter get) {
    // Without a module path (the working folder is gone) there is no file to look in, rather than
    // one below the file system's root.
    const std::string folder = VVarious::getModulePath();
    if (folder.empty())
        return false;
    CConfReaderAndWriter settings;
    const std::string path = folder + "/system/usrset.txt";
    return settings.readConfiguration(path.c_str()) && (settings.*get)(key, value);
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
