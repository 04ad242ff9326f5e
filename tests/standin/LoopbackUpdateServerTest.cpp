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
