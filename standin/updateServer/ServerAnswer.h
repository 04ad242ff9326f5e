#pragma once
// How the loopback update server answers one request.

#include <QByteArray>
#include <QList>
#include <QPair>

namespace orvstandin {

/// One way of answering a request: a response, a closed connection, silence, an endless body or a
/// response cut short halfway through its body.
struct ServerAnswer {
    enum class Kind {
        Respond,         ///< a complete response with status, headers and body
        CloseConnection, ///< close the connection without writing anything
        Silence,         ///< keep the connection open and never answer
        EndlessBody,     ///< a 200 response whose body never ends
        StallMidBody,    ///< the head (with the full length) and half the body, then nothing more
        CloseMidBody,    ///< the head and half the body, then the connection closed
        ResetMidBody     ///< the head and half the body, then the connection reset
    };

    Kind kind = Kind::Respond;
    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; ///< extra header lines, for example Location

    static ServerAnswer withBody(const QByteArray& body);
    static ServerAnswer withStatus(int status, const QByteArray& body = QByteArray());
    /// A redirect (302 unless told otherwise) to location, absolute or relative.
    static ServerAnswer redirectTo(const QByteArray& location, int status = 302);
    static ServerAnswer closeConnection();
    static ServerAnswer silence();
    static ServerAnswer endlessBody();
    /// A 200 response announcing body whole but ending after half of it, as kind says (one of
    /// StallMidBody, CloseMidBody and ResetMidBody).
    static ServerAnswer cutMidBody(const QByteArray& body, Kind kind);
};

/// The reason phrase of an HTTP status code ("OK", "Found", ...); "Status" for codes it does not know.
QByteArray reasonPhrase(int status);

} // namespace orvstandin
