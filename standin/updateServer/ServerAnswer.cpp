#include "ServerAnswer.h"

namespace orvstandin {

ServerAnswer ServerAnswer::withBody(const QByteArray& body) {
    ServerAnswer answer;
    answer.body = body;
    return answer;
}

ServerAnswer ServerAnswer::withStatus(int status, const QByteArray& body) {
    ServerAnswer answer;
    answer.status = status;
    answer.body = body;
    return answer;
}

ServerAnswer ServerAnswer::redirectTo(const QByteArray& location, int status) {
    ServerAnswer answer;
    answer.status = status;
    answer.headers.append(qMakePair(QByteArray("Location"), location));
    return answer;
}

ServerAnswer ServerAnswer::closeConnection() {
    ServerAnswer answer;
    answer.kind = Kind::CloseConnection;
    return answer;
}

ServerAnswer ServerAnswer::silence() {
    ServerAnswer answer;
    answer.kind = Kind::Silence;
    return answer;
}

ServerAnswer ServerAnswer::endlessBody() {
    ServerAnswer answer;
    answer.kind = Kind::EndlessBody;
    return answer;
}

ServerAnswer ServerAnswer::cutMidBody(const QByteArray& body, Kind kind) {
    ServerAnswer answer = withBody(body);
    answer.kind = kind;
    return answer;
}

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 300:
        return "Multiple Choices";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace orvstandin
