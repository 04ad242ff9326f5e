#pragma once
// Runs orv-standin, the stand-in host program under test, and collects what it printed.

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <string>

struct StandinRun {
    int exitCode = -1; ///< -1 when it crashed or was stopped at the time limit
    std::string output;
    std::string errors;
};

/// Runs the program with the variables of `environment` ("NAME=value") added to the test's own,
/// from which ORV_UPDATE_SERVER is removed, started in startFolder (empty: the test's own).
inline StandinRun runStandin(const QStringList& arguments, const QStringList& environment = {},
                             int timeLimitMs = 120000, const QString& startFolder = {}) {
    QProcess process;
    process.setWorkingDirectory(startFolder);
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove("ORV_UPDATE_SERVER");
    for (const QString& variable : environment)
        variables.insert(variable.section('=', 0, 0), variable.section('=', 1));
    process.setProcessEnvironment(variables);
    process.start(ORV_TEST_STANDIN_PROGRAM, arguments);
    StandinRun run;
    if (!process.waitForFinished(timeLimitMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput().toStdString();
    run.errors = process.readAllStandardError().toStdString();
    return run;
}
