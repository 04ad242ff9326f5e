#pragma once
// Runs a scenario in a fresh child process, in a fresh temporary working folder, and collects what
// it printed: the plugin keeps process-wide state that must start clean for each scenario.

#include <functional>
#include <string>
#include <vector>

namespace orvtest {

/// What a scenario run in a child process left behind.
struct IsolatedResult {
    int exitCode = -1;  ///< the body's result, or -1 when the child did not exit normally
    std::string output; ///< everything the child wrote to standard output
};

/// How to prepare the child's working folder.
struct IsolatedSetup {
    /// Stand-in host variant copied into the folder as zadodiredi.dylib; empty for none.
    std::string hostVariant = "full";
    /// Seconds after which the child is killed (by its alarm signal).
    int timeLimitSeconds = 60;
};

/// A child whose folder holds no host library.
inline const IsolatedSetup kNoHost{""};

/// Forks; the child makes a temporary folder, puts the host variant into it, makes it the working
/// folder, runs body with standard output captured, and exits with body's result.
IsolatedResult runIsolated(const std::function<int()>& body, const IsolatedSetup& setup = {});

/// In the child: gives root up for the unprivileged user 65534, who is made the owner of paths first,
/// so that permission bits stop its writes (they stop nothing for root, as whom tests run). Does
/// nothing for another user; false when it failed.
bool actAsUnprivilegedUser(const std::vector<std::string>& paths);

/// The path of a stand-in host library variant.
std::string standinHostPath(const std::string& variant);

} // namespace orvtest
