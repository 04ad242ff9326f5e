#include "settings/CSimpleUserSettings.h"

#include "platform/moduleFile_p.h"
#include "settings/CConfReaderAndWriter.h"

namespace {

/// Reads the user-settings file into a fresh reader and asks it with `get`.
template <typename T, typename Getter> bool lookUp(const char* key, T& value, Getter get) {
    const std::string path = orv::moduleFilePath("system/usrset.txt");
    CConfReaderAndWriter settings;
    return !path.empty() && settings.readConfiguration(path.c_str()) && (settings.*get)(key, value);
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
