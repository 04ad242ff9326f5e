#pragma once
// The switch that turns the automatic update check off: a key in the user-settings file for the user,
// an environment variable for an administrator. The names and the rule are header-only, so that the
// stand-in host reports the switch exactly as the plugin reads it.

#include <cstdlib>
#include <string>

namespace orv {

/// The key in "system/usrset.txt" below the module path, prefixed so as not to meet the host's keys.
inline constexpr char kUpdateCheckSettingsKey[] = "simExtOrv.updateCheck";
/// The environment variable, beside ORV_UPDATE_SERVER.
inline constexpr char kUpdateCheckVariable[] = "ORV_UPDATE_CHECK";

/// Whether a value of the key or the variable turns the check off: "false", "off", "no" or "0", in any
/// mix of upper and lower case. Every other value, the empty one included, leaves the check on.
inline bool isUpdateCheckOffValue(const std::string& value) {
    std::string lower = value;
    for (char& c : lower)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return lower == "false" || lower == "off" || lower == "no" || lower == "0";
}

/// True when the variable is set to a value that turns the check off.
inline bool isUpdateCheckVariableOff() {
    const char* value = std::getenv(kUpdateCheckVariable);
    return value != nullptr && isUpdateCheckOffValue(value);
}

/// True when the variable or the user-settings key holds a value that turns the check off; a missing
/// or unreadable settings file or key leaves the check on.
bool isUpdateCheckTurnedOff();

} // namespace orv
