#pragma once
// Update-check scenarios in a child process (see IsolatedRun.h) that reports values beside its output.

#include "common/IsolatedRun.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orvstandin {
class LoopbackUpdateServer;
}

namespace orvtest {

struct ScenarioResult {
    IsolatedResult run;
    std::string output; ///< what the code under test printed, report lines removed
    std::map<std::string, std::vector<std::string>> reported;

    /// The last value reported under key, or "<none>".
    std::string value(const std::string& key) const;
    /// Every value reported under key, in order.
    std::vector<std::string> values(const std::string& key) const;
};

/// Runs body in a fresh child process and working folder and parses its report.
ScenarioResult runScenario(const std::function<int()>& body);

/// In the child: reports value under key (any bytes).
void report(const std::string& key, const std::string& value);
/// In the child: reports each request target the server received, under "request".
void reportRequests(const orvstandin::LoopbackUpdateServer& server);

/// In the child: writes the 8 bytes of two times into the working folder's timestamp file.
bool writeTimesFile(float lastCheck, float lastDisplay);
/// The current time as the update check takes it.
float secondsNow();

} // namespace orvtest
