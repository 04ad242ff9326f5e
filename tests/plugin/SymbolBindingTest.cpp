// The plugin binds its slots and globals to itself even when the host library's functions of the
// same names are already in the process's global symbol scope.
#include "common/IsolatedRun.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(SymbolBinding, HostLibraryLoadedGloballyBeforeThePlugin) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QFile::copy(QString::fromStdString(orvtest::standinHostPath("full")),
                            dir.filePath("zadodiredi.dylib")));
    QProcess probe;
    probe.setWorkingDirectory(dir.path());
    probe.start(ORV_TEST_BINDING_PROBE, {ORV_TEST_PLUGIN_PATH});
    ASSERT_TRUE(probe.waitForFinished(60000));
    EXPECT_EQ(QProcess::NormalExit, probe.exitStatus());
    EXPECT_EQ(0, probe.exitCode());
    EXPECT_EQ("started=1 slotIsPluginVariable=1 slotHoldsHostFunction=1 flavor=-1\n",
              probe.readAllStandardOutput().toStdString());
}

} // namespace
