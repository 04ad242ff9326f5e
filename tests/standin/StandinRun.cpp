#include "StandinRun.h"

#include <QProcess>
#include <QProcessEnvironment>

StandinRun runStandin(const QStringList& arguments, const QStringList& environment, int timeLimitMs) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
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
