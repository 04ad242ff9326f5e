// The loopback update server answers exactly as told and records what it received; the update
// check's tests rely on both.
#include "LoopbackUpdateServer.h"
#include "SelfSignedCertificate.h"
#include "common/WaitUntil.h"

#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using orvstandin::LoopbackUpdateServer;
using orvstandin::ServerAnswer;

namespace {

struct Exchange {
    QByteArray received;
    bool closed = false;
};

// Sends raw bytes to the server and collects the answer until the server closes the connection,
// waitMs passes or more than stopAfter bytes arrived.
Exchange exchange(QTcpSocket& socket, const QByteArray& request, int waitMs, qint64 stopAfter = -1) {
    Exchange result;
    QObject scope; // ends the connections below before the socket closes on destruction
    QObject::connect(&socket, &QTcpSocket::readyRead, &scope, [&] { result.received += socket.readAll(); });
    QObject::connect(&socket, &QTcpSocket::disconnected, &scope, [&] { result.closed = true; });
    QObject::connect(&socket, &QTcpSocket::connected, &scope, [&] { socket.write(request); });
    orvtest::waitUntil(
        [&] { return result.closed || (stopAfter >= 0 && result.received.size() > stopAfter); }, waitMs);
    result.received += socket.readAll();
    return result;
}

Exchange plainExchange(const LoopbackUpdateServer& server, const QByteArray& request, int waitMs = 3000,
                       qint64 stopAfter = -1) {
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", server.port());
    return exchange(socket, request, waitMs, stopAfter);
}

QByteArray getRequest(const QByteArray& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: test\r\n\r\n";
}

struct AnswerRow {
    const char* name;
    ServerAnswer answer;
    QByteArray expected;
    bool closed;
};

const AnswerRow kAnswerRows[] = {
    {"body", ServerAnswer::withBody("last: 40100 rev2\n"),
     "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: 17\r\n\r\n"
     "last: 40100 rev2\n",
     true},
    {"status", ServerAnswer::withStatus(503, "busy"),
     "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain\r\nConnection: close\r\n"
     "Content-Length: 4\r\n\r\nbusy",
     true},
    {"redirect", ServerAnswer::redirectTo("/elsewhere.txt"),
     "HTTP/1.1 302 Found\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: 0\r\n"
     "Location: /elsewhere.txt\r\n\r\n",
     true},
    {"permanent redirect", ServerAnswer::redirectTo("http://127.0.0.1:9/x", 301),
     "HTTP/1.1 301 Moved Permanently\r\nContent-Type: text/plain\r\nConnection: close\r\n"
     "Content-Length: 0\r\nLocation: http://127.0.0.1:9/x\r\n\r\n",
     true},
    {"closed connection", ServerAnswer::closeConnection(), "", true},
    {"silence", ServerAnswer::silence(), "", false},
};

TEST(LoopbackUpdateServer, AnswersExactlyAsTold) {
    for (const AnswerRow& row : kAnswerRows) {
        SCOPED_TRACE(row.name);
        LoopbackUpdateServer server;
        std::string error;
        ASSERT_TRUE(server.listen(error)) << error;
        server.setDefaultAnswer(row.answer);
        const Exchange result = plainExchange(server, getRequest("/a.txt"), row.closed ? 3000 : 300);
        EXPECT_EQ(row.expected.toStdString(), result.received.toStdString());
        EXPECT_EQ(row.closed, result.closed);
        EXPECT_EQ(1u, server.requests().size());
    }
}

TEST(LoopbackUpdateServer, RecordsEachRequestAndChoosesTheAnswerByPath) {
    LoopbackUpdateServer server;
    std::string error;
    ASSERT_TRUE(server.listen(error)) << error;
    EXPECT_NE(0, server.port());
    EXPECT_EQ(QString("http://127.0.0.1:%1").arg(server.port()), server.baseUrl());
    server.setAnswer("/lastZembrixVersion.txt", ServerAnswer::withBody("yes"));

    const Exchange known = plainExchange(server, getRequest("/lastZembrixVersion.txt?a=1&h=AB&info=x"));
    EXPECT_TRUE(known.received.endsWith("\r\n\r\nyes"));
    const Exchange unknown = plainExchange(server, "HEAD /other HTTP/1.1\r\nHost: here\r\n\r\n");
    EXPECT_TRUE(unknown.received.startsWith("HTTP/1.1 404 Not Found\r\n"));

    const auto requests = server.requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("GET", requests[0].method);
    EXPECT_EQ("/lastZembrixVersion.txt?a=1&h=AB&info=x", requests[0].target);
    EXPECT_EQ("/lastZembrixVersion.txt", requests[0].path);
    EXPECT_EQ("a=1&h=AB&info=x", requests[0].query);
    ASSERT_EQ(2, requests[0].headers.size());
    EXPECT_EQ("Host", requests[0].headers[0].first);
    EXPECT_EQ("127.0.0.1", requests[0].headers[0].second);
    EXPECT_EQ("User-Agent", requests[0].headers[1].first);
    EXPECT_EQ("HEAD", requests[1].method);
    EXPECT_EQ("/other", requests[1].path);
    EXPECT_EQ("", requests[1].query);
}

TEST(LoopbackUpdateServer, EndlessBodyKeepsComingWhileTheClientReads) {
    LoopbackUpdateServer server;
    std::string error;
    ASSERT_TRUE(server.listen(error)) << error;
    server.setDefaultAnswer(ServerAnswer::endlessBody());
    const qint64 threeMiB = 3 << 20;
    const Exchange result = plainExchange(server, getRequest("/"), 20000, threeMiB);
    EXPECT_FALSE(result.closed);
    EXPECT_GT(result.received.size(), threeMiB);
    EXPECT_TRUE(result.received.startsWith("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(-1, result.received.indexOf("Content-Length"));
}

TEST(LoopbackUpdateServer, RefusesMalformedOrOversizedRequestsWithoutRecordingThem) {
    LoopbackUpdateServer server;
    std::string error;
    ASSERT_TRUE(server.listen(error)) << error;
    server.setDefaultAnswer(ServerAnswer::withBody("x"));
    const Exchange malformed = plainExchange(server, "NONSENSE\r\n\r\n");
    EXPECT_TRUE(malformed.closed);
    EXPECT_EQ("", malformed.received.toStdString());
    const Exchange oversized = plainExchange(server, "GET /" + QByteArray(70000, 'a'));
    EXPECT_TRUE(oversized.closed);
    EXPECT_EQ("", oversized.received.toStdString());
    EXPECT_EQ(0u, server.requests().size());
}

// A client on a plain POSIX socket, which tells a reset connection from a closed one.
class RawClient {
public:
    explicit RawClient(quint16 port) : _fd(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        _connected = ::connect(_fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~RawClient() { close(_fd); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return _connected; }
    void send(const QByteArray& bytes) {
        ::send(_fd, bytes.constData(), static_cast<size_t>(bytes.size()), 0);
    }

    /// Reads while the server's event loop runs, until the connection ends or waitMs passes: "reset",
    /// "closed" or "open".
    std::string readUntilEnd(int waitMs) {
        std::string ending = "open";
        orvtest::waitUntil(
            [&] {
                if (ending != "open")
                    return true;
                char buffer[4096];
                const ssize_t n = recv(_fd, buffer, sizeof(buffer), MSG_DONTWAIT);
                if (n > 0)
                    _received.append(buffer, static_cast<int>(n));
                else if (n == 0)
                    ending = "closed";
                else if (errno == ECONNRESET)
                    ending = "reset";
                return ending != "open";
            },
            waitMs);
        return ending;
    }
    const QByteArray& received() const { return _received; }

private:
    int _fd;
    bool _connected = false;
    QByteArray _received;
};

TEST(LoopbackUpdateServer, RepliesCutShortAfterHalfTheBody) {
    const QByteArray head =
        "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: 10\r\n\r\n";
    const struct {
        const char* name;
        ServerAnswer::Kind kind;
        std::string ending;
    } rows[] = {
        {"stall", ServerAnswer::Kind::StallMidBody, "open"},
        {"close", ServerAnswer::Kind::CloseMidBody, "closed"},
        {"reset", ServerAnswer::Kind::ResetMidBody, "reset"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackUpdateServer server;
        std::string error;
        ASSERT_TRUE(server.listen(error)) << error;
        server.setDefaultAnswer(ServerAnswer::cutMidBody("0123456789", row.kind));
        RawClient client(server.port());
        ASSERT_TRUE(client.connected());
        client.send(getRequest("/cut"));
        EXPECT_EQ(row.ending, client.readUntilEnd(1000));
        EXPECT_EQ((head + "01234").toStdString(), client.received().toStdString());
        EXPECT_EQ(1u, server.requests().size());
    }
}

TEST(LoopbackUpdateServer, StoppingDropsOpenConnectionsAndRefusesNewOnes) {
    LoopbackUpdateServer server;
    std::string error;
    ASSERT_TRUE(server.listen(error)) << error;
    const quint16 port = server.port();
    server.setDefaultAnswer(ServerAnswer::silence());
    RawClient waiting(port);
    ASSERT_TRUE(waiting.connected());
    waiting.send(getRequest("/pending"));
    ASSERT_TRUE(orvtest::waitUntil([&] { return server.requests().size() == 1; }, 3000));
    server.stop();
    EXPECT_NE("open", waiting.readUntilEnd(1000));
    EXPECT_EQ("", waiting.received().toStdString());
    EXPECT_EQ(0, server.port());
    EXPECT_FALSE(RawClient(port).connected());
    server.stop();
}

TEST(LoopbackUpdateServer, TakingTheRequestsEmptiesTheRecord) {
    LoopbackUpdateServer server;
    std::string error;
    ASSERT_TRUE(server.listen(error)) << error;
    plainExchange(server, getRequest("/one"));
    plainExchange(server, getRequest("/two"));
    const auto taken = server.takeRequests();
    ASSERT_EQ(2u, taken.size());
    EXPECT_EQ("/one", taken[0].target);
    EXPECT_EQ("/two", taken[1].target);
    EXPECT_TRUE(server.requests().empty());
    plainExchange(server, getRequest("/three"));
    ASSERT_EQ(1u, server.takeRequests().size());
}

class LoopbackTlsServer : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QSslSocket::supportsSsl());
        std::string error;
        ASSERT_TRUE(orvstandin::SelfSignedCertificate::generate(_folder.path(), _pair, error)) << error;
        ASSERT_TRUE(_server.listenTls(_pair.certificate(), _pair.key(), error)) << error;
        _server.setDefaultAnswer(ServerAnswer::withBody("secret"));
    }

    Exchange tlsExchange(bool trustTheCertificate) {
        QSslSocket socket;
        if (trustTheCertificate) {
            QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
            configuration.setCaCertificates({_pair.certificate()});
            socket.setSslConfiguration(configuration);
        }
        QObject::connect(&socket, &QSslSocket::encrypted, [&] { socket.write(getRequest("/tls")); });
        socket.connectToHostEncrypted("127.0.0.1", _server.port());
        return exchange(socket, QByteArray(), 5000);
    }

    QTemporaryDir _folder;
    orvstandin::SelfSignedCertificate _pair;
    LoopbackUpdateServer _server;
};

TEST_F(LoopbackTlsServer, AnswersAClientThatTrustsItsCertificate) {
    EXPECT_EQ(QString("https://127.0.0.1:%1").arg(_server.port()), _server.baseUrl());
    const Exchange result = tlsExchange(true);
    EXPECT_TRUE(result.received.startsWith("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(result.received.endsWith("\r\n\r\nsecret"));
    ASSERT_EQ(1u, _server.requests().size());
    EXPECT_EQ("/tls", _server.requests()[0].path);
}

TEST_F(LoopbackTlsServer, AClientThatDoesNotTrustItGetsNothing) {
    const Exchange result = tlsExchange(false);
    EXPECT_EQ("", result.received.toStdString());
    EXPECT_EQ(0u, _server.requests().size());
}

} // namespace
