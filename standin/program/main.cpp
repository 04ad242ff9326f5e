// orv-standin: plays the Zembrix host for the plugin, the way the simulator drives it.

#include "HostCalls.h"
#include "PluginSession.h"
#include "StandinOptions.h"
#include "StandinSoak.h"
#include "StandinUpdateCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

namespace {

// The product strings the host asks for; key 9 (the update notice) is asked for separately.
const int kProductKeys[] = {1, 2, 4, 5, 6, 7, 11, 12, 13, 14, 15, 16};

void printIdentity(const PluginEntryPoints& plugin) {
    char* title = nullptr;
    const std::string about = takeText(plugin.getAboutStr(&title));
    std::cout << "== " << takeText(title) << " ==\n" << about << "\n\n";
    std::cout << "== Product strings (edition code " << plugin.getIntVal(2) << ") ==\n";
    for (const int key : kProductKeys)
        std::cout << "key " << key << ": " << takeText(plugin.getStringVal(key)) << "\n";
    std::cout << std::flush;
}

bool prepareWorkDir(const StandinOptions& options, const QString& workDir) {
    if (!QDir().mkpath(workDir)) {
        std::cerr << "orv-standin: cannot create the working folder " << workDir.toStdString() << "\n";
        return false;
    }
    const QString target = workDir + "/zadodiredi.dylib";
    QFile::remove(target);
    if (!QFile::copy(QString::fromStdString(options.hostLibrary), target)) {
        std::cerr << "orv-standin: cannot copy the host library " << options.hostLibrary << " into "
                  << workDir.toStdString() << "\n";
        return false;
    }
    return QDir::setCurrent(workDir);
}

int runHost(const StandinOptions& options) {
    // The stand-in host library reports the version this host plays.
    setenv("ORV_STANDIN_HOST_VERSION", std::to_string(options.hostVersion).c_str(), 1);
    setenv("ORV_STANDIN_HOST_REVISION", std::to_string(options.hostRevision).c_str(), 1);

    std::unique_ptr<QTemporaryDir> temporary;
    QString workDir = QString::fromStdString(options.workDir);
    if (workDir.isEmpty()) {
        temporary = std::make_unique<QTemporaryDir>();
        workDir = temporary->path();
    }
    const QString pluginPath = QFileInfo(QString::fromStdString(options.pluginPath)).absoluteFilePath();
    if (!prepareWorkDir(options, workDir))
        return 1;
    std::cout << "Working folder: " << QDir::currentPath().toStdString() << "\n";
    orvstandin::LoopbackUpdateServer updateServer;
    if (!startUpdateServer(options, updateServer))
        return 1;

    PluginSession session;
    std::string error;
    if (!session.load((workDir + "/zadodiredi.dylib").toStdString(), pluginPath.toStdString(), error)) {
        std::cerr << "orv-standin: " << error << "\n";
        return 1;
    }
    const PluginEntryPoints& plugin = session.plugin();
    if (plugin.simStart(nullptr, 0) == 0) {
        std::cout << "The plugin refused to start.\n";
        return 2;
    }
    static int mainWindow = 0;
    plugin.setHld(&mainWindow);

    int result = 0;
    if (options.soakCycles > 0) {
        result = runSoak(plugin, options, updateServer);
    } else {
        initialisePlugin(plugin, options);
        printIdentity(plugin);
        driveUpdateCheck(plugin, options, updateServer);
    }

    plugin.simEnd();
    std::cout << "Plugin ended.\n";
    return result;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    StandinOptions options;
    options.pluginPath = ORV_STANDIN_DEFAULT_PLUGIN;
    options.hostLibrary = ORV_STANDIN_DEFAULT_HOST_LIBRARY;
    std::string error;
    if (!parseStandinOptions(argc, argv, options, error)) {
        std::cerr << "orv-standin: " << error << "\n" << standinHelpText(argv[0]);
        return 64;
    }
    if (options.showHelp) {
        std::cout << standinHelpText(argv[0]);
        return 0;
    }
    return runHost(options);
}
