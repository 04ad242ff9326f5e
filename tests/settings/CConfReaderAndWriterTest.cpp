#include "settings/CConfReaderAndWriter.h"

#include "common/IsolatedRun.h"
#include "platform/FileTreeFixture.h"

#include <QDir>
#include <boost/lexical_cast.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using orvtest::FileTree;
using namespace std::string_literals;

constexpr float kInf = std::numeric_limits<float>::infinity();

/// The bytes that writeConfiguration produces for the object.
std::string written(const CConfReaderAndWriter& conf) {
    FileTree tree;
    EXPECT_TRUE(conf.writeConfiguration(tree.path("out.txt").c_str()));
    return tree.read("out.txt");
}

bool readBytes(CConfReaderAndWriter& conf, const std::string& bytes) {
    FileTree tree;
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
        {"\tspeed   =  12.5 \t// fast\n", "speed = 12.5\r\n"},
        {"url = http://host\n", "url = http:\r\n"},
        {"a = b = c\n", "a = b = c\r\n"},
        {"= v\nname =\nname =   \n   = v\nmy name = 1\nwords\n\n// a = 1\nb // = 2\n", ""},
        {"a = 1\nb = 2\na = 3\n", "b = 2\r\na = 3\r\n"},
        {"Key = 1\nkey = 2\n", "Key = 1\r\nkey = 2\r\n"},
        {"a = 1\r\nb = 2", "a = 1\r\nb = 2\r\n"},
        {"a = 1\rb = 2\r", "a = 1b = 2\r\n"},
        {"a = 1\na\0b = \xff\0\na = 3\n"s, "a\0b = \xff\0\r\na = 3\r\n"s},
        {"\x00\x80\xfe\x7f\x1b[2J\x00\n\xff\xff\x01"s, ""},
        {"before = 1\nbig = " + big + "\nafter = 2\n" + big,
         "before = 1\r\nbig = " + big + "\r\nafter = 2\r\n"}};
    for (const auto& [input, expected] : rows) {
        SCOPED_TRACE(input.substr(0, 40));
        CConfReaderAndWriter conf;
        EXPECT_TRUE(readBytes(conf, input));
        EXPECT_EQ(written(conf), expected);
    }
}

/// Each typed getter's result and out value, the out values starting as true, -99 and {-1, -1, -1}.
std::string gets(const CConfReaderAndWriter& conf, const char* name) {
    bool b = true;
    int i = -99, iv[3] = {-1, -1, -1};
    float f = -99, fv[3] = {-1, -1, -1};
    const bool rb = conf.getBoolean(name, b), ri = conf.getInteger(name, i), rf = conf.getFloat(name, f),
               rF = conf.getFloatVector3(name, fv), rI = conf.getIntVector3(name, iv);
    char text[200];
    std::snprintf(text, sizeof(text), "b %d %d, i %d %d, f %d %.9g, F %d %g,%g,%g, I %d %d,%d,%d", rb, b, ri,
                  i, rf, static_cast<double>(f), rF, static_cast<double>(fv[0]), static_cast<double>(fv[1]),
                  static_cast<double>(fv[2]), rI, iv[0], iv[1], iv[2]);
    return text;
}

TEST(CConfReaderAndWriterTest, typedGettersTakeOnlyWholeTextsAndSetTriplesUntilOneFails) {
    const std::string none = ", F 0 -1,-1,-1, I 0 -1,-1,-1";
    const std::vector<std::pair<const char*, std::string>> rows = {
        {"TRUE", "b 1 1, i 0 -99, f 0 -99" + none},
        {"fAlSe", "b 1 0, i 0 -99, f 0 -99" + none},
        {"truer", "b 0 1, i 0 -99, f 0 -99" + none},
        {"2147483648", "b 0 1, i 0 -99, f 1 2.14748365e+09" + none},
        {"0.100000001", "b 0 1, i 0 -99, f 1 0.100000001" + none},
        {"-inf", "b 0 1, i 0 -99, f 1 -inf" + none},
        {"12 ", "b 0 1, i 0 -99, f 0 -99" + none},
        {"1,2.5,3e2", "b 0 1, i 0 -99, f 0 -99, F 1 1,2.5,300, I 0 1,-1,-1"},
        {"-4,0,2147483647", "b 0 1, i 0 -99, f 0 -99, F 1 -4,0,2.14748e+09, I 1 -4,0,2147483647"},
        {"1,2", "b 0 1, i 0 -99, f 0 -99, F 0 1,-1,-1, I 0 1,-1,-1"},
        {"1,2,3,4", "b 0 1, i 0 -99, f 0 -99, F 0 1,2,-1, I 0 1,2,-1"},
        {"1,2,", "b 0 1, i 0 -99, f 0 -99, F 0 1,-1,-1, I 0 1,-1,-1"},
        {"1,,3", "b 0 1, i 0 -99, f 0 -99, F 0 1,-1,-1, I 0 1,-1,-1"},
        {"1,", "b 0 1, i 0 -99, f 0 -99" + none}};
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(gets(holding(text), "v"), expected) << text;
    // Names are matched exactly; a missing one leaves every out value alone.
    const CConfReaderAndWriter conf = holding("1,2,3");
    for (const char* name : {"V", "v ", "", static_cast<const char*>(nullptr)}) {
        std::string s = "unchanged";
        EXPECT_FALSE(conf.getString(name, s));
        EXPECT_EQ(s + gets(conf, name), "unchangedb 0 1, i 0 -99, f 0 -99" + none);
    }
    EXPECT_FALSE(conf.getFloatVector3("v", nullptr) || conf.getIntVector3("v", nullptr));
}

TEST(CConfReaderAndWriterTest, everyValueTypeIsWrittenAndReadBack) {
    const float floats[3] = {0.1f, -kInf, 3.4028235e38f};
    const int ints[3] = {INT32_MIN, 0, INT32_MAX};
    CConfReaderAndWriter out;
    out.addRandomLine("// head");
    out.addRandomLine(nullptr);
    out.addString("text", "a//b", "note");
    out.addString("my v", "x", nullptr);
    out.addBoolean("yes", true, "");
    out.addBoolean("no", false, "");
    out.addInteger("int", INT32_MIN, "");
    out.addFloat("zero", -0.0f, "");
    out.addFloat("nan", -std::nanf(""), "");
    out.addFloat("inf", kInf, "");
    out.addFloatVector3("floats", floats, "");
    out.addIntVector3("ints", ints, "");
    for (const char* name : {"text", "ints", "", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(name ? name : "null");
        EXPECT_FALSE(out.addString(name, "x", "") || out.addInteger(name, 9, "") ||
                     out.addFloat(name, 9, "") || out.addBoolean(name, true, "") ||
                     out.addFloatVector3(name, floats, "") || out.addIntVector3(name, ints, ""));
    }
    EXPECT_FALSE(out.addFloatVector3("new", nullptr, "") || out.addIntVector3("new", nullptr, ""));
    const std::string values = "yes = true\r\nno = false\r\nint = -2147483648\r\nzero = -0\r\nnan = -nan\r\n"
                               "inf = inf\r\nfloats = 0.100000001,-inf,3.40282347e+38\r\n"
                               "ints = -2147483648,0,2147483647\r\n";
    EXPECT_EQ(written(out), "// head\r\n\r\ntext = a//b // note\r\nmy v = x\r\n" + values);

    // Reading merges: a name read again moves to its new place, other entries and free lines stay.
    CConfReaderAndWriter in;
    ASSERT_TRUE(in.addRandomLine("free") && in.addString("yes", "no", "c") && in.addString("held", "1", ""));
    ASSERT_TRUE(readBytes(in, written(out)) && in.addString("last", "2", ""));
    EXPECT_EQ(written(in), "free\r\nheld = 1\r\ntext = a\r\n" + values + "last = 2\r\n");
    std::string text;
    EXPECT_TRUE(in.getString("yes", text) && text == "true" && in.getString("", text) && text.empty());
}

TEST(CConfReaderAndWriterTest, floatTextsMatchTheLexicalCastForm) {
    std::mt19937 random(12345);
    for (int n = 0; n < 2000; ++n) {
        const std::uint32_t bits = random();
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        CConfReaderAndWriter conf;
        std::string text;
        float back = 0;
        ASSERT_TRUE(conf.addFloat("v", value, "") && conf.getString("v", text) && conf.getFloat("v", back));
        ASSERT_EQ(text, std::isnan(value) ? text : boost::lexical_cast<std::string>(value));
        ASSERT_TRUE(back == value || std::isnan(value)) << text;
    }
}

TEST(CConfReaderAndWriterTest, largeFilesWithRepeatedNamesKeepTheLatestValueAndPlace) {
    // Room is planned from a file's first lines, which these files mislead both ways; then every name
    // comes twice more in reverse order, so that entries are replaced far from the end of the list.
    for (const auto& [first, rest] : {std::pair<std::size_t, std::size_t>{300, 1}, {1, 300}}) {
        SCOPED_TRACE(first);
        const int count = 3000;
        std::string file, expected = "held = 1\r\n";
        for (int i = 0; i < count; ++i)
            file += "n" + std::to_string(i) + " = " + std::string(i < 64 ? first : rest, 'v') + "\n";
        for (int i = count - 1; i >= 0; --i) {
            file +=
                "n" + std::to_string(i) + " = x\nn" + std::to_string(i) + " = v" + std::to_string(i) + "\n";
            expected += "n" + std::to_string(i) + " = v" + std::to_string(i) + "\r\n";
        }
        CConfReaderAndWriter conf;
        ASSERT_TRUE(conf.addString("held", "1", "") && readBytes(conf, file));
        EXPECT_TRUE(written(conf) == expected);
        for (int i = 0; i < count; ++i) {
            std::string value;
            ASSERT_TRUE(conf.getString(("n" + std::to_string(i)).c_str(), value)) << i;
            ASSERT_EQ(value, "v" + std::to_string(i));
        }
    }
}

TEST(CConfReaderAndWriterTest, writingReplacesTheWholeFileOrOnFailureKeepsTheOldOne) {
    orvtest::IsolatedSetup setup; // a fresh working folder, and a file size limit of its own
    setup.hostVariant.clear();
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
            std::printf("%d\n", conf.writeConfiguration("real/conf.txt/sub/conf.txt"));
            std::signal(SIGXFSZ, SIG_IGN); // a write beyond the limit fails with an error instead
            // The second write fails only when the buffered bytes are flushed.
            for (const auto& [bytes, limit] : {std::pair<std::size_t, rlim_t>{200000, 16384}, {3000, 1024}}) {
                CConfReaderAndWriter big;
                big.addString("v", std::string(bytes, 'x'), "");
                rlimit saved{};
                getrlimit(RLIMIT_FSIZE, &saved);
                const rlimit limited{limit, saved.rlim_max};
                setrlimit(RLIMIT_FSIZE, &limited);
                const bool result = big.writeConfiguration("link.txt");
                setrlimit(RLIMIT_FSIZE, &saved);
                std::printf("%d\n", result);
            }
            show("real/conf.txt");
            // A reader of the old file goes on reading it: the file is replaced, not emptied and rewritten.
            QFile reader("real/conf.txt");
            const bool opened = reader.open(QIODevice::ReadOnly);
            std::printf("%d %d ", opened, conf.writeConfiguration("link.txt"));
            std::printf("%s, link %d\n", reader.readAll().toStdString().c_str(),
                        QFileInfo("link.txt").isSymLink());
            show("real/conf.txt");
            std::printf("%d ", CConfReaderAndWriter().writeConfiguration("real/conf.txt"));
            show("real/conf.txt");
            std::printf("%d ", conf.writeConfiguration("one/two/new.txt"));
            show("one/two/new.txt");
            return 0;
        },
        setup);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(
        run.output,
        "0\nFile exception error: cannot open \"real/folder\" for reading: file to open is a directory\n0\n"
        "File exception error: cannot open \"real/conf.txt/sub/conf.txt\" for writing: Not a directory\n0\n"
        "File exception error: cannot write \"link.txt\": File too large\n0\n"
        "File exception error: cannot write \"link.txt\": File too large\n0\n"
        "old = 1 [conf.txt folder]\n1 1 old = 1, link 1\nkept = 1\r\n [conf.txt folder]\n"
        "1  [conf.txt folder]\n1 kept = 1\r\n [new.txt]\n");
    EXPECT_FALSE(CConfReaderAndWriter().readConfiguration(nullptr));
    EXPECT_FALSE(CConfReaderAndWriter().writeConfiguration(nullptr));
}

} // namespace
