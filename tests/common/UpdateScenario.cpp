#include "common/UpdateScenario.h"

#include "LoopbackUpdateServer.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

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
    return QDir::currentPath().toStdString() + "/updtChck.dat";
}

void reportTimesFile() {
    QFile file(QString::fromStdString(timesFilePath()));
    if (QFileInfo(file).isDir())
        report("file", "folder");
    else if (!file.open(QIODevice::ReadOnly))
        report("file", "missing");
    else
        report("file", file.readAll().toStdString());
}

bool writeTimesFile(float lastCheck, float lastDisplay) {
    char bytes[8];
    std::memcpy(bytes, &lastCheck, 4);
    std::memcpy(bytes + 4, &lastDisplay, 4);
    QFile file(QString::fromStdString(timesFilePath()));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes, 8) == 8;
}

float secondsNow() {
    return static_cast<float>(std::time(nullptr));
}

bool timesFromBytes(const std::string& bytes, float& lastCheck, float& lastDisplay) {
    if (bytes.size() != 8)
        return false;
    std::memcpy(&lastCheck, bytes.data(), 4);
    std::memcpy(&lastDisplay, bytes.data() + 4, 4);
    return true;
}

bool isRecent(float time) {
    return std::fabs(time - secondsNow()) <= 300.0f;
}

void expectRecordedNow(const ScenarioResult& result) {
    float lastCheck = 0.0f;
    float lastDisplay = 0.0f;
    ASSERT_TRUE(timesFromBytes(result.value("file"), lastCheck, lastDisplay)) << result.value("file");
    EXPECT_TRUE(isRecent(lastCheck)) << lastCheck;
    EXPECT_TRUE(isRecent(lastDisplay)) << lastDisplay;
}

} // namespace orvtest
