// orv-standin: plays the Zembrix host for the plugin, the way the simulator drives it.

#include "HostCalls.h"
#include "PluginSession.h"
#include "StandinOptions.h"
#include "StandinSoak.h"
#include "StandinUpdateCheck.h"
#include "orvVersion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

bool sameContents(const std::string& first, const std::string& second) {
    QFile a(QString::fromStdString(first));
    QFile b(QString::fromStdString(second));
    return a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.size() == b.size() &&
           a.readAll() == b.readAll();
}

// Puts the host library in the working folder; one that is already there unchanged is kept, so a
// folder that cannot be written but holds the library still serves.
bool prepareWorkDir(const StandinOptions& options, const std::string& workDir) {
    std::error_code error;
    std::filesystem::create_directories(workDir, error);
    if (error || !std::filesystem::is_directory(workDir, error)) {
        std::cerr << "orv-standin: cannot create the working folder " << workDir << ": "
                  << (error ? error : std::make_error_code(std::errc::not_a_directory)).message() << "\n";
        return false;
    }
    const std::string target = workDir + "/zadodiredi.dylib";
    if (!sameContents(options.hostLibrary, target)) {
        // A new file rather than the old one rewritten, which a running program may have mapped.
        std::filesystem::remove(target, error);
        if (!error)
            std::filesystem::copy_file(options.hostLibrary, target, error);
        if (error) {
            std::cerr << "orv-standin: cannot copy the host library " << options.hostLibrary << " into "
                      << workDir << ": " << error.message() << "\n";
            return false;
        }
    }
    if (!QDir::setCurrent(QString::fromStdString(workDir))) {
        std::cerr << "orv-standin: cannot enter the working folder " << workDir << "\n";
        return false;
    }
    return true;
}

int runHost(const StandinOptions& options) {
    // The stand-in host library reports the version this host plays (the user's environment, when
    // set, is already in the options unless an option replaced it).
    setenv("ORV_STANDIN_HOST_VERSION", std::to_string(options.hostVersion).c_str(), 1);
    setenv("ORV_STANDIN_HOST_REVISION", std::to_string(options.hostRevision).c_str(), 1);

    std::unique_ptr<QTemporaryDir> temporary;
    QString workDir = QString::fromStdString(options.workDir);
    if (workDir.isEmpty()) {
        temporary = std::make_unique<QTemporaryDir>();
        workDir = temporary->path();
    }
    if (!prepareWorkDir(options, workDir.toStdString()))
        return kExitSetupFailed;
    std::cout << "Working folder: " << QDir::currentPath().toStdString() << "\n";
    orvstandin::LoopbackUpdateServer updateServer;
    if (!startUpdateServer(options, updateServer))
        return kExitSetupFailed;

    PluginSession session;
    std::string error;
    if (!session.load((workDir + "/zadodiredi.dylib").toStdString(), options.pluginPath, error)) {
        std::cerr << "orv-standin: " << error << "\n";
        return kExitSetupFailed;
    }
    const PluginEntryPoints& plugin = session.plugin();
    if (plugin.simStart(nullptr, 0) == 0) {
        std::cout << "The plugin refused to start.\n";
        return kExitPluginRefused;
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
        std::cerr << "orv-standin: " << error << "\nTry '" << argv[0] << " --help' for more information.\n";
        return kExitUsage;
    }
    if (options.showHelp) {
        std::cout << standinHelpText(argv[0]);
        return kExitOk;
    }
    if (options.showVersion) {
        std::cout << "orv-standin (simExtOrv) " ORV_VERSION_STRING "\n";
        return kExitOk;
    }
    return runHost(options);
}
