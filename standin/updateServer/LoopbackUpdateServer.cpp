#include "LoopbackUpdateServer.h"

#include <QHostAddress>
#include <QMap>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace orvstandin {

namespace {

// A request head larger than this is not a request the update check sends: the connection is closed.
constexpr int kMaxRequestHead = 64 * 1024;
constexpr qint64 kEndlessChunk = 64 * 1024;
// How long a reply cut short by a reset lies half sent before the reset, so that the client reads
// the first half first.
constexpr int kResetDelayMs = 100;

QByteArray endlessChunk() {
    QByteArray chunk;
    chunk.reserve(static_cast<int>(kEndlessChunk));
    while (chunk.size() < kEndlessChunk)
        chunk += "change and another change\n";
    return chunk;
}

bool parseRequestHead(const QByteArray& head, RecordedRequest& request) {
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> words = lines.value(0).trimmed().split(' ');
    if (words.size() != 3)
        return false;
    request.method = words[0];
    request.target = words[1];
    const int question = request.target.indexOf('?');
    request.path = question < 0 ? request.target : request.target.left(question);
    request.query = question < 0 ? QByteArray() : request.target.mid(question + 1);
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const int colon = line.indexOf(':');
        if (colon > 0)
            request.headers.append(qMakePair(line.left(colon).trimmed(), line.mid(colon + 1).trimmed()));
    }
    return true;
}

QByteArray responseHead(const ServerAnswer& answer, bool withLength) {
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + " " + reasonPhrase(answer.status) +
                      "\r\nContent-Type: text/plain\r\nConnection: close\r\n";
    if (withLength)
        head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    for (const auto& header : answer.headers)
        head += header.first + ": " + header.second + "\r\n";
    return head + "\r\n";
}

void writeEndlessBody(QTcpSocket* socket) {
    socket->write(responseHead(ServerAnswer(), false));
    const QByteArray chunk = endlessChunk();
    socket->write(chunk);
    // Keep a chunk queued while the client reads; stop when it goes away.
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, chunk](qint64) {
        if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < kEndlessChunk)
            socket->write(chunk);
    });
}

// Closes the connection with a reset instead of the orderly end of a close.
void resetConnection(QTcpSocket* socket) {
    const linger immediately{1, 0};
    setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &immediately,
               sizeof(immediately));
    socket->abort();
}

void writeHalfBody(QTcpSocket* socket, const ServerAnswer& answer) {
    socket->write(responseHead(answer, true) + answer.body.left(answer.body.size() / 2));
    socket->flush();
    if (answer.kind == ServerAnswer::Kind::CloseMidBody)
        socket->disconnectFromHost();
    else if (answer.kind == ServerAnswer::Kind::ResetMidBody)
        QTimer::singleShot(kResetDelayMs, socket, [socket] { resetConnection(socket); });
}

} // namespace

struct LoopbackUpdateServer::State {
    ServerAnswer defaultAnswer = ServerAnswer::withStatus(404, "not found\n");
    QMap<QByteArray, ServerAnswer> answers;
    std::vector<RecordedRequest> requests;
    bool tls = false;
    QSslCertificate certificate;
    QSslKey key;

    ServerAnswer answerFor(const QByteArray& path) const { return answers.value(path, defaultAnswer); }
};

class LoopbackUpdateServer::Listener : public QTcpServer {
public:
    explicit Listener(std::shared_ptr<State> state) : _state(std::move(state)) {}

protected:
    void incomingConnection(qintptr descriptor) override {
        if (!_state->tls) {
            auto* socket = new QTcpSocket(this);
            if (socket->setSocketDescriptor(descriptor))
                serve(socket);
            else
                delete socket;
            return;
        }
        auto* socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setLocalCertificate(_state->certificate);
        socket->setPrivateKey(_state->key);
        socket->setPeerVerifyMode(QSslSocket::VerifyNone);
        serve(socket);
        socket->startServerEncryption();
    }

private:
    void serve(QTcpSocket* socket) {
        auto received = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
            received->append(socket->readAll());
            const int end = received->indexOf("\r\n\r\n");
            if (end < 0) {
                if (received->size() > kMaxRequestHead)
                    socket->abort();
                return;
            }
            RecordedRequest request;
            const bool parsed = parseRequestHead(received->left(end), request);
            // One request per connection: later bytes on it are ignored.
            disconnect(socket, &QTcpSocket::readyRead, socket, nullptr);
            if (!parsed) {
                socket->abort();
                return;
            }
            _state->requests.push_back(request);
            answer(socket, _state->answerFor(request.path));
        });
    }

    static void answer(QTcpSocket* socket, const ServerAnswer& answer) {
        switch (answer.kind) {
        case ServerAnswer::Kind::Respond:
            socket->write(responseHead(answer, true) + answer.body);
            socket->disconnectFromHost();
            return;
        case ServerAnswer::Kind::CloseConnection:
            socket->disconnectFromHost();
            return;
        case ServerAnswer::Kind::Silence:
            return;
        case ServerAnswer::Kind::EndlessBody:
            writeEndlessBody(socket);
            return;
        case ServerAnswer::Kind::StallMidBody:
        case ServerAnswer::Kind::CloseMidBody:
        case ServerAnswer::Kind::ResetMidBody:
            writeHalfBody(socket, answer);
            return;
        }
    }

    std::shared_ptr<State> _state;
};

LoopbackUpdateServer::LoopbackUpdateServer() : _state(std::make_shared<State>()) {}

LoopbackUpdateServer::~LoopbackUpdateServer() = default;

bool LoopbackUpdateServer::listen(std::string& error) {
    _state->tls = false;
    return start(error);
}

bool LoopbackUpdateServer::listenTls(const QSslCertificate& certificate, const QSslKey& key,
                                     std::string& error) {
    if (!QSslSocket::supportsSsl()) {
        error = "this Qt build has no TLS support";
        return false;
    }
    if (certificate.isNull() || key.isNull()) {
        error = "a TLS server needs a certificate and a key";
        return false;
    }
    _state->tls = true;
    _state->certificate = certificate;
    _state->key = key;
    return start(error);
}

bool LoopbackUpdateServer::start(std::string& error) {
    if (_listener != nullptr) {
        error = "the server is already listening";
        return false;
    }
    auto listener = std::make_unique<Listener>(_state);
    if (!listener->listen(QHostAddress::LocalHost, 0)) {
        error = "cannot listen on 127.0.0.1: " + listener->errorString().toStdString();
        return false;
    }
    _listener = std::move(listener);
    return true;
}

quint16 LoopbackUpdateServer::port() const {
    return _listener != nullptr ? _listener->serverPort() : 0;
}

QString LoopbackUpdateServer::baseUrl() const {
    return QString("%1://127.0.0.1:%2").arg(_state->tls ? "https" : "http").arg(port());
}

void LoopbackUpdateServer::setDefaultAnswer(const ServerAnswer& answer) {
    _state->defaultAnswer = answer;
}

void LoopbackUpdateServer::setAnswer(const QByteArray& path, const ServerAnswer& answer) {
    _state->answers.insert(path, answer);
}

std::vector<RecordedRequest> LoopbackUpdateServer::requests() const {
    return _state->requests;
}

std::vector<RecordedRequest> LoopbackUpdateServer::takeRequests() {
    std::vector<RecordedRequest> taken;
    taken.swap(_state->requests);
    return taken;
}

void LoopbackUpdateServer::stop() {
    if (_listener == nullptr)
        return;
    _listener->close();
    for (QTcpSocket* socket : _listener->findChildren<QTcpSocket*>())
        socket->abort();
    _listener.reset();
}

} // namespace orvstandin
