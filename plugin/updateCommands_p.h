#pragma once
// The frame's side of the update checker: commands 4, 5 and 6 and the notice of key 9.

#include <string>

namespace orv {

/// Command 4: replaces the update checker by a new one for this installation and host version.
void createUpdateCheck();
/// Command 5: destroys the update checker, which records a pending check.
void destroyUpdateCheck();
/// For an unload without an application object, when Qt cannot take the checker apart: leaves it
/// in place, unreachable by any signal, timer or event of Qt.
void abandonUpdateCheck();
/// Command 6: lets the update checker check when a check is due.
void runUpdateCheck();
/// Key 9: the kept update notice, handed out once; empty without a checker.
std::string takeUpdateNotice();

} // namespace orv
