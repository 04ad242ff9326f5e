#include "update/finishedReply_p.h"

#include "update/updateReply_p.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace orv {

namespace {

bool isLeftRedirect(const QNetworkReply& reply) {
    if (!reply.attribute(QNetworkRequest::RedirectionTargetAttribute).isNull())
        return true;
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() && status.toInt() >= 300 && status.toInt() < 400;
}

// Qt may finish a reply without an error when the connection ends halfway through a body of
// announced length, so the length is compared here. (When Qt decompresses a body it drops the
// header, whose length would be that of the compressed bytes.)
bool hasAnnouncedLength(const QNetworkReply& reply) {
    const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
    return !length.isValid() || length.toLongLong() == reply.bytesAvailable();
}

} // namespace

bool isWholeReply(const QNetworkReply& reply) {
    return reply.error() == QNetworkReply::NoError && !isLeftRedirect(reply) &&
           reply.bytesAvailable() <= kMaxUpdateReplyBytes && hasAnnouncedLength(reply);
}

} // namespace orv
