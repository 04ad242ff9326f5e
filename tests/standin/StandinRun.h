#pragma once
// Runs orv-standin, the stand-in host program under test, and collects what it printed.

#include <QStringList>

#include <string>

struct StandinRun {
    int exitCode = -1; ///< -1 when it crashed or was stopped at the time limit
    std::string output;
    std::string errors;
};

/// Runs the program with the variables of `environment` ("NAME=value") added to the test's own,
/// from which ORV_UPDATE_SERVER is removed.
StandinRun runStandin(const QStringList& arguments, const QStringList& environment = {},
                      int timeLimitMs = 120000);
