#pragma once
// Runs one (usually disabled) test of the current test program in a new process of its own, for
// behaviour that only shows at the first call in a process (clocks starting, generators seeding).

#include <string>

namespace orvtest {

/// Runs the test named "Suite.Name" in a fresh run of this program; true when it ran and passed.
/// `output` receives everything the run printed.
bool runTestInFreshProcess(const std::string& testName, std::string& output);

} // namespace orvtest
