// Whether a finished reply counts as the update server's whole answer, on replies made up here: a
// connection that ends halfway through the body can finish a reply without any error.
#include "update/finishedReply_p.h"
#include "update/updateReply_p.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// A reply finished without an error, holding size bytes.
class FinishedReply : public QNetworkReply {
public:
    FinishedReply(int status, const QUrl& redirect, const QVariant& length, qint64 size) : _size(size) {
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
        if (redirect.isValid())
            setAttribute(QNetworkRequest::RedirectionTargetAttribute, redirect);
        if (length.isValid())
            setHeader(QNetworkRequest::ContentLengthHeader, length);
        setOpenMode(ReadOnly);
        setFinished(true);
    }
    void abort() override {}
    qint64 bytesAvailable() const override { return _size; }

protected:
    qint64 readData(char*, qint64) override { return -1; }

private:
    qint64 _size;
};

TEST(FinishedReply, OnlyAWholeAnswerCounts) {
    const QVariant none;
    const qint64 limit = orv::kMaxUpdateReplyBytes;
    const struct {
        const char* name;
        int status;
        QUrl redirect;
        QVariant length;
        qint64 size;
        bool whole;
    } rows[] = {
        {"the announced length", 200, QUrl(), 29, 29, true},
        {"beyond the size limit", 200, QUrl(), none, limit + 1, false},
        {"shorter than announced: the connection ended halfway", 200, QUrl(), 29, 14, false},
        {"longer than announced", 200, QUrl(), 28, 29, false},
        {"a redirect target left", 200, QUrl("/moved"), 0, 0, false},
        {"a final status of 304", 304, QUrl(), none, 0, false},
        {"a final status of 300 with a body", 300, QUrl(), 29, 29, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.whole,
                  orv::isWholeReply(FinishedReply(row.status, row.redirect, row.length, row.size)));
    }
}

} // namespace
