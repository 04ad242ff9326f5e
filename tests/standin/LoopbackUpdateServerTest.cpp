// The loopback update server answers exactly as told and records what it received; the update
// check's tests rely on both.
#include "LoopbackUpdateServer.h"
#include "common/WaitUntil.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using orvstandin::LoopbackUpdateServer;
using orvstandin::ServerAnswer;

namespace {

// A client on a plain POSIX socket, which tells a reset connection from a closed one.
class RawClient {
public:
    RawClient(quint16 port, const QByteArray& request) : _fd(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(_fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
        ::send(_fd, request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL);
    }
    ~RawClient() { close(_fd); }

    /// Reads while the server's event loop runs, until the connection ends or waitMs passes: "reset",
    /// "closed" or "open".
    std::string readUntilEnd(int waitMs) {
        std::string ending = "open";
        orvtest::waitUntil(
            [&] {
                if (ending != "open")
                    return true; // a reset reads as a close once reported
                char buffer[4096];
                const ssize_t n = recv(_fd, buffer, sizeof(buffer), MSG_DONTWAIT);
                if (n > 0)
                    received.append(buffer, static_cast<int>(n));
                else if (n == 0)
                    ending = "closed";
                else if (errno == ECONNRESET)
                    ending = "reset";
                return ending != "open";
            },
            waitMs);
        return ending;
    }

    QByteArray received;

private:
    int _fd;
};

const QByteArray kGet = "GET /a.txt?x=1&y=2 HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: test\r\n\r\n";

TEST(LoopbackUpdateServer, AnswersExactlyAsToldAndRecordsWellFormedRequests) {
    const QByteArray plain = "Content-Type: text/plain\r\nConnection: close\r\nContent-Length: ";
    const QByteArray half = "HTTP/1.1 200 OK\r\n" + plain + "10\r\n\r\n01234";
    const struct {
        const char* name;
        ServerAnswer answer;
        QByteArray expected;
        std::string ending;
        QByteArray request = kGet; ///< anything else is refused unrecorded
    } rows[] = {
        // clang-format off
        {"body", ServerAnswer::withBody("last: 1\n"), "HTTP/1.1 200 OK\r\n" + plain + "8\r\n\r\nlast: 1\n", "closed"},
        {"status", ServerAnswer::withStatus(503, "busy"), "HTTP/1.1 503 Service Unavailable\r\n" + plain +
                                                          "4\r\n\r\nbusy", "closed"},
        {"redirect", ServerAnswer::redirectTo("http://127.0.0.1:9/x", 301), "HTTP/1.1 301 Moved Permanently\r\n" +
                                     plain + "0\r\nLocation: http://127.0.0.1:9/x\r\n\r\n", "closed"},
        {"closed connection", ServerAnswer::closeConnection(), "", "closed"},
        {"silence", ServerAnswer::silence(), "", "open"},
        {"stall mid-body", ServerAnswer::cutMidBody("0123456789", ServerAnswer::Kind::StallMidBody), half, "open"},
        {"close mid-body", ServerAnswer::cutMidBody("0123456789", ServerAnswer::Kind::CloseMidBody), half, "closed"},
        {"reset mid-body", ServerAnswer::cutMidBody("0123456789", ServerAnswer::Kind::ResetMidBody), half, "reset"},
        {"a malformed request", ServerAnswer::withBody("x"), "", "closed", "NONSENSE\r\n\r\n"},
        {"an oversized request", ServerAnswer::withBody("x"), "", "closed", "GET /" + QByteArray(70000, 'a')},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackUpdateServer server;
        std::string error;
        ASSERT_TRUE(server.listen(error)) << error;
        EXPECT_EQ(QString("http://127.0.0.1:%1").arg(server.port()), server.baseUrl());
        server.setAnswer("/a.txt", row.answer);
        RawClient client(server.port(), row.request);
        EXPECT_EQ(row.ending, client.readUntilEnd(row.ending == "open" ? 300 : 3000));
        EXPECT_EQ(row.expected.toStdString(), client.received.toStdString());
        const auto requests = server.takeRequests();
        ASSERT_EQ(row.request == kGet ? 1u : 0u, requests.size());
        if (requests.empty())
            continue;
        EXPECT_TRUE(server.requests().empty());
        const auto& got = requests[0];
        EXPECT_EQ("GET /a.txt?x=1&y=2 /a.txt x=1&y=2",
                  got.method + " " + got.target + " " + got.path + " " + got.query);
        EXPECT_EQ((QList<QPair<QByteArray, QByteArray>>{{"Host", "127.0.0.1"}, {"User-Agent", "test"}}),
                  got.headers);
    }
}

} // namespace
