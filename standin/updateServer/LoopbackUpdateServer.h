#pragma once
// A small HTTP server on 127.0.0.1 that stands in for the maker's update server: it records every
// request and answers as it is told. It runs in the thread that creates it, through that thread's
// Qt event loop.

#include "ServerAnswer.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QSslCertificate;
class QSslKey;

namespace orvstandin {

/// One request as the server received it.
struct RecordedRequest {
    QByteArray method; ///< GET, HEAD, ...
    QByteArray target; ///< path and query as sent, for example /a.txt?x=1
    QByteArray path;   ///< the target up to the first "?"
    QByteArray query;  ///< the target after the first "?", empty without one
    QList<QPair<QByteArray, QByteArray>> headers;
};

/// The loopback update server: one ephemeral port on 127.0.0.1, plain HTTP or TLS.
class LoopbackUpdateServer {
public:
    LoopbackUpdateServer();
    ~LoopbackUpdateServer();
    LoopbackUpdateServer(const LoopbackUpdateServer&) = delete;
    LoopbackUpdateServer& operator=(const LoopbackUpdateServer&) = delete;

    /// Starts listening for plain HTTP; false with a message in error.
    bool listen(std::string& error);
    /// Starts listening for HTTP over TLS with the given certificate and key.
    bool listenTls(const QSslCertificate& certificate, const QSslKey& key, std::string& error);

    quint16 port() const;
    /// "http://127.0.0.1:<port>", or "https://..." when speaking TLS.
    QString baseUrl() const;

    /// The answer for every path without an answer of its own (a 404 until set).
    void setDefaultAnswer(const ServerAnswer& answer);
    /// The answer for requests whose path (without the query) is exactly path.
    void setAnswer(const QByteArray& path, const ServerAnswer& answer);

    /// Every request received so far, in order of arrival.
    std::vector<RecordedRequest> requests() const;
    /// The requests received so far, which the server then forgets (for long runs).
    std::vector<RecordedRequest> takeRequests();

    /// Stops listening and drops every open connection unanswered, as a server that goes down.
    void stop();

private:
    struct State;
    class Listener;
    bool start(std::string& error);

    std::shared_ptr<State> _state;
    std::unique_ptr<Listener> _listener;
};

} // namespace orvstandin
