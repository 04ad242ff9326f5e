#include "StandinUpdateCheck.h"

#include "HostCalls.h"
#include "StandinReplies.h"
#include "update/updateCheckSwitch_p.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

// The plugin's time-out is 2000 ms; the margin covers the steps after it.
constexpr int kWaitLimitMs = 3500;
constexpr float kCheckInterval = 86400.0f;

// The plugin records every finished check in updtChck.dat in the working folder; a check is due
// (sent or still on its way) while that file is missing or dates its last check over a day back.
bool isCheckDue() {
    QFile file("updtChck.dat");
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != 8)
        return true;
    float lastCheck = 0.0f;
    std::memcpy(&lastCheck, bytes.constData(), sizeof(lastCheck));
    const auto now = static_cast<float>(QDateTime::currentSecsSinceEpoch());
    return now > lastCheck + kCheckInterval;
}

// The plugin's switch as the plugin reads it from the environment.
bool isTurnedOff() {
    const char* value = std::getenv(orv::kUpdateCheckVariable);
    return value != nullptr && orv::isUpdateCheckOffValue(value);
}

// Sets the switch as --update-check asks, and says what the plugin will find.
void setUpdateCheckSwitch(const StandinOptions& options) {
    if (options.updateCheck == "off")
        setenv(orv::kUpdateCheckVariable, "off", 1);
    else if (options.updateCheck == "on")
        unsetenv(orv::kUpdateCheckVariable);
    const char* value = std::getenv(orv::kUpdateCheckVariable);
    std::cout << "Automatic update check: " << (isTurnedOff() ? "off" : "on") << " ("
              << orv::kUpdateCheckVariable
              << (value != nullptr ? std::string("=") + value : std::string(" not set")) << ")\n";
}

} // namespace

bool waitForRecordedCheck() {
    if (!isCheckDue())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&loop] {
        if (!isCheckDue())
            loop.quit();
    });
    poll.start(1);
    // A timer that ends with this call: a single-shot one would live on until it fires.
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(kWaitLimitMs);
    loop.exec();
    return !isCheckDue();
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
    // Only the Quelt edition has a checker, and it does nothing while turned off.
    const bool checks = !isTurnedOff() && plugin.getIntVal(2) == 1;
    if (checks && !isCheckDue())
        std::cout << "(the last check is less than a day old: none is due)" << std::endl;
    plugin.run(4);
    plugin.run(6);
    if (checks)
        waitForRecordedCheck();
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
