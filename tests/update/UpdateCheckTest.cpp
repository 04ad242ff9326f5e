// The update checker against the loopback update server, each scenario in a fresh process and
// working folder: what it sends, what it prints, what it keeps and what it records.
#include "LoopbackUpdateServer.h"
#include "SelfSignedCertificate.h"
#include "common/UpdateScenario.h"
#include "common/WaitUntil.h"
#include "update/CUpdateCheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMetaMethod>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace std::string_literals;
using orvstandin::LoopbackUpdateServer;
using orvstandin::ServerAnswer;
using orvtest::expectRecordedNow;
using orvtest::isRecent;
using orvtest::ScenarioResult;

const std::string kMaker = ORV_TEST_MAKER_WEB_ADDRESS;
const std::string kChecking = "Checking for an updated Zembrix version...\n";
const std::string kUpToDate = "This Zembrix version is up-to-date.\n";
const std::string kFailed = "Failed checking whether this Zembrix version is up-to-date.\nPlease visit " +
                            kMaker + " to verify\nthat you are running the last Zembrix version.\n";
const std::string kClosing = "\n\nPlease visit " + kMaker + " to download the last Zembrix version.";
const std::string kRequestTarget =
    "/lastZembrixVersion.txt?a=123&b=1&c=40100&d=1&e=0&f=0&g=2&h=ABC&info=anonymizedData";

const QByteArray kBugFixBody =
    "last: 40100 rev2\r\nrev1 first fix\r\nrev2 second fix\r\nchange not shown\r\n";
const std::string kBugFixNotice =
    "A bug fix Zembrix version is available for download: Zembrix V4.1.0 rev2\n\nRevisions:\n"
    "rev1 first fix\nrev2 second fix" +
    kClosing;
const std::string kNewVersionNotice =
    "A new Zembrix version is available for download: Zembrix V4.2.0\n\nMain changes in that version:\n"
    "faster start\nnew dialog" +
    kClosing;

constexpr float kDay = 86400.0f;

enum class ServerKind { Plain, Tls, Refusing };

struct CheckScenario {
    std::function<void(LoopbackUpdateServer&)> serve = [](LoopbackUpdateServer& server) {
        server.setAnswer("/lastZembrixVersion.txt", ServerAnswer::withBody(kBugFixBody));
    };
    ServerKind server = ServerKind::Plain;
    /// Prepares the working folder before the checker is made.
    std::function<void()> prepare = [] {};
    /// Drives the checker; by default one check, waited for.
    std::function<void(CUpdateCheck&)> drive = [](CUpdateCheck& check) {
        check.checkForUpdate();
        orvtest::waitUntil([&] { return !check.isRequestPending(); }, 10000);
    };
    /// Events processed after driving, to let late timers fire.
    int settleMs = 0;
};

quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

bool startServer(LoopbackUpdateServer& server, ServerKind kind, QTemporaryDir& certificateFolder) {
    std::string error;
    bool listening = false;
    if (kind == ServerKind::Tls) {
        orvstandin::SelfSignedCertificate pair;
        listening = orvstandin::SelfSignedCertificate::generate(certificateFolder.path(), pair, error) &&
                    server.listenTls(pair.certificate(), pair.key(), error);
    } else {
        listening = server.listen(error);
    }
    if (!listening)
        orvtest::report("error", error);
    return listening;
}

// The child's part: serve, drive a checker of version 40100 revision 1, report.
int runCheck(const CheckScenario& scenario) {
    QTemporaryDir certificateFolder;
    LoopbackUpdateServer server;
    if (!startServer(server, scenario.server, certificateFolder))
        return 3;
    const QString base = scenario.server == ServerKind::Refusing
                             ? QString("http://127.0.0.1:%1").arg(closedPort())
                             : server.baseUrl();
    setenv("ORV_UPDATE_SERVER", base.toUtf8().constData(), 1);
    scenario.serve(server);
    scenario.prepare();
    {
        CUpdateCheck check(123, "ABC", 1, 40100, 1, false, false);
        QElapsedTimer clock;
        clock.start();
        scenario.drive(check);
        orvtest::report("elapsed", std::to_string(clock.elapsed()));
        orvtest::report("pending", check.isRequestPending() ? "yes" : "no");
        orvtest::processEventsFor(scenario.settleMs);
        orvtest::report("kept", check.getUpdateStringToDisplay());
        orvtest::report("keptAgain", check.getUpdateStringToDisplay());
    }
    orvtest::reportRequests(server);
    orvtest::reportTimesFile();
    return 0;
}

ScenarioResult runCheckScenario(const CheckScenario& scenario) {
    return orvtest::runScenario([&scenario] { return runCheck(scenario); });
}

void expectFinishedCleanly(const ScenarioResult& result) {
    EXPECT_EQ(0, result.run.exitCode) << result.value("error");
    EXPECT_FALSE(result.run.timedOut);
    EXPECT_EQ("no", result.value("pending"));
}

QByteArray bodyOfSize(const QByteArray& start, int size) {
    QByteArray body = start;
    while (body.size() < size)
        body += "% padding that is neither a revision nor a change\n";
    body.truncate(size);
    return body;
}

// The body compressed as HTTP's deflate coding (a zlib stream), announced as such.
ServerAnswer deflated(const QByteArray& body) {
    ServerAnswer answer = ServerAnswer::withBody(qCompress(body).mid(4));
    answer.headers.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("deflate")));
    return answer;
}

std::function<void(LoopbackUpdateServer&)> answering(const ServerAnswer& answer) {
    return [answer](LoopbackUpdateServer& server) { server.setAnswer("/lastZembrixVersion.txt", answer); };
}

struct ReplyRow {
    const char* name;
    std::function<void(LoopbackUpdateServer&)> serve;
    std::string printed; ///< after the "Checking..." line
    std::string kept;
    int requests; ///< how many the server saw; -1: more than two
    ServerKind server = ServerKind::Plain;
};

const QByteArray kNewVersionBody =
    "change faster start\n\nlast: 40200 rev1\nrev1 not shown\nchange new dialog\n";
const QByteArray kOneMiB = bodyOfSize(kNewVersionBody, 1 << 20);
const QByteArray kEscapes = "last: 40100 rev2\nrev2 \x1b[2J\x1b[1;31mred\x1b[0m\x07 fix\r\n"
                            "rev3\x1b]0;title\x07 x\nchange \x1b[8m hidden\n";

const ReplyRow kReplyRows[] = {
    {"a newer revision", answering(ServerAnswer::withBody(kBugFixBody)), kBugFixNotice + "\n", kBugFixNotice,
     1},
    {"a newer version", answering(ServerAnswer::withBody(kNewVersionBody)), kNewVersionNotice + "\n",
     kNewVersionNotice, 1},
    {"an older version", answering(ServerAnswer::withBody("last: 40000 rev9\nrev9 x\nchange y\n")), kUpToDate,
     "", 1},
    {"the same version and revision", answering(ServerAnswer::withBody("last: 40100 rev1\n")), kUpToDate, "",
     1},
    {"several last lines: the last one counts",
     answering(ServerAnswer::withBody("last: 40300 rev1\nlast: 40100 rev1\n")), kUpToDate, "", 1},
    {"malformed numbers", answering(ServerAnswer::withBody("last: 40x00 revision\n")), kUpToDate, "", 1},
    {"no last line", answering(ServerAnswer::withBody("<html>maintenance</html>\n")), kUpToDate, "", 1},
    {"an empty body", answering(ServerAnswer::withBody("")), kUpToDate, "", 1},
    {"an HTTP error status", answering(ServerAnswer::withStatus(500, kNewVersionBody)), kFailed, "", 1},
    {"a page not found", answering(ServerAnswer::withStatus(404, kNewVersionBody)), kFailed, "", 1},
    {"a refused connection", answering(ServerAnswer::withBody(kBugFixBody)), kFailed, "", 0,
     ServerKind::Refusing},
    // Qt sends a request once more when the connection closes before any answer.
    {"a connection closed without an answer", answering(ServerAnswer::closeConnection()), kFailed, "", 2},
    {"a redirect followed to a good answer",
     [](LoopbackUpdateServer& server) {
         server.setAnswer("/lastZembrixVersion.txt", ServerAnswer::redirectTo("/moved/version.txt", 301));
         server.setAnswer("/moved/version.txt", ServerAnswer::withBody(kBugFixBody));
     },
     kBugFixNotice + "\n", kBugFixNotice, 2},
    {"a redirect that is not followed (300)",
     [](LoopbackUpdateServer& server) {
         server.setAnswer("/lastZembrixVersion.txt", ServerAnswer::redirectTo("/moved/version.txt", 300));
         server.setAnswer("/moved/version.txt", ServerAnswer::withBody(kBugFixBody));
     },
     kFailed, "", 1},
    {"a redirect to an unknown scheme",
     answering(ServerAnswer::redirectTo("ftp://127.0.0.1/lastZembrixVersion.txt", 302)), kFailed, "", 1},
    {"a redirect loop",
     [](LoopbackUpdateServer& server) {
         server.setAnswer("/lastZembrixVersion.txt", ServerAnswer::redirectTo("/loop", 302));
         server.setAnswer("/loop", ServerAnswer::redirectTo("/lastZembrixVersion.txt", 307));
     },
     kFailed, "", -1},
    // Qt decompresses the body; the announced length is that of the compressed bytes.
    {"a compressed body", answering(deflated(kBugFixBody)), kBugFixNotice + "\n", kBugFixNotice, 1},
    {"a body of exactly 1 MiB", answering(ServerAnswer::withBody(kOneMiB)), kNewVersionNotice + "\n",
     kNewVersionNotice, 1},
    {"a body over 1 MiB", answering(ServerAnswer::withBody(kOneMiB + "x")), kFailed, "", 1},
    {"a reply carrying terminal escape sequences", answering(ServerAnswer::withBody(kEscapes)),
     "A bug fix Zembrix version is available for download: Zembrix V4.1.0 rev2\n\nRevisions:\n"
     "rev2 [2J[1;31mred[0m fix\nrev3]0;title x" +
         kClosing + "\n",
     "A bug fix Zembrix version is available for download: Zembrix V4.1.0 rev2\n\nRevisions:\n"
     "rev2 [2J[1;31mred[0m fix\nrev3]0;title x" +
         kClosing,
     1},
    {"a TLS server whose certificate nobody trusts", answering(ServerAnswer::withBody(kBugFixBody)), kFailed,
     "", 0, ServerKind::Tls},
};

TEST(UpdateCheckReply, EachReplyGivesItsNoticeOrText) {
    for (const ReplyRow& row : kReplyRows) {
        SCOPED_TRACE(row.name);
        CheckScenario scenario;
        scenario.serve = row.serve;
        scenario.server = row.server;
        const ScenarioResult result = runCheckScenario(scenario);
        expectFinishedCleanly(result);
        EXPECT_EQ(kChecking + row.printed, result.output);
        EXPECT_EQ(row.kept, result.value("kept"));
        EXPECT_EQ("", result.value("keptAgain"));
        const std::size_t requests = result.values("request").size();
        if (row.requests < 0)
            EXPECT_GT(requests, 2u);
        else
            EXPECT_EQ(static_cast<std::size_t>(row.requests), requests);
        expectRecordedNow(result);
    }
}

TEST(UpdateCheckReply, SendsOneGetWithTheQueryKeys) {
    const ScenarioResult result = runCheckScenario(CheckScenario());
    expectFinishedCleanly(result);
    EXPECT_EQ(std::vector<std::string>{kRequestTarget}, result.values("request"));
}

TEST(UpdateCheckReply, SilenceEndsWithTheTimeOutAndOneFailureText) {
    CheckScenario scenario;
    scenario.serve = answering(ServerAnswer::silence());
    scenario.settleMs = 2300; // past a second period of the repeating timer
    const ScenarioResult result = runCheckScenario(scenario);
    expectFinishedCleanly(result);
    EXPECT_EQ(kChecking + kFailed, result.output);
    const int elapsed = std::atoi(result.value("elapsed").c_str());
    EXPECT_GE(elapsed, 1900);
    EXPECT_LT(elapsed, 6000);
    expectRecordedNow(result);
}

TEST(UpdateCheckReply, TheTimeOutAfterAnAnswerChangesNothing) {
    CheckScenario scenario;
    scenario.settleMs = 2300;
    const ScenarioResult result = runCheckScenario(scenario);
    expectFinishedCleanly(result);
    EXPECT_EQ(kChecking + kBugFixNotice + "\n", result.output);
    EXPECT_EQ(kBugFixNotice, result.value("kept"));
}

TEST(UpdateCheckReply, AnEndlessBodyIsCutAtTheSizeLimitBeforeTheTimeOut) {
    CheckScenario scenario;
    scenario.serve = answering(ServerAnswer::endlessBody());
    const ScenarioResult result = runCheckScenario(scenario);
    expectFinishedCleanly(result);
    EXPECT_EQ(kChecking + kFailed, result.output);
    EXPECT_LT(std::atoi(result.value("elapsed").c_str()), 1900);
    expectRecordedNow(result);
}

// With the server's certificate trusted (as a system's store would), https works; a redirect from
// https to http is refused and no request reaches the http server.
TEST(UpdateCheckReply, HttpsIsNeverLeftForHttp) {
    for (const bool redirectToHttp : {false, true}) {
        SCOPED_TRACE(redirectToHttp ? "redirected to http" : "answered over https");
        const ScenarioResult result = orvtest::runScenario([redirectToHttp] {
            QTemporaryDir folder;
            orvstandin::SelfSignedCertificate pair;
            LoopbackUpdateServer secure;
            LoopbackUpdateServer plain;
            std::string error;
            if (!orvstandin::SelfSignedCertificate::generate(folder.path(), pair, error) ||
                !secure.listenTls(pair.certificate(), pair.key(), error) || !plain.listen(error)) {
                orvtest::report("error", error);
                return 3;
            }
            QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
            trusting.setCaCertificates({pair.certificate()});
            QSslConfiguration::setDefaultConfiguration(trusting);
            const QByteArray plainUrl = plain.baseUrl().toUtf8() + "/lastZembrixVersion.txt";
            secure.setAnswer("/lastZembrixVersion.txt", redirectToHttp
                                                            ? ServerAnswer::redirectTo(plainUrl, 302)
                                                            : ServerAnswer::withBody(kBugFixBody));
            plain.setDefaultAnswer(ServerAnswer::withBody(kBugFixBody));
            setenv("ORV_UPDATE_SERVER", secure.baseUrl().toUtf8().constData(), 1);
            CUpdateCheck check(123, "ABC", 1, 40100, 1, false, false);
            CheckScenario().drive(check);
            orvtest::report("secure", std::to_string(secure.requests().size()));
            orvtest::report("plain", std::to_string(plain.requests().size()));
            return 0;
        });
        EXPECT_EQ(0, result.run.exitCode) << result.value("error");
        EXPECT_EQ(kChecking + (redirectToHttp ? kFailed : kBugFixNotice + "\n"), result.output);
        EXPECT_EQ("1", result.value("secure"));
        EXPECT_EQ("0", result.value("plain"));
    }
}

// Writes the timestamp file with times relative to now.
std::function<void()> timesAgo(float checkAgo, float displayAgo) {
    return [checkAgo, displayAgo] {
        const float now = orvtest::secondsNow();
        orvtest::writeTimesFile(now - checkAgo, now - displayAgo);
    };
}

std::function<void()> fileBytes(const std::string& bytes) {
    return [bytes] {
        QFile file(QString::fromStdString(orvtest::timesFilePath()));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    };
}

void checkTwice(CUpdateCheck& check, bool waitBetween) {
    check.checkForUpdate();
    if (waitBetween)
        orvtest::waitUntil([&] { return !check.isRequestPending(); }, 10000);
    check.checkForUpdate();
    orvtest::waitUntil([&] { return !check.isRequestPending(); }, 10000);
}

// A bad timestamp file is replaced by zero times, so a check follows; a second call while the first
// is pending, or after it, adds no request.
TEST(UpdateCheckTimes, ExactlyOneRequestFollows) {
    const struct {
        const char* name;
        std::function<void()> prepare;
        std::function<void(CUpdateCheck&)> drive;
    } rows[] = {
        {"no file", [] {}, CheckScenario().drive},
        {"7 bytes", fileBytes("\1\2\3\4\5\6\7"), CheckScenario().drive},
        {"9 bytes", fileBytes("\1\2\3\4\5\6\7\10\11"), CheckScenario().drive},
        {"an empty file", fileBytes(""), CheckScenario().drive},
        {"a time that is not a number", fileBytes("\0\0\xC0\x7F\0\0\0\0"s), CheckScenario().drive},
        {"a second call while the first is pending", [] {},
         [](CUpdateCheck& check) { checkTwice(check, false); }},
        {"a second call after the first completed", [] {},
         [](CUpdateCheck& check) { checkTwice(check, true); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CheckScenario scenario;
        scenario.prepare = row.prepare;
        scenario.drive = row.drive;
        const ScenarioResult result = runCheckScenario(scenario);
        expectFinishedCleanly(result);
        EXPECT_EQ(kChecking + kBugFixNotice + "\n", result.output);
        EXPECT_EQ(1u, result.values("request").size());
        EXPECT_EQ(kBugFixNotice, result.value("kept"));
        expectRecordedNow(result);
    }
}

TEST(UpdateCheckTimes, NoCheckUntilADayHasPassed) {
    const struct {
        const char* name;
        std::function<void()> prepare;
        bool due;
    } rows[] = {
        {"checked an hour ago", timesAgo(3600, 3600), false},
        {"checked 23 hours ago", timesAgo(kDay - 3600, kDay - 3600), false},
        {"a last check in the future", timesAgo(-3 * kDay, 0), false},
        {"checked a day and 20 minutes ago", timesAgo(kDay + 1200, kDay + 1200), true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CheckScenario scenario;
        scenario.prepare = row.prepare;
        const ScenarioResult result = runCheckScenario(scenario);
        expectFinishedCleanly(result);
        EXPECT_EQ(row.due ? 1u : 0u, result.values("request").size());
        EXPECT_EQ(row.due ? kChecking + kBugFixNotice + "\n" : "", result.output);
        float lastCheck = 0.0f;
        float lastDisplay = 0.0f;
        ASSERT_TRUE(orvtest::timesFromBytes(result.value("file"), lastCheck, lastDisplay));
        EXPECT_EQ(row.due, isRecent(lastCheck)) << lastCheck;
    }
}

TEST(UpdateCheckTimes, AFileThatCannotBeWrittenDisablesTheChecker) {
    CheckScenario scenario;
    scenario.prepare = [] { QDir().mkpath(QString::fromStdString(orvtest::timesFilePath())); };
    scenario.drive = [](CUpdateCheck& check) {
        check.checkForUpdate();
        check.checkForUpdate();
        orvtest::processEventsFor(200);
    };
    const ScenarioResult result = runCheckScenario(scenario);
    expectFinishedCleanly(result);
    EXPECT_EQ("", result.output);
    EXPECT_EQ(0u, result.values("request").size());
    EXPECT_EQ("folder", result.value("file"));
}

TEST(UpdateCheckKeeping, ANoticeIsKeptAtMostOnceAWeek) {
    const struct {
        const char* name;
        QByteArray body;
        int status;
        float displayAgo;
        std::string printed;
        std::string kept;
        bool periodRestarts;
    } rows[] = {
        {"a notice eight days after the last", kBugFixBody, 200, 8 * kDay, kBugFixNotice + "\n",
         kBugFixNotice, true},
        {"a notice six days after the last", kBugFixBody, 200, 6 * kDay, kBugFixNotice + "\n", "", false},
        {"nothing new eight days after the last", "last: 40100 rev1\n", 200, 8 * kDay, kUpToDate, "", true},
        {"a failed check eight days after the last", kBugFixBody, 503, 8 * kDay, kFailed, "", true},
        {"a failed check six days after the last", kBugFixBody, 503, 6 * kDay, kFailed, "", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CheckScenario scenario;
        scenario.serve = answering(ServerAnswer::withStatus(row.status, row.body));
        scenario.prepare = timesAgo(2 * kDay, row.displayAgo);
        const ScenarioResult result = runCheckScenario(scenario);
        expectFinishedCleanly(result);
        EXPECT_EQ(kChecking + row.printed, result.output);
        EXPECT_EQ(row.kept, result.value("kept"));
        EXPECT_EQ("", result.value("keptAgain"));
        float lastCheck = 0.0f;
        float lastDisplay = 0.0f;
        ASSERT_TRUE(orvtest::timesFromBytes(result.value("file"), lastCheck, lastDisplay));
        EXPECT_TRUE(isRecent(lastCheck));
        if (row.periodRestarts)
            EXPECT_TRUE(isRecent(lastDisplay)) << lastDisplay;
        else
            EXPECT_NEAR(orvtest::secondsNow() - row.displayAgo, lastDisplay, 300.0f);
    }
}

TEST(UpdateCheckShape, SlotsAndMetaTypesForConnectionsBySignature) {
    const ScenarioResult result = orvtest::runScenario([] {
        CUpdateCheck check(1, "X", 1, 40000, 1, false, false);
        const QMetaObject* meta = check.metaObject();
        orvtest::report("class", meta->className());
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            orvtest::report(method.methodType() == QMetaMethod::Slot ? "slot" : "other",
                            method.methodSignature().toStdString());
        }
        orvtest::report("replyType",
                        QMetaType::type("QNetworkReply*") != QMetaType::UnknownType ? "yes" : "no");
        orvtest::report("errorType", QMetaType::type("QNetworkReply::NetworkError") != QMetaType::UnknownType
                                         ? "yes"
                                         : "no");
        orvtest::report("kept", check.getUpdateStringToDisplay());
        orvtest::reportTimesFile();
        return 0;
    });
    EXPECT_EQ("", result.output);
    EXPECT_EQ("CUpdateCheck", result.value("class"));
    EXPECT_EQ((std::vector<std::string>{
                  "replyFinished(QNetworkReply*)", "replyDownloadProgress(qlonglong,qlonglong)",
                  "slotError(QNetworkReply::NetworkError)", "slotReadyRead()", "handleTimeOut()"}),
              result.values("slot"));
    EXPECT_TRUE(result.values("other").empty());
    EXPECT_EQ("yes", result.value("replyType"));
    EXPECT_EQ("yes", result.value("errorType"));
    EXPECT_EQ("", result.value("kept"));
    // Making a checker writes nothing.
    EXPECT_EQ("missing", result.value("file"));
}

} // namespace
