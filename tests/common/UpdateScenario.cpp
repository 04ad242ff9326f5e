#include "common/UpdateScenario.h"

#include "LoopbackUpdateServer.h"
#include "common/FileBytes.h"

#include <QByteArray>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <regex>

namespace orvtest {

namespace {

// A report line: a line feed, the marker, the key, "=", the value in hexadecimal, a line feed.
const char kMarker[] = "@@report@@ ";
const std::regex kReportLine(std::string("\n") + kMarker + "([^=\n]*)=([0-9a-f]*)\n");

} // namespace

std::string ScenarioResult::value(const std::string& key) const {
    const auto found = reported.find(key);
    return found == reported.end() ? "<none>" : found->second.back();
}

std::vector<std::string> ScenarioResult::values(const std::string& key) const {
    const auto found = reported.find(key);
    return found == reported.end() ? std::vector<std::string>() : found->second;
}

void report(const std::string& key, const std::string& value) {
    std::printf("\n%s%s=%s\n", kMarker, key.c_str(), QByteArray::fromStdString(value).toHex().constData());
    std::fflush(stdout);
}

ScenarioResult runScenario(const std::function<int()>& body) {
    ScenarioResult result;
    result.run = runIsolated(body);
    const std::string& all = result.run.output;
    for (std::sregex_iterator line(all.begin(), all.end(), kReportLine), end; line != end; ++line)
        result.reported[(*line)[1]].push_back(
            QByteArray::fromHex(QByteArray::fromStdString((*line)[2])).toStdString());
    result.output = std::regex_replace(all, kReportLine, "");
    return result;
}

void reportRequests(const orvstandin::LoopbackUpdateServer& server) {
    for (const auto& request : server.requests())
        report("request", request.target.toStdString());
}

bool writeTimesFile(float lastCheck, float lastDisplay) {
    char bytes[8];
    std::memcpy(bytes, &lastCheck, 4);
    std::memcpy(bytes + 4, &lastDisplay, 4);
    return writeFileBytes("updtChck.dat", std::string(bytes, 8));
}

float secondsNow() {
    return static_cast<float>(std::time(nullptr));
}

} // namespace orvtest
