#include "StandinUpdateCheck.h"

#include "HostCalls.h"
#include "StandinReplies.h"
#include "update/updateCheckSwitch_p.h"
#include "update/updateTimesFile_p.h"

#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

// The plugin's time-out is 2000 ms; the margin covers the steps after it.
constexpr int kWaitLimitMs = 3500;

/// What the plugin's timestamp file in the working folder says of the update check.
enum class CheckRecord {
    Unkept, ///< no file the checker can read (it turns itself off when it cannot keep one)
    Due,    ///< a check is due, or on its way: its answer is recorded when it arrives
    Recent  ///< the last check is less than a day old
};

// Read by the checker's own code, so that the file means here what it means to the plugin.
CheckRecord checkRecord() {
    float lastCheck = 0.0f;
    float lastDisplay = 0.0f;
    if (!orv::readUpdateTimes(orv::kUpdateTimesFileName, lastCheck, lastDisplay))
        return CheckRecord::Unkept;
    const auto now = static_cast<float>(QDateTime::currentSecsSinceEpoch());
    return now > lastCheck + orv::kUpdateCheckIntervalSeconds ? CheckRecord::Due : CheckRecord::Recent;
}

// Sets the switch as --update-check asks, and says what the plugin will find.
void setUpdateCheckSwitch(const StandinOptions& options) {
    if (options.updateCheck == "off")
        setenv(orv::kUpdateCheckVariable, "off", 1);
    else if (options.updateCheck == "on")
        unsetenv(orv::kUpdateCheckVariable);
    const char* value = std::getenv(orv::kUpdateCheckVariable);
    std::cout << "Automatic update check: " << (orv::isUpdateCheckVariableOff() ? "off" : "on") << " ("
              << orv::kUpdateCheckVariable
              << (value != nullptr ? std::string("=") + value : std::string(" not set")) << ")\n";
}

} // namespace

bool waitForRecordedCheck() {
    if (checkRecord() == CheckRecord::Recent)
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&loop] {
        if (checkRecord() == CheckRecord::Recent)
            loop.quit();
    });
    poll.start(1);
    // A timer that ends with this call: a single-shot one would live on until it fires.
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(kWaitLimitMs);
    loop.exec();
    return checkRecord() == CheckRecord::Recent;
}

bool startUpdateServer(const StandinOptions& options, orvstandin::LoopbackUpdateServer& server) {
    setUpdateCheckSwitch(options);
    if (!options.updateServer.empty()) {
        // From --update-server, or ORV_UPDATE_SERVER as the user set it.
        setenv("ORV_UPDATE_SERVER", options.updateServer.c_str(), 1);
        std::cout << "Update server: " << options.updateServer << "\n";
        return true;
    }
    std::string error;
    if (!server.listen(error) ||
        !serveReply(options.reply, options.hostVersion, options.hostRevision, server, error)) {
        std::cerr << "orv-standin: " << error << "\n";
        return false;
    }
    const std::string url = server.baseUrl().toStdString();
    setenv("ORV_UPDATE_SERVER", url.c_str(), 1);
    std::cout << "Update server: " << url << " (loopback, reply " << options.reply << ")\n";
    return true;
}

void driveUpdateCheck(const PluginEntryPoints& plugin, const StandinOptions& options,
                      const orvstandin::LoopbackUpdateServer& server) {
    std::cout << "\n== Update check ==" << std::endl;
    plugin.run(4);
    plugin.run(6);
    // A request is on its way now, or none was sent (no answer can come before the event loop runs).
    const CheckRecord record = checkRecord();
    if (plugin.getIntVal(2) != 1)
        std::cout << "(only the Quelt edition checks for updates)" << std::endl;
    else if (orv::isUpdateCheckVariableOff())
        std::cout << "(the automatic update check is turned off: nothing is sent)" << std::endl;
    else if (record == CheckRecord::Recent)
        std::cout << "(the last check is less than a day old: none is due)" << std::endl;
    else if (record == CheckRecord::Unkept)
        std::cout << "(the checker cannot keep " << orv::kUpdateTimesFileName
                  << " in the working folder (not writable, or not a file there): it checks nothing)"
                  << std::endl;
    else if (!waitForRecordedCheck())
        std::cout << "(no answer recorded within " << kWaitLimitMs << " ms)" << std::endl;
    std::fflush(stdout);
    std::cout << "\n== Update notice for the host (key 9) ==\n" << takeText(plugin.getStringVal(9)) << "\n";
    std::cout << "key 9 again: \"" << takeText(plugin.getStringVal(9)) << "\"\n";
    plugin.run(5);
    if (!options.updateServer.empty())
        return;
    const auto requests = server.requests();
    std::cout << "The loopback update server received " << requests.size() << " request(s)\n";
    for (const auto& request : requests)
        std::cout << "  " << request.method.toStdString() << " " << request.target.toStdString() << "\n";
}
