// The update check through a real HTTP proxy (tinyproxy) for an update server reached by name, each
// scenario in a fresh process with a network and mount namespace of its own: only a loopback
// interface, and a hosts file of the test's over /etc/hosts. Nothing leaves the machine and nothing
// outside the process changes.
#include "LoopbackUpdateServer.h"
#include "SelfSignedCertificate.h"
#include "common/FileBytes.h"
#include "common/UpdateScenario.h"
#include "common/UpdateTexts.h"
#include "common/WaitUntil.h"
#include "update/CUpdateCheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkProxy>
#include <QSslConfiguration>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using orvstandin::LoopbackUpdateServer;
using orvstandin::ServerAnswer;

const char kServerName[] = "update-server.example";
// The private network has nothing else listening.
const quint16 kProxyPort = 8888;
const char kPath[] = "/lastZembrixVersion.txt";
constexpr int kCannotIsolate = 77;

/// The proxy's address as a user writes it in a proxy variable, with credentials ("name:password@").
std::string proxyUrl(const std::string& credentials = "") {
    return "http://" + credentials + "127.0.0.1:" + std::to_string(kProxyPort);
}

// Root makes the namespaces directly; another user inside a user namespace of its own, as its root.
bool enterPrivateNamespaces() {
    if (unshare(CLONE_NEWNET | CLONE_NEWNS) == 0)
        return true;
    const std::string uid = std::to_string(geteuid());
    const std::string gid = std::to_string(getegid());
    return unshare(CLONE_NEWUSER | CLONE_NEWNET | CLONE_NEWNS) == 0 &&
           orvtest::writeFileBytes("/proc/self/setgroups", "deny") &&
           orvtest::writeFileBytes("/proc/self/uid_map", "0 " + uid + " 1") &&
           orvtest::writeFileBytes("/proc/self/gid_map", "0 " + gid + " 1");
}

bool bringLoopbackUp() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    std::snprintf(request.ifr_name, sizeof request.ifr_name, "lo");
    bool up = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags |= IFF_UP;
    up = up && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    return fd >= 0 && close(fd) == 0 && up;
}

// The mounts are made private first, so that the hosts file never shows outside this process.
bool enterPrivateNetwork(const std::string& hostsFile) {
    return enterPrivateNamespaces() && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount(hostsFile.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) == 0 && bringLoopbackUp();
}

/// A tinyproxy in the foreground on kProxyPort with the given lines added to its configuration,
/// stopped with this object or, should this process die first, with it.
class TinyProxy {
public:
    explicit TinyProxy(const std::string& extraLines) {
        const std::string folder = QDir::currentPath().toStdString();
        _log = folder + "/proxy.log";
        const std::string configuration = folder + "/proxy.conf";
        if (!orvtest::writeFileBytes(configuration, "Port " + std::to_string(kProxyPort) +
                                                        "\nListen 127.0.0.1\nTimeout 10\nLogLevel Connect\n"
                                                        "LogFile \"" +
                                                        _log + "\"\n" + extraLines + "\n"))
            return;
        std::fflush(nullptr);
        _pid = fork();
        if (_pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            execlp("tinyproxy", "tinyproxy", "-d", "-c", configuration.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~TinyProxy() { stop(); }
    TinyProxy(const TinyProxy&) = delete;
    TinyProxy& operator=(const TinyProxy&) = delete;

    /// Waits until the proxy accepts connections; false when it never does.
    bool waitUntilListening() const {
        return _pid > 0 && orvtest::waitUntil(
                               [] {
                                   QTcpSocket probe;
                                   probe.connectToHost("127.0.0.1", kProxyPort);
                                   return probe.waitForConnected(100);
                               },
                               10000);
    }
    void stop() {
        if (_pid > 0 && kill(_pid, SIGTERM) == 0)
            waitpid(_pid, nullptr, 0);
        _pid = -1;
    }
    /// Whether the proxy's log names host: it was asked for it, plainly or with CONNECT.
    bool sawRequestFor(const char* host) const {
        QFile log(QString::fromStdString(_log));
        return log.open(QIODevice::ReadOnly) && log.readAll().contains(host);
    }

private:
    std::string _log;
    pid_t _pid = -1;
};

enum class Server { Http, Https };

struct Row {
    const char* name;
    Server server;
    std::vector<std::pair<const char*, std::string>> environment; ///< the user's proxy variables
    const char* proxyLines; ///< added to the proxy's configuration; nullptr: no proxy runs
    bool reached;           ///< the check succeeded (else it failed)
    int requests;           ///< that the update server received
    bool proxied;           ///< the proxy saw the request
    /// The host's for its process; Qt's default: none set
    QNetworkProxy hostProxy = QNetworkProxy(QNetworkProxy::DefaultProxy);
};

const char* const kProxyVariables[] = {"http_proxy", "https_proxy", "all_proxy", "no_proxy",
                                       "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "NO_PROXY"};

// The child's part: a private network in which the server's name stands for 127.0.0.1, the servers,
// the proxy, one check of version 40100 revision 1; what the servers and the proxy saw.
int runThroughProxy(const Row& row) {
    const std::string folder = QDir::currentPath().toStdString();
    if (!orvtest::writeFileBytes(folder + "/hosts",
                                 "127.0.0.1 localhost " + std::string(kServerName) + "\n") ||
        !enterPrivateNetwork(folder + "/hosts"))
        return kCannotIsolate;
    QTemporaryDir certificateFolder;
    LoopbackUpdateServer server;
    orvstandin::SelfSignedCertificate pair;
    std::string error;
    const bool tls = row.server != Server::Http;
    if ((tls &&
         !orvstandin::SelfSignedCertificate::generate(certificateFolder.path(), pair, error, kServerName)) ||
        !(tls ? server.listenTls(pair.certificate(), pair.key(), error) : server.listen(error)))
        return 3;
    if (tls) {
        QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
        trusting.setCaCertificates({pair.certificate()});
        QSslConfiguration::setDefaultConfiguration(trusting);
    }
    server.setAnswer(kPath, ServerAnswer::withBody("last: 40100 rev1\n"));
    const std::string url =
        std::string(tls ? "https://" : "http://") + kServerName + ":" + std::to_string(server.port());
    setenv("ORV_UPDATE_SERVER", url.c_str(), 1);
    for (const char* name : kProxyVariables)
        unsetenv(name);
    for (const auto& variable : row.environment)
        setenv(variable.first, variable.second.c_str(), 1);
    // Setting Qt's default proxy would itself be a choice: no proxy.
    if (row.hostProxy.type() != QNetworkProxy::DefaultProxy)
        QNetworkProxy::setApplicationProxy(row.hostProxy);

    std::unique_ptr<TinyProxy> proxy;
    if (row.proxyLines != nullptr) {
        proxy = std::make_unique<TinyProxy>(row.proxyLines);
        if (!proxy->waitUntilListening())
            return 4;
    }
    {
        CUpdateCheck check(123, "ABC", 1, 40100, 1, false, false);
        QElapsedTimer clock;
        clock.start();
        check.checkForUpdate();
        orvtest::waitUntil([&] { return !check.isRequestPending(); }, 10000);
        orvtest::report("elapsed", std::to_string(clock.elapsed()));
    }
    orvtest::reportRequests(server);
    if (proxy != nullptr)
        proxy->stop();
    orvtest::report("proxied", proxy != nullptr && proxy->sawRequestFor(kServerName) ? "yes" : "no");
    return 0;
}

const QNetworkProxy kHostProxy(QNetworkProxy::HttpProxy, "127.0.0.1", kProxyPort);
const char kOpen[] = "";
const char kAskCredentials[] = "BasicAuth orv secret";

TEST(UpdateProxy, TheCheckTakesTheHostsOrTheSystemsProxyAndFailsCleanlyThroughABadOne) {
    const Row rows[] = {
        // clang-format off
        {"http through the proxy", Server::Http, {{"http_proxy", proxyUrl()}}, kOpen, true, 1, true},
        {"https through the proxy", Server::Https, {{"https_proxy", proxyUrl()}}, kOpen, true, 1, true},
        {"no_proxy naming the server: direct", Server::Http, {{"http_proxy", proxyUrl()}, {"no_proxy", kServerName}},
         kOpen, true, 1, false},
        {"the host's proxy for its process", Server::Http, {}, kOpen, true, 1, true, kHostProxy},
        // No prompt: the credentials are asked for and the check fails; none are printed.
        {"wrong credentials in the proxy's address", Server::Https, {{"https_proxy", proxyUrl("orv:wrong-s3cret@")}},
         kAskCredentials, false, 0, true},
        {"a proxy that is down", Server::Https, {{"https_proxy", proxyUrl()}}, nullptr, false, 0, false},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const orvtest::ScenarioResult result = orvtest::runScenario([&row] { return runThroughProxy(row); });
        if (result.run.exitCode == kCannotIsolate)
            GTEST_SKIP() << "no private network and mount namespace could be made for the proxy scenarios";
        EXPECT_EQ(0, result.run.exitCode) << "3: the servers did not start, 4: tinyproxy did not start";
        EXPECT_EQ(orvtest::kChecking + (row.reached ? orvtest::kUpToDate : orvtest::kFailed), result.output);
        EXPECT_EQ(static_cast<std::size_t>(row.requests), result.values("request").size());
        EXPECT_EQ(row.proxied ? "yes" : "no", result.value("proxied"));
        // A failure ends the check at once, well before its time-out.
        if (!row.reached) {
            EXPECT_LT(std::atoi(result.value("elapsed").c_str()), 1900);
        }
    }
}

} // namespace
