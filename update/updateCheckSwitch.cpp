#include "update/updateCheckSwitch_p.h"

#include "settings/CSimpleUserSettings.h"


namespace orv {

bool isUpdateCheckTurnedOff() {
    if (isUpdateCheckVariableOff())
        return true;
    std::string key;
    return CSimpleUserSettings::getStringFromFileDirectly(kUpdateCheckSettingsKey, key) &&
           isUpdateCheckOffValue(key);
}

} // namespace orv
