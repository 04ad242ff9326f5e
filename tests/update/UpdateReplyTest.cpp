// Reading the update server's reply and composing the notice, without any network.
#include "update/updateReply_p.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using orv::UpdateReply;

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

} // namespace
