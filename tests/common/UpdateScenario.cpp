#include "common/UpdateScenario.h"

#include "LoopbackUpdateServer.h"
#include "common/FileBytes.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace orvtest {

namespace {

// Report lines: the marker, the key, "=", the value in hexadecimal, a line feed.
const char kMarker[] = "\n@@report@@ ";

} // namespace

std::string ScenarioResult::value(const std::string& key) const {
    const auto found = reported.equal_range(key);
    if (found.first == found.second)
        return "<none>";
    return std::prev(found.second)->second;
}

std::vector<std::string> ScenarioResult::values(const std::string& key) const {
    std::vector<std::string> all;
    const auto found = reported.equal_range(key);
    for (auto it = found.first; it != found.second; ++it)
        all.push_back(it->second);
    return all;
}

void report(const std::string& key, const std::string& value) {
    const QByteArray hex = QByteArray::fromStdString(value).toHex();
    std::printf("%s%s=%s\n", kMarker, key.c_str(), hex.constData());
    std::fflush(stdout);
}

ScenarioResult runScenario(const std::function<int()>& body, int timeLimitSeconds) {
    IsolatedSetup setup;
    setup.timeLimitSeconds = timeLimitSeconds;
    ScenarioResult result;
    result.run = runIsolated(body, setup);
    const std::string& all = result.run.output;
    std::size_t position = 0;
    for (;;) {
        const std::size_t marker = all.find(kMarker, position);
        result.output +=
            all.substr(position, marker == std::string::npos ? std::string::npos : marker - position);
        if (marker == std::string::npos)
            break;
        const std::size_t start = marker + std::strlen(kMarker);
        const std::size_t end = all.find('\n', start);
        const std::string line =
            all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
            result.reported.emplace(
                line.substr(0, equals),
                QByteArray::fromHex(QByteArray::fromStdString(line.substr(equals + 1))).toStdString());
        if (end == std::string::npos)
            break;
        position = end + 1;
    }
    return result;
}

void reportRequests(const orvstandin::LoopbackUpdateServer& server) {
    for (const auto& request : server.requests())
        report("request", request.target.toStdString());
}

std::string timesFilePath() {
    char folder[4096];
    return std::string(getcwd(folder, sizeof(folder)) != nullptr ? folder : "") + "/updtChck.dat";
}

void reportTimesFile() {
    struct stat status;
    if (lstat(timesFilePath().c_str(), &status) != 0)
        report("file", "missing");
    else if (!S_ISREG(status.st_mode))
        report("file", "not a file");
    else
        report("file", fileBytes(timesFilePath()));
}

bool writeTimesFile(float lastCheck, float lastDisplay) {
    char bytes[8];
    std::memcpy(bytes, &lastCheck, 4);
    std::memcpy(bytes + 4, &lastDisplay, 4);
    return writeFileBytes(timesFilePath(), std::string(bytes, 8));
}

float secondsNow() {
    return static_cast<float>(std::time(nullptr));
}

void expectTimesAgo(const ScenarioResult& result, float checkAgo, float displayAgo) {
    const std::string bytes = result.value("file");
    ASSERT_EQ(8u, bytes.size()) << bytes;
    float times[2];
    std::memcpy(times, bytes.data(), 8);
    EXPECT_NEAR(secondsNow() - checkAgo, times[0], 300.0f);
    EXPECT_NEAR(secondsNow() - displayAgo, times[1], 300.0f);
}

} // namespace orvtest
