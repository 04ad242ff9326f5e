// Reading the update server's reply and composing the notice, without any network.
#include "update/updateReply_p.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using orv::UpdateReply;

struct ParseRow {
    const char* name;
    std::string body;
    int version;
    int revision;
    std::string revisions;
    std::string changes;
};

const ParseRow kParseRows[] = {
    {"a typical reply", "last: 40100 rev2\nrev1 fixed a crash\nrev2 fixed the fix\nchange: faster\n", 40100,
     2, "rev1 fixed a crash\nrev2 fixed the fix", "faster"},
    {"any order, blanks, empty lines and CR LF",
     "change   new dialog  \r\n\r\n\r\nrev3   spaced  \r\nlast: 40200 rev5\r\n  indented line\r\nchanges "
     "more\n",
     40200, 5, "rev3   spaced  ", "new dialog\nmore"},
    {"a later last line overwrites an earlier one", "last: 40100 rev2\nlast: 40300 rev1\n", 40300, 1, "", ""},
    {"malformed numbers keep what earlier lines set", "last: 40100 rev2\nlast: 4x100 revision\n", 40100, 2,
     "", ""},
    {"a doubled blank before the revision leaves it out", "last: 40100  rev2\n", 40100, 0, "", ""},
    {"the revision word loses three characters whatever they are", "last: 40100 abc7\n", 40100, 7, "", ""},
    {"a revision word of three characters gives no number", "last: 40100 rev\n", 40100, 0, "", ""},
    {"a doubled blank after last: shifts the words", "last:  40100 rev2\n", 0, 0, "", ""},
    {"last: alone", "last:\n", 0, 0, "", ""},
    {"no last line", "hello\nrev1 first\n", 0, 0, "rev1 first", ""},
    {"the keyword is case sensitive", "LAST: 40100 rev2\nRev1 x\nChange y\n", 0, 0, "", ""},
    {"a revision word alone keeps its blank", "rev9\n", 0, 0, "rev9 ", ""},
    {"lines ending in CR only", "last: 40001 rev3\rrev3 a\rchange b", 40001, 3, "rev3 a", "b"},
    {"an empty body", "", 0, 0, "", ""},
    {"only line ends", "\r\n\n\r", 0, 0, "", ""},
    {"a signed and a negative number", "last: +40100 rev-4\n", 40100, -4, "", ""},
    {"a number beyond 32 bits is malformed", "last: 2147483648 rev2147483647\n", 0, 2147483647, "", ""},
    {"terminal escapes and other control characters are dropped",
     "rev2 \x1b[2J\x1b[31mred\x07\0bell\t tab\x7f\nchange \x1b]0;title\x07 x \x08\n"s, 0, 0,
     "rev2 [2J[31mredbell\t tab", "]0;title x"},
    {"a control character makes a keyword unknown", "\x1blast: 40100 rev2\n\x01rev1 x\n", 0, 0, "", ""},
};

TEST(UpdateReply, ParsesLastRevisionAndChangeLines) {
    for (const ParseRow& row : kParseRows) {
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
    for (const char* lineEnd : {"\n", "\r\n", "\r", "\n\r\n"}) {
        for (int shift = 0; shift < 7; ++shift) {
            SCOPED_TRACE(std::string("shift ") + std::to_string(shift) + " end " +
                         std::to_string(lineEnd[0]));
            std::string body = std::string(4090 + shift, '%') + lineEnd;
            std::string expected;
            for (int i = 0; i < 300; ++i) {
                const std::string line = "rev" + std::to_string(i) + " " + std::string(i % 37, 'a' + i % 26);
                body += line + lineEnd;
                expected += (i > 0 ? "\n" : "") + line;
            }
            body += "last: 40100 rev299";
            const UpdateReply reply = orv::parseUpdateReply(body);
            EXPECT_EQ(expected, reply.revisions);
            EXPECT_EQ(40100, reply.latestVersion);
            EXPECT_EQ(299, reply.latestRevision);
        }
    }
    const std::string oneLongLine = "change " + std::string(100000, 'x') + "  ";
    EXPECT_EQ(std::string(100000, 'x'), orv::parseUpdateReply(oneLongLine).changes);
}

TEST(UpdateReply, DropsExactlyTheControlCharacters) {
    std::string every;
    for (int byte = 0; byte < 256; ++byte)
        every += static_cast<char>(byte);
    std::string expected = "\t";
    for (int byte = 32; byte < 256; ++byte)
        if (byte != 127)
            expected += static_cast<char>(byte);
    EXPECT_EQ(expected, orv::withoutControlCharacters(every));
    EXPECT_EQ("", orv::withoutControlCharacters(""));
}

TEST(UpdateReply, VersionStringSplitsMajorMinorPatch) {
    const struct {
        int version;
        const char* text;
    } rows[] = {
        {40100, "4.1.0"}, {40005, "4.0.5"}, {0, "0.0.0"}, {123456, "12.34.56"}, {2147483647, "214748.36.47"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        EXPECT_EQ(row.text, orv::versionString(row.version));
    }
}

const std::string kClosing = "\n\nPlease visit https://maker.test to download the last Zembrix version.";

struct NoticeRow {
    const char* name;
    UpdateReply reply;
    int version;
    int revision;
    std::string notice;
};

const UpdateReply kBugFix{40100, 2, "rev1 a\nrev2 b", "ignored"};
const UpdateReply kNewVersion{40200, 0, "rev1 ignored", "faster\nsmaller"};

const NoticeRow kNoticeRows[] = {
    {"a newer revision of the running version", kBugFix, 40100, 1,
     "A bug fix Zembrix version is available for download: Zembrix V4.1.0 rev2\n\nRevisions:\nrev1 a\nrev2 "
     "b" +
         kClosing},
    {"the running revision", kBugFix, 40100, 2, ""},
    {"an older revision", kBugFix, 40100, 3, ""},
    {"a newer version, whatever the revisions", kNewVersion, 40100, 9,
     "A new Zembrix version is available for download: Zembrix V4.2.0\n\nMain changes in that version:\n"
     "faster\nsmaller" +
         kClosing},
    {"a newer version without changes", UpdateReply{40101, 0, "", ""}, 40100, 0,
     "A new Zembrix version is available for download: Zembrix V4.1.1\n\nMain changes in that version:\n" +
         kClosing},
    {"an older version", UpdateReply{40000, 9, "rev9 x", "y"}, 40100, 1, ""},
    {"nothing announced", UpdateReply{}, 40000, 1, ""},
    {"a revision of version 0 seen by a mismatched host", UpdateReply{0, 1, "", ""}, 0, 0,
     "A bug fix Zembrix version is available for download: Zembrix V0.0.0 rev1\n\nRevisions:\n" + kClosing},
};

TEST(UpdateReply, ComposesTheNoticeForWhatIsNewer) {
    for (const NoticeRow& row : kNoticeRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.notice,
                  orv::composeUpdateNotice(row.reply, row.version, row.revision, "https://maker.test"));
    }
}

TEST(UpdateReply, PrintedTexts) {
    EXPECT_EQ("This Zembrix version is up-to-date.", orv::upToDateText());
    EXPECT_EQ(
        "Failed checking whether this Zembrix version is up-to-date.\nPlease visit https://maker.test to "
        "verify\nthat you are running the last Zembrix version.",
        orv::failedCheckText("https://maker.test"));
}

} // namespace
