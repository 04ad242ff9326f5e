#pragma once
// Command-line options of the stand-in host program.

#include <string>

/// What the stand-in host plays: which edition and host version, where it works and what it loads.
struct StandinOptions {
    int edition = 1;         ///< edition code passed to orvPlugin_init: 1 (quelt) or -1 (custom)
    int hostVersion = 40000; ///< major*10000 + minor*100 + patch
    int hostRevision = 1;
    std::string workDir;               ///< empty: a fresh temporary folder, removed at the end
    std::string pluginPath;            ///< the plugin library to load
    std::string hostLibrary;           ///< the stand-in host library copied into the working folder
    std::string updateServer;          ///< empty: the program's own loopback update server
    std::string reply = "new-version"; ///< what the loopback update server answers
    int soakCycles = 0;                ///< with more than 0, the long run of StandinSoak.h
    std::string updateCheck;           ///< "on" or "off" (the switch's variable); empty: as set
    bool showHelp = false;
    bool showVersion = false;
};

/// Exit statuses of orv-standin.
enum StandinExit {
    kExitOk = 0,
    kExitSetupFailed = 1,
    kExitPluginRefused = 2,
    kExitSoakUnanswered = 3,
    kExitUsage = 64
};

/// A path the user gave, taken against the current folder: the program later works in its working
/// folder, but every path on its command line means what it meant where the user started it.
std::string absolutePath(const std::string& path);

/// Parses argv ("--name value" or "--name=value"), then takes what the environment holds for the
/// options not given (ORV_STANDIN_HOST_VERSION, ORV_STANDIN_HOST_REVISION, ORV_UPDATE_SERVER): an
/// explicit option wins; checks ORV_STANDIN_NULL_MAIN_WINDOW, which the stand-in host library reads.
/// Paths come out absolute (absolutePath). False with a one-line message in error when an option or
/// a value is bad.
bool parseStandinOptions(int argc, char** argv, StandinOptions& options, std::string& error);

/// The text printed for --help.
std::string standinHelpText(const char* programName);
