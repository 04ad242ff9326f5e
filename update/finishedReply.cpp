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

} // namespace

bool isWholeReply(const QNetworkReply& reply) {
    return reply.error() == QNetworkReply::NoError && !isLeftRedirect(reply) &&
           reply.bytesAvailable() <= kMaxUpdateReplyBytes;
}

} // namespace orv
