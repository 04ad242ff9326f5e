#include "update/updateCheckSwitch_p.h"

#include "settings/CSimpleUserSettings.h"

#include <cstdlib>

namespace orv {

bool isUpdateCheckTurnedOff() {
    const char* variable = std::getenv(kUpdateCheckVariable);
    if (variable != nullptr && isUpdateCheckOffValue(variable))
        return true;
    std::string key;
    return CSimpleUserSettings::getStringFromFileDirectly(kUpdateCheckSettingsKey, key) &&
           isUpdateCheckOffValue(key);
}

} // namespace orv
