#include "settings/CConfReaderAndWriter.h"
#include "settings/CSimpleUserSettings.h"

#include "common/IsolatedRun.h"
#include "platform/FileTreeFixture.h"
#include "settings/configFileWriter_p.h"

#include <QDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <set>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::string_literals;

/// The bytes that writeConfiguration produces for the object.
std::string written(const CConfReaderAndWriter& conf) {
    orvtest::FileTree tree;
    EXPECT_TRUE(conf.writeConfiguration(tree.path("out.txt").c_str()));
    return tree.read("out.txt");
}

bool readBytes(CConfReaderAndWriter& conf, const std::string& bytes) {
    orvtest::FileTree tree;
    tree.file("in.txt", bytes);
    return conf.readConfiguration(tree.path("in.txt").c_str());
}

CConfReaderAndWriter holding(const std::string& valueText) {
    CConfReaderAndWriter conf;
    EXPECT_TRUE(conf.addString("v", valueText, ""));
    return conf;
}

TEST(CConfReaderAndWriterTest, readingFollowsTheLineRules) {
    const std::string big(10 * 1024 * 1024, 'v');
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"\tspeed =  12.5 \t// fast\n= v\nn =\nn =  \n  = v\nm n = 1\nw\n\n// a = 1\nb // = 2\n",
         "speed = 12.5\r\n"},
        {"url = http://host\na = b = c\n", "url = http:\r\na = b = c\r\n"},
        {"Key = 1\nb = 2\nKey = 3\nkey = 4\n", "b = 2\r\nKey = 3\r\nkey = 4\r\n"},
        {"a = 1\r\nb = 2\rc = 3", "a = 1\r\nb = 2c = 3\r\n"},
        {"a = 1\na\0b = \xff\0\na = 3\n\x00\x80\xfe\x7f\x1b[2J\x00\n\xff\xff\x01"s,
         "a\0b = \xff\0\r\na = 3\r\n"s},
        {"before = 1\nbig = " + big + "\nafter = 2\n" + big,
         "before = 1\r\nbig = " + big + "\r\nafter = 2\r\n"}};
    for (const auto& [input, expected] : rows) {
        SCOPED_TRACE(input.substr(0, 40));
        CConfReaderAndWriter conf;
        EXPECT_TRUE(readBytes(conf, input));
        EXPECT_EQ(written(conf), expected);
    }
}

/// The float as "%.<digits>g" gives it in the C locale, whatever locale the test runs under.
std::string shown(float value, int digits = 6) {
    char text[32];
    const std::to_chars_result end =
        std::to_chars(text, text + sizeof(text), value, std::chars_format::general, digits);
    return std::string(text, end.ptr);
}

/// Each typed getter's result and out value, the out values starting as true, -99 and {-1, -1, -1}.
std::string gets(const CConfReaderAndWriter& conf, const char* name) {
    bool b = true;
    int i = -99, iv[3] = {-1, -1, -1};
    float f = -99, fv[3] = {-1, -1, -1};
    const bool rb = conf.getBoolean(name, b), ri = conf.getInteger(name, i), rf = conf.getFloat(name, f),
               rF = conf.getFloatVector3(name, fv), rI = conf.getIntVector3(name, iv);
    char text[200];
    std::snprintf(text, sizeof(text), "b %d %d, i %d %d, f %d %s, F %d %s,%s,%s, I %d %d,%d,%d", rb, b, ri, i,
                  rf, shown(f, 9).c_str(), rF, shown(fv[0]).c_str(), shown(fv[1]).c_str(),
                  shown(fv[2]).c_str(), rI, iv[0], iv[1], iv[2]);
    return text;
}

TEST(CConfReaderAndWriterTest, typedGettersTakeOnlyWholeTextsAndSetTriplesUntilOneFails) {
    const std::string none = ", F 0 -1,-1,-1, I 0 -1,-1,-1";
    const std::vector<std::pair<const char*, std::string>> rows = {
        {"TRUE", "b 1 1, i 0 -99, f 0 -99" + none},
        {"fAlSe", "b 1 0, i 0 -99, f 0 -99" + none},
        {"truer", "b 0 1, i 0 -99, f 0 -99" + none},
        {"2147483648", "b 0 1, i 0 -99, f 1 2.14748365e+09" + none},
        {"-inf", "b 0 1, i 0 -99, f 1 -inf" + none},
        {"1,2.5,3e2", "b 0 1, i 0 -99, f 0 -99, F 1 1,2.5,300, I 0 1,-1,-1"},
        {"-4,0,2147483647", "b 0 1, i 0 -99, f 0 -99, F 1 -4,0,2.14748e+09, I 1 -4,0,2147483647"},
        {"1,2", "b 0 1, i 0 -99, f 0 -99, F 0 1,-1,-1, I 0 1,-1,-1"},
        {"1,2,3,4", "b 0 1, i 0 -99, f 0 -99, F 0 1,2,-1, I 0 1,2,-1"},
        {"1,,3", "b 0 1, i 0 -99, f 0 -99, F 0 1,-1,-1, I 0 1,-1,-1"},
        {"1,", "b 0 1, i 0 -99, f 0 -99" + none}};
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(gets(holding(text), "v"), expected) << text;
    // Names are matched exactly; a missing one leaves every out value alone.
    CConfReaderAndWriter conf = holding("1,2,3");
    for (const char* name : {"V", "v ", "", static_cast<const char*>(nullptr)}) {
        std::string s = "unchanged";
        EXPECT_FALSE(conf.getString(name, s));
        EXPECT_EQ(s + gets(conf, name), "unchangedb 0 1, i 0 -99, f 0 -99" + none);
    }
    EXPECT_FALSE(conf.getFloatVector3("v", nullptr) || conf.getIntVector3("v", nullptr));
}

TEST(CConfReaderAndWriterTest, everyValueTypeIsWrittenAndReadBack) {
    const float floats[3] = {0.1f, -INFINITY, 3.4028235e38f};
    const int ints[3] = {INT32_MIN, 0, INT32_MAX};
    CConfReaderAndWriter out;
    ASSERT_TRUE(out.addRandomLine("// head") && out.addRandomLine(nullptr) &&
                out.addString("text", "a//b", "note") && out.addString("my v", "x", nullptr) &&
                out.addBoolean("yes", true, "") && out.addBoolean("no", false, "") &&
                out.addInteger("int", INT32_MIN, "") && out.addFloat("zero", -0.0f, "") &&
                out.addFloat("nan", -std::nanf(""), "") && out.addFloat("third", 1.0f / 3, "") &&
                out.addFloat("tiny", 1.4e-45f, "") && out.addFloat("big", 1e10f, "") &&
                out.addFloatVector3("floats", floats, "") && out.addIntVector3("ints", ints, ""));
    // A name already held, empty or null is refused by every adder, as is a missing triple.
    EXPECT_FALSE(out.addString("text", "x", "") || out.addInteger("ints", 9, "") || out.addFloat("", 9, "") ||
                 out.addBoolean(nullptr, true, "") || out.addFloatVector3("text", floats, "") ||
                 out.addIntVector3("", ints, ""));
    EXPECT_FALSE(out.addFloatVector3("new", nullptr, "") || out.addIntVector3("new", nullptr, ""));
    const std::string values =
        "yes = true\r\nno = false\r\nint = -2147483648\r\nzero = -0\r\nnan = -nan\r\n"
        "third = 0.333333343\r\ntiny = 1.40129846e-45\r\nbig = 1e+10\r\n"
        "floats = 0.100000001,-inf,3.40282347e+38\r\nints = -2147483648,0,2147483647\r\n";
    EXPECT_EQ(written(out), "// head\r\n\r\ntext = a//b // note\r\nmy v = x\r\n" + values);

    // Reading merges: a name read again moves to its new place, other entries and free lines stay.
    CConfReaderAndWriter in;
    ASSERT_TRUE(in.addRandomLine("free") && in.addString("yes", "no", "c") && in.addString("held", "1", ""));
    ASSERT_TRUE(readBytes(in, written(out)) && in.addString("last", "2", ""));
    EXPECT_EQ(written(in), "free\r\nheld = 1\r\ntext = a\r\n" + values + "last = 2\r\n");
    std::string text;
    EXPECT_TRUE(in.getString("yes", text) && text == "true" && in.getString("", text) && text.empty());
    EXPECT_TRUE(in.getString("held", text) && text == "1" && in.getString("ints", text) && text[0] == '-');
}

TEST(CConfReaderAndWriterTest, aLargeFileWithRepeatedNamesKeepsTheLatestValueAndPlace) {
    // Its first lines are short, which misleads the room planned for the rest; then every name comes
    // twice more in reverse order, so that entries are replaced far from the end of the list.
    std::string file, expected = "held = 1\r\n";
    for (int i = 0; i < 3000; ++i)
        file += "n" + std::to_string(i) + " = " + std::string(i < 64 ? 1 : 300, 'v') + "\n";
    for (int i = 2999; i >= 0; --i) {
        file += "n" + std::to_string(i) + " = x\nn" + std::to_string(i) + " = v" + std::to_string(i) + "\n";
        expected += "n" + std::to_string(i) + " = v" + std::to_string(i) + "\r\n";
    }
    CConfReaderAndWriter conf;
    ASSERT_TRUE(conf.addString("held", "1", "") && readBytes(conf, file));
    EXPECT_TRUE(written(conf) == expected);
    std::string value;
    EXPECT_TRUE(conf.getString("n0", value) && value == "v0" && conf.getString("n2999", value) &&
                value == "v2999");
}

TEST(CConfReaderAndWriterTest, readingAgainMovesReplacedNamesBehindTheFreeLinesAndKeepsLookupsRight) {
    // Each read replaces names held before free lines; the second replaces one that the first moved.
    CConfReaderAndWriter conf;
    ASSERT_TRUE(conf.addRandomLine("top") && conf.addString("a", "1", "") && conf.addRandomLine("mid") &&
                conf.addString("b", "2", "") && conf.addRandomLine("end"));
    ASSERT_TRUE(readBytes(conf, "a = 3\nc = 4\nb = 5\n") && readBytes(conf, "c = 6\nd = 7\n"));
    EXPECT_EQ(written(conf), "top\r\nmid\r\nend\r\na = 3\r\nb = 5\r\nc = 6\r\nd = 7\r\n");
    std::string values, value;
    for (const char* name : {"a", "b", "c", "d", ""})
        values += (conf.getString(name, value) ? value : "?") + ",";
    EXPECT_EQ(values, "3,5,6,7,,");
    EXPECT_FALSE(conf.addString("b", "x", "") || conf.addString("c", "x", ""));
}

TEST(CConfReaderAndWriterTest, writingReplacesTheWholeFileOrOnFailureKeepsTheOldOne) {
    // A fresh working folder, and a file size limit of its own.
    const orvtest::IsolatedResult run = orvtest::runIsolated(
        [] {
            const auto show = [](const char* path) { // the file's bytes and its folder's entries
                QFile file(path);
                const std::string bytes = file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "?";
                const QStringList names =
                    QDir(QFileInfo(path).path())
                        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
                std::printf("%s [%s]\n", bytes.c_str(), names.join(" ").toStdString().c_str());
            };
            QDir().mkpath("real/folder");
            std::ofstream("real/conf.txt") << "old = 1";
            if (symlink("real/conf.txt", "link.txt") != 0)
                return 1;
            CConfReaderAndWriter conf;
            conf.addString("kept", "1", "");
            std::printf("%d\n", conf.readConfiguration("missing.txt"));
            std::printf("%d\n", conf.readConfiguration("real/folder"));
            std::printf("%d\n", conf.writeConfiguration("real/folder"));
            std::printf("%d\n", conf.writeConfiguration("real/conf.txt/sub/conf.txt"));
            std::signal(SIGXFSZ, SIG_IGN); // a write beyond the limit fails with an error instead
            // The second write fails only when the buffered bytes are flushed.
            for (const auto& [bytes, limit] : {std::pair<std::size_t, rlim_t>{200000, 16384}, {3000, 1024}}) {
                const rlimit limited{limit, limit}; // output goes to a pipe, which has no such limit
                setrlimit(RLIMIT_FSIZE, &limited);
                std::printf("%d\n", holding(std::string(bytes, 'x')).writeConfiguration("link.txt"));
            }
            show("real/conf.txt");
            // A reader of the old file goes on reading it: the file is replaced, not emptied and rewritten.
            QFile reader("real/conf.txt");
            const bool opened = reader.open(QIODevice::ReadOnly), done = conf.writeConfiguration("link.txt");
            std::printf("%d %d %s, link %d\n", opened, done, reader.readAll().toStdString().c_str(),
                        QFileInfo("link.txt").isSymLink());
            show("real/conf.txt");
            std::printf("%d ", conf.writeConfiguration("one/two/new.txt"));
            show("one/two/new.txt");
            // A folder the user may no longer write still lets the file itself be written, in place.
            if (!orvtest::actAsUnprivilegedUser(
                    {QDir::currentPath().toStdString(), "real", "real/conf.txt"}) ||
                chmod("real", 0555) != 0)
                return 2;
            std::printf("%d ", holding("in place").writeConfiguration("real/conf.txt"));
            show("real/conf.txt");
            chmod("real", 0755);
            return 0;
        },
        orvtest::kNoHost);
    EXPECT_EQ(run.exitCode, 0);
    const auto reason = [](int error) { return std::generic_category().message(error); };
    EXPECT_EQ(run.output,
              "0\nFile exception error: cannot open \"real/folder\" for reading: " + reason(EISDIR) +
                  "\n0\nFile exception error: cannot open \"real/folder\" for writing: " + reason(EISDIR) +
                  "\n0\nFile exception error: cannot open \"real/conf.txt/sub/conf.txt\" for writing: " +
                  reason(ENOTDIR) + "\n0\nFile exception error: cannot write \"link.txt\": " + reason(EFBIG) +
                  "\n0\nFile exception error: cannot write \"link.txt\": " + reason(EFBIG) +
                  "\n0\n"
                  "old = 1 [conf.txt folder]\n1 1 old = 1, link 1\nkept = 1\r\n [conf.txt folder]\n"
                  "1 kept = 1\r\n [new.txt]\n1 v = in place\r\n [conf.txt folder]\n");
    EXPECT_FALSE(CConfReaderAndWriter().readConfiguration(nullptr));
    EXPECT_FALSE(CConfReaderAndWriter().writeConfiguration(nullptr));
}

TEST(CConfReaderAndWriterTest, writingKeepsWhatTheFileIsItsOtherNamesAndItsOwner) {
    orvtest::FileTree tree;
    const CConfReaderAndWriter conf = holding("new");
    const auto kind = [&tree](const char* name) {
        struct stat st {};
        if (lstat(tree.path(name).c_str(), &st) != 0)
            return std::string("missing");
        return std::string(S_ISFIFO(st.st_mode) ? "fifo" : "file") + " " + std::to_string(st.st_nlink) + " " +
               std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid) + " " +
               std::to_string(st.st_mode & 07777);
    };
    // A FIFO is written through to its reader and stays; without a reader the write fails at once.
    ASSERT_EQ(mkfifo(tree.path("fifo").c_str(), 0600), 0);
    const int reader = open(tree.path("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_TRUE(conf.writeConfiguration(tree.path("fifo").c_str()));
    char got[64] = {};
    EXPECT_EQ(std::string(got, std::max<ssize_t>(0, read(reader, got, sizeof(got)))), "v = new\r\n");
    close(reader);
    EXPECT_FALSE(conf.writeConfiguration(tree.path("fifo").c_str()));
    EXPECT_EQ(kind("fifo").substr(0, 6), "fifo 1");
    // Both names of a file with two show the new content.
    tree.file("a.txt", "old");
    ASSERT_EQ(link(tree.path("a.txt").c_str(), tree.path("b.txt").c_str()), 0);
    EXPECT_TRUE(conf.writeConfiguration(tree.path("a.txt").c_str()));
    EXPECT_EQ(tree.read("b.txt") + kind("b.txt").substr(0, 6), "v = new\r\nfile 2");
    // A replaced file keeps its mode (the set-group-ID bit too), and its owner and group when root writes
    // another user's file.
    tree.file("m.txt", "old");
    const bool root = geteuid() == 0;
    ASSERT_TRUE((!root || chown(tree.path("m.txt").c_str(), 65534, 65534) == 0) &&
                chmod(tree.path("m.txt").c_str(), 02604) == 0);
    const std::string owner =
        root ? "65534:65534" : std::to_string(getuid()) + ":" + std::to_string(getgid());
    EXPECT_TRUE(conf.writeConfiguration(tree.path("m.txt").c_str()));
    EXPECT_EQ(tree.read("m.txt") + kind("m.txt"), "v = new\r\nfile 1 " + owner + " " + std::to_string(02604));
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System;
    EXPECT_EQ(QDir(QString::fromStdString(tree.root())).entryList(all, QDir::Name).join(' ').toStdString(),
              "a.txt b.txt fifo m.txt");
}

/// The names in a folder by their bytes, sorted and joined by blanks.
std::string entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename());
    std::string joined;
    for (const std::string& name : names)
        joined += (joined.empty() ? "" : " ") + name;
    return joined;
}

/// A file's mode and the names of its extended attributes (an access-control list is one).
std::string carried(const std::string& path) {
    struct stat st {};
    char names[4096];
    const ssize_t length = listxattr(path.c_str(), names, sizeof(names));
    return std::to_string(stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0) + " " +
           std::string(names, static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
}

TEST(CConfReaderAndWriterTest, writingKeepsWhatTheOldFileCarriedAndAnyValidNameIsWritten) {
    // Folders for a 255-byte name in a path a byte or two short of the longest (in any temporary folder).
    const std::size_t length = PATH_MAX - 258 - orvtest::FileTree().root().size();
    std::string folders;
    while (folders.size() < length)
        folders += "/" + std::string(std::min<std::size_t>(250, length - folders.size()), 'd');
    const struct {
        const char* name;
        std::string file;
        const char* setup; // shell commands that make the file $f; null for a new file
    } rows[] = {
        {"an access-control list whose mask lets the group write, and an extended attribute", "f",
         "echo old >$f && chmod 640 $f && setfacl -m u:0:rw $f && setfattr -n user.x -v 1 $f"},
        {"a new name of 255 bytes in new folders, the path near the longest",
         folders.substr(1) + "/" + std::string(255, 'n'), nullptr},
        {"a new file in a new folder named in Latin-1", "caf\xe9/conf.txt", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const orvtest::FileTree tree;
        const std::string path = tree.path(row.file);
        ASSERT_TRUE(row.setup == nullptr || std::system(("f='" + path + "' && " + row.setup).c_str()) == 0);
        const std::string before = carried(path);
        EXPECT_TRUE(holding("new").writeConfiguration(path.c_str()));
        EXPECT_EQ(row.setup != nullptr ? carried(path) : before, before);
        CConfReaderAndWriter back;
        std::string value;
        EXPECT_TRUE(back.readConfiguration(path.c_str()) && back.getString("v", value) && value == "new");
        // The folder named by the path's bytes holds the file alone, no temporary file beside it.
        const std::size_t slash = path.rfind('/');
        EXPECT_EQ(entries(path.substr(0, slash)), path.substr(slash + 1));
        // The temporary folder's own clean-up stops at a name that is not UTF-8.
        std::filesystem::remove_all(tree.path(row.file.substr(0, row.file.find('/'))));
    }
}

TEST(CConfReaderAndWriterTest, aPathToAnOpenFileOfTheProcessIsWrittenThrough) {
    const orvtest::FileTree tree;
    tree.file("log", "earlier\n");
    const int fd = open(tree.path("log").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(holding("new").writeConfiguration(("/dev/fd/" + std::to_string(fd)).c_str()));
    EXPECT_EQ(write(fd, "later\n", 6), 6);
    close(fd);
    EXPECT_EQ(tree.read("log"), "earlier\nv = new\r\nlater\n");
    EXPECT_EQ(entries(tree.root()), "log");
}

TEST(CConfReaderAndWriterTest, aFileWithAMountOnItIsWrittenThroughTheMount) {
    if (geteuid() != 0)
        GTEST_SKIP() << "skipped: a bind mount needs root";
    const orvtest::FileTree tree;
    tree.file("mounted", "old");
    tree.file("conf.txt", "old");
    // The child mounts in a namespace of its own, which goes with it whatever happens.
    const orvtest::IsolatedResult run = orvtest::runIsolated(
        [&tree] {
            if (unshare(CLONE_NEWNS) != 0 ||
                mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount(tree.path("mounted").c_str(), tree.path("conf.txt").c_str(), nullptr, MS_BIND,
                      nullptr) != 0)
                return 2;
            return holding("new").writeConfiguration(tree.path("conf.txt").c_str()) ? 0 : 1;
        },
        orvtest::kNoHost);
    if (run.exitCode == 2)
        GTEST_SKIP() << "skipped: no mount namespace can be made here";
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(tree.read("mounted") + "|" + tree.read("conf.txt"), "v = new\r\n|old");
    EXPECT_EQ(entries(tree.root()), "conf.txt mounted");
}

TEST(ConfigFileWriterTest, aWriterKilledPartWayLeavesNoFileBehind) {
    const orvtest::FileTree tree;
    tree.file("conf.txt", "old");
    const orvtest::IsolatedResult run = orvtest::runIsolated(
        [&tree] {
            orv::ConfigFileWriter writer;
            return writer.open(tree.path("conf.txt")) == 0 && writer.write("partial") == 0 ? raise(SIGKILL)
                                                                                           : 1;
        },
        orvtest::kNoHost);
    EXPECT_EQ(run.exitCode, -1);
    EXPECT_EQ(entries(tree.root()) + " " + tree.read("conf.txt"), "conf.txt old");
}

/// Prints each lookup's result and the value afterwards (the float in hundredths, whatever the
/// locale), starting from recognisable defaults.
void printLookups(const char* key) {
    bool b = true;
    int i = -1;
    float f = -1.5f;
    std::string s = "default";
    const bool rb = CSimpleUserSettings::getBooleanFromFileDirectly(key, b),
               ri = CSimpleUserSettings::getIntegerFromFileDirectly(key, i),
               rf = CSimpleUserSettings::getFloatFromFileDirectly(key, f),
               rs = CSimpleUserSettings::getStringFromFileDirectly(key, s);
    std::printf("%s: b %d %d, i %d %d, f %d %d, s %d %s\n", key, rb, b, ri, i, rf, int(f * 100), rs,
                s.c_str());
}

TEST(CSimpleUserSettingsTest, lookupsReadOneValueOfTheAskedTypeFromTheFileAsItIsNow) {
    // A fresh process: the module path is the working folder at its first use and stays cached.
    const orvtest::IsolatedResult run = orvtest::runIsolated(
        [] {
            printLookups("count"); // no system folder yet
            QDir().mkpath("system");
            std::ofstream("system/usrset.txt")
                << "// user settings\r\ncount = 12\r\nflag = False\r\nratio = 0.25\r\nword = many\r\n";
            for (const char* key : {"count", "flag", "ratio", "word", "absent"})
                printLookups(key);
            std::ofstream("system/usrset.txt") << "count = 2\n";
            QDir().mkdir("elsewhere");
            QDir::setCurrent("elsewhere"); // the module path stays where it was first taken
            printLookups("count");
            std::remove("../system/usrset.txt");
            printLookups("count");
            // Not opened, which would wait for a writer until the time limit ends the process.
            mkfifo("../system/usrset.txt", 0644);
            printLookups("count");
            return 0;
        },
        {"", 20});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "count: b 0 1, i 0 -1, f 0 -150, s 0 default\n"
                          "count: b 0 1, i 1 12, f 1 1200, s 1 12\n"
                          "flag: b 1 0, i 0 -1, f 0 -150, s 1 False\n"
                          "ratio: b 0 1, i 0 -1, f 1 25, s 1 0.25\n"
                          "word: b 0 1, i 0 -1, f 0 -150, s 1 many\n"
                          "absent: b 0 1, i 0 -1, f 0 -150, s 0 default\n"
                          "count: b 0 1, i 1 2, f 1 200, s 1 2\n"
                          "count: b 0 1, i 0 -1, f 0 -150, s 0 default\n"
                          "count: b 0 1, i 0 -1, f 0 -150, s 0 default\n");
}

} // namespace
