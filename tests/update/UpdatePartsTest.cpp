// The update check's parts, each without a network: the request's address, the reply read and the
// notice composed, whether a finished reply is the server's whole answer, the timestamp file and the
// switch that turns the check off.
#include "common/FileBytes.h"
#include "common/IsolatedRun.h"
#include "update/finishedReply_p.h"
#include "update/updateCheckSwitch_p.h"
#include "update/updateReply_p.h"
#include "update/updateRequest_p.h"
#include "update/updateTimesFile_p.h"

#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::string_literals;
using orv::UpdateReply;

TEST(UpdateRequest, UrlCarriesTheServerAndTheQueryKeysInOrder) {
    const std::string builtIn = ORV_TEST_DEFAULT_UPDATE_SERVER "/lastZembrixVersion.txt?";
    const orv::UpdateQuery known{123, 1, 40100, 2, false, false, "ABC"};
    const std::string knownText = "a=123&b=1&c=40100&d=2&e=0&f=0&g=2&h=ABC&info=anonymizedData";
    const struct {
        const char* variable; // ORV_UPDATE_SERVER; null: unset
        orv::UpdateQuery query;
        std::string url;
    } rows[] = {
        // clang-format off
        {nullptr, known, builtIn + knownText},
        {"", {std::numeric_limits<std::uint64_t>::max(), -1, -40000, -2147483647 - 1, true, true, "0123456789ABCDEF"},
         builtIn + "a=18446744073709551615&b=-1&c=-40000&d=-2147483648&e=1&f=1&g=2&h=0123456789ABCDEF&info=anonymizedData"},
        // The identifier is not escaped.
        {"https://mirror.example/updates", {7, 1, 40000, 1, true, false, "a b&c"},
         "https://mirror.example/updates/lastZembrixVersion.txt?a=7&b=1&c=40000&d=1&e=1&f=0&g=2&h=a b&c&info=anonymizedData"},
        {"http://127.0.0.1:4567//", known, "http://127.0.0.1:4567/lastZembrixVersion.txt?" + knownText},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.variable != nullptr ? row.variable : "unset");
        row.variable == nullptr ? unsetenv("ORV_UPDATE_SERVER")
                                : setenv("ORV_UPDATE_SERVER", row.variable, 1);
        EXPECT_EQ(row.url, orv::updateRequestUrl(orv::updateServerBase(), row.query));
    }
    unsetenv("ORV_UPDATE_SERVER"); // the scenarios set it in their own processes
}

TEST(UpdateReply, ParsesLastRevisionAndChangeLines) {
    const struct {
        const char* name;
        std::string body;
        int version;
        int revision;
        std::string revisions;
        std::string changes;
    } rows[] = {
        // clang-format off
        {"any order, blanks, empty lines and CR LF", "change   new dialog  \r\n\r\nrev3   spaced  \r\n"
         "last: 40200 rev5\r\n  indented\r\nchange: more\n", 40200, 5, "rev3   spaced  ", "new dialog\nmore"},
        {"a later last line overwrites an earlier one; malformed numbers keep what it set",
         "last: 40100 rev2\nlast: 40300 rev1\nlast: 4x100 revision\n", 40300, 1, "", ""},
        {"a doubled blank before the revision leaves it out", "last: 40100  rev2\n", 40100, 0, "", ""},
        {"the revision word loses three characters whatever they are", "last: 40100 abc7\n", 40100, 7, "", ""},
        // Tabs, spaces and bytes of 128 and up are kept.
        {"control characters are dropped", "rev2 \x1b[2J\x07\0b\t t\x7f\x1f\x80\xff\nchange \x1b]0;t\x07 x \x08\n"s,
         0, 0, "rev2 [2Jb\t t\x80\xff", "]0;t x"},
        // A keyword is exact, case and all, and followed by one blank; a doubled blank shifts the words.
        {"keywords unknown", "LAST: 40100 rev2\nRev1 x\nChange y\n\x1blast: 40100 rev2\n\x01rev1 x\nlast:  40100 rev2\n"s,
         0, 0, "", ""},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const UpdateReply reply = orv::parseUpdateReply(row.body);
        EXPECT_EQ(row.version, reply.latestVersion);
        EXPECT_EQ(row.revision, reply.latestRevision);
        EXPECT_EQ(row.revisions, reply.revisions);
        EXPECT_EQ(row.changes, reply.changes);
    }
}

// Long replies are read piecewise; no line may be split or lost, wherever its end falls.
TEST(UpdateReply, LongRepliesKeepEveryLineWhole) {
    for (const std::string lineEnd : {"\n", "\r\n", "\r"}) {
        for (int shift = 0; shift < 3; ++shift) {
            SCOPED_TRACE(std::to_string(shift) + " end " + std::to_string(lineEnd[0]));
            std::string body = std::string(4094 + shift, '%') + lineEnd;
            std::string expected;
            for (int i = 0; i < 300; ++i) {
                const std::string line = "rev" + std::to_string(i) + " " + std::string(i % 37, 'a');
                body += line + lineEnd;
                expected += (i > 0 ? "\n" : "") + line;
            }
            EXPECT_EQ(expected, orv::parseUpdateReply(body).revisions);
        }
    }
}

TEST(UpdateReply, ComposesTheNoticeForWhatIsNewer) {
    const std::string closing = "\n\nPlease visit https://maker.test to download the last Zembrix version.";
    const std::string bugFix = "A bug fix Zembrix version is available for download: Zembrix V";
    const std::string newVersion = "A new Zembrix version is available for download: Zembrix V";
    const UpdateReply kBugFix{40100, 2, "rev1 a\nrev2 b", "ignored"};
    const struct {
        const char* name;
        UpdateReply reply;
        int version;
        int revision;
        std::string notice;
    } rows[] = {
        // clang-format off
        {"a newer revision", kBugFix, 40100, 1, bugFix + "4.1.0 rev2\n\nRevisions:\nrev1 a\nrev2 b" + closing},
        {"the running revision", kBugFix, 40100, 2, ""},
        {"a newer version, whatever the revisions", {123456, 0, "rev1 x", "faster\nsmaller"}, 40100, 9,
         newVersion + "12.34.56\n\nMain changes in that version:\nfaster\nsmaller" + closing},
        {"a newer version without changes", {40101, 0, "", ""}, 40100, 0,
         newVersion + "4.1.1\n\nMain changes in that version:\n" + closing},
        {"a revision of version 0", {0, 1, "", ""}, 0, 0, bugFix + "0.0.0 rev1\n\nRevisions:\n" + closing},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.notice,
                  orv::composeUpdateNotice(row.reply, row.version, row.revision, "https://maker.test"));
    }
}

// A reply finished without an error, holding size bytes: a connection that ends halfway through the
// body can finish a reply so.
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

// Two single-precision times, eight bytes, nothing else; anything else reads as a failure with zero
// times and is written over. No folder is ever made for the file.
TEST(UpdateTimesFile, OnlyEightBytesOfFiniteTimesAreReadAndEightAreWritten) {
    const std::string recent = "\xE2\xA7\xCA\x4E\0\0\x80\x3F"s; // 1,700,000,000 and 1, little-endian
    const struct {
        const char* name;
        std::string bytes; // "<none>": no file; "<folder>": a folder in its place; "<link>": a link to a file
    } rows[] = {
        {"eight bytes", recent},
        {"missing", "<none>"},
        {"a folder", "<folder>"},
        {"a link", "<link>"},
        {"7 bytes", recent.substr(0, 7)},
        {"9 bytes", recent + '\0'},
        {"not a number", "\0\0\xC0\x7F\0\0\0\0"s},
        {"an infinite display time", "\0\0\0\0\0\0\x80\x7F"s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir folder;
        const std::string path = folder.filePath("updtChck.dat").toStdString();
        const bool folderInPlace = row.bytes == "<folder>", link = row.bytes == "<link>";
        const std::string ones = "\0\0\x80\x3F\0\0\x80\x3F"s; // what the link's target holds: 1 and 1
        ASSERT_TRUE(!link || (orvtest::writeFileBytes(path + "-target", ones) &&
                              symlink((path + "-target").c_str(), path.c_str()) == 0));
        ASSERT_TRUE(folderInPlace
                        ? mkdir(path.c_str(), 0755) == 0
                        : row.bytes == "<none>" || link || orvtest::writeFileBytes(path, row.bytes));
        const bool whole = row.bytes == recent;
        float times[2] = {5.0f, 5.0f};
        EXPECT_EQ(whole, orv::readUpdateTimes(path, times[0], times[1]));
        EXPECT_EQ(whole ? 1700000000.0f : 0.0f, times[0]);
        EXPECT_EQ(whole ? 1.0f : 0.0f, times[1]);
        // A link is neither followed nor written through, nor replaced.
        EXPECT_EQ(!folderInPlace && !link, orv::writeUpdateTimes(path, 1700000000.0f, 1.0f));
        EXPECT_EQ(folderInPlace ? "<unreadable>" : link ? ones : recent, orvtest::fileBytes(path));
        EXPECT_FALSE(orv::writeUpdateTimes(path + "/below/updtChck.dat", 1.0f, 2.0f));
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path + "/below")));
    }
}

// (The check turned off by either place alone is a case of the update check.)
TEST(UpdateCheckSwitch, OnlyAClearlyOffValueTurnsTheCheckOff) {
    for (const char* off : {"false", "OFF", "No", "0"})
        EXPECT_TRUE(orv::isUpdateCheckOffValue(off)) << off;
    for (const char* on : {"", "true", "1", "offline"})
        EXPECT_FALSE(orv::isUpdateCheckOffValue(on)) << on;
}

// Each row in a fresh process, whose module path is its fresh working folder.
TEST(UpdateCheckSwitch, TheVariableOnLeavesTheKeyOffInForceAndAnUnreadableFileLeavesTheCheckOn) {
    for (const bool unreadable : {false, true}) {
        SCOPED_TRACE(unreadable ? "an unreadable settings file" : "the variable on and the key off");
        const orvtest::IsolatedResult run = orvtest::runIsolated(
            [unreadable] {
                setenv(orv::kUpdateCheckVariable, "on", 1);
                if (mkdir("system", 0755) != 0 ||
                    !orvtest::writeFileBytes("system/usrset.txt", "simExtOrv.updateCheck = off\n"))
                    return 3;
                // Root reads any file: the process becomes a user the file's mode then stops.
                if (unreadable &&
                    (chmod("system/usrset.txt", 0) != 0 || !orvtest::actAsUnprivilegedUser({".", "system"})))
                    return 3;
                return orv::isUpdateCheckTurnedOff() ? 1 : 0;
            },
            orvtest::kNoHost);
        EXPECT_EQ(unreadable ? 0 : 1, run.exitCode);
    }
}

} // namespace
