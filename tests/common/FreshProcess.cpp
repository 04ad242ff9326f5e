#include "common/FreshProcess.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

namespace orvtest {

bool runTestInFreshProcess(const std::string& testName, std::string& output) {
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=" + QString::fromStdString(testName)});
    const bool finished = child.waitForFinished(120000);
    output = child.readAll().toStdString();
    return finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
           output.find("[  PASSED  ] 1 test.") != std::string::npos;
}

} // namespace orvtest
