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
    bool showHelp = false;
};

/// Parses argv; false with a message in error when an option is unknown or its value is bad.
bool parseStandinOptions(int argc, char** argv, StandinOptions& options, std::string& error);

/// The text printed for --help.
std::string standinHelpText(const char* programName);
