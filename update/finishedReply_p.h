#pragma once
// Whether a finished network reply brought the update server's whole answer.

class QNetworkReply;

namespace orv {

/// True when the reply finished without an error, was not a redirect left unfollowed (a redirect
/// target on the reply, or a final status of 3xx such as 300 or 304, which carry no version text)
/// and holds no more than the accepted size, and exactly as many bytes as announced when a length was.
bool isWholeReply(const QNetworkReply& reply);

} // namespace orv
