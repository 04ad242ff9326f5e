#pragma once

#include "orvExport.h"

#include <string>

/// Reads single values straight from the user-settings file "system/usrset.txt" below the module
/// path, parsing the whole file anew for each lookup. Every lookup returns true and sets `value`
/// only when the file was read and the key holds a value of the asked type; otherwise `value`
/// keeps what the caller put there. Anything but a regular file in its place (a FIFO, a device) is
/// not read.
class ORV_EXPORT CSimpleUserSettings {
public:
    CSimpleUserSettings();
    virtual ~CSimpleUserSettings();

    static bool getBooleanFromFileDirectly(const char* key, bool& value);
    static bool getIntegerFromFileDirectly(const char* key, int& value);
    static bool getFloatFromFileDirectly(const char* key, float& value);
    static bool getStringFromFileDirectly(const char* key, std::string& value);
};
