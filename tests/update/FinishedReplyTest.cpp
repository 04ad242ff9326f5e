// Whether a finished reply counts as the update server's whole answer, on replies made up here: a
// connection that ends halfway through the body can finish a reply without any error.
#include "update/finishedReply_p.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <gtest/gtest.h>

#include <cstring>

namespace {

class FinishedReply : public QNetworkReply {
public:
    FinishedReply(NetworkError error, int status, const QUrl& redirect, const QVariant& length,
                  const QByteArray& body)
        : _body(body) {
        setError(error, error == NoError ? QString() : QString("failed"));
        if (status != 0)
            setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
        if (redirect.isValid())
            setAttribute(QNetworkRequest::RedirectionTargetAttribute, redirect);
        if (length.isValid())
            setHeader(QNetworkRequest::ContentLengthHeader, length);
        setOpenMode(ReadOnly);
        setFinished(true);
    }

    void abort() override {}
    qint64 bytesAvailable() const override { return _body.size() - _read + QNetworkReply::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min(maxSize, static_cast<qint64>(_body.size()) - _read);
        std::memcpy(data, _body.constData() + _read, static_cast<std::size_t>(n));
        _read += n;
        return n;
    }

private:
    QByteArray _body;
    qint64 _read = 0;
};

TEST(FinishedReply, OnlyAWholeAnswerCounts) {
    const QByteArray body = "last: 40000 rev2\nrev2 faster\n"; // 29 bytes
    const QVariant none;
    const struct {
        const char* name;
        QNetworkReply::NetworkError error;
        int status;
        QUrl redirect;
        QVariant length;
        QByteArray body;
        bool whole;
    } rows[] = {
        // clang-format off
        {"the announced length", QNetworkReply::NoError, 200, QUrl(), 29, body, true},
        {"no length announced", QNetworkReply::NoError, 200, QUrl(), none, body, true},
        {"shorter than announced: the connection ended halfway", QNetworkReply::NoError, 200, QUrl(), 29,
         body.left(14), false},
        {"longer than announced", QNetworkReply::NoError, 200, QUrl(), 28, body, false},
        {"a redirect target left", QNetworkReply::NoError, 301, QUrl("/moved"), 0, "", false},
        {"a final status of 304", QNetworkReply::NoError, 304, QUrl(), none, "", false},
        {"a final status of 300 with a body", QNetworkReply::NoError, 300, QUrl(), 29, body, false},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const FinishedReply reply(row.error, row.status, row.redirect, row.length, row.body);
        EXPECT_EQ(row.whole, orv::isWholeReply(reply));
    }
}

} // namespace
