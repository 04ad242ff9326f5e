#include "settings/CConfReaderAndWriter.h"

#include "common/IsolatedRun.h"
#include "platform/FileTreeFixture.h"
#include "platform/VFile.h"

#include <QDir>
#include <QFile>
#include <boost/lexical_cast.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
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

/// Reads bytes as a configuration file into conf.
bool readBytes(CConfReaderAndWriter& conf, const std::string& bytes) {
    FileTree tree;
    tree.file("in.txt", bytes);
    return conf.readConfiguration(tree.path("in.txt").c_str());
}

/// A configuration holding one entry "v" with the given value text.
CConfReaderAndWriter holding(const std::string& valueText) {
    CConfReaderAndWriter conf;
    EXPECT_TRUE(conf.addString("v", valueText, ""));
    return conf;
}

TEST(CConfReaderAndWriterTest, readingFollowsTheLineRules) {
    struct Row {
        const char* name;
        std::string input;
        std::string entriesWritten;
    };
    const std::vector<Row> rows = {
        {"blanks around name and value, comment lost", "   speed   =   12.5   // fast\n", "speed = 12.5\r\n"},
        {"tabs count as blanks", "\tname\t=\tsome value\t\n", "name = some value\r\n"},
        {"two slashes cut a value", "url = http://host/x\n", "url = http:\r\n"},
        {"comment before the equals sign", "// a = 1\nb // = 2\n", ""},
        {"a second equals sign belongs to the value", "a = b = c\n", "a = b = c\r\n"},
        {"equals sign first", "= value\n", ""},
        {"equals sign last", "name =\n", ""},
        {"value of blanks only", "name =    \n", ""},
        {"name of blanks only", "   = value\n", ""},
        {"blank inside the name", "my name = 1\n", ""},
        {"no equals sign", "just some words\n\n", ""},
        {"quotes are part of the value", "s = \"quoted text\"\n", "s = \"quoted text\"\r\n"},
        {"the later of two equal names wins, at its own place", "a = 1\nb = 2\na = 3\n",
         "b = 2\r\na = 3\r\n"},
        {"names differ by letter case", "Key = 1\nkey = 2\n", "Key = 1\r\nkey = 2\r\n"},
        {"CR LF line ends", "a = 1\r\nb = 2\r\n", "a = 1\r\nb = 2\r\n"},
        {"CR alone does not end a line", "a = 1\rb = 2\r", "a = 1b = 2\r\n"},
        {"last line without line feed", "a = 1\nb = 2", "a = 1\r\nb = 2\r\n"},
        {"empty file", "", ""},
        {"NUL and high bytes are ordinary bytes", "\0\x01 = \xff\xfe\n"s, "\0\x01 = \xff\xfe\r\n"s},
        {"a NUL byte inside a name is part of it", "a = 1\na\0b = 2\na = 3\n"s, "a\0b = 2\r\na = 3\r\n"s},
        {"binary junk without an equals sign", "\x00\x80\xfe\x7f\x1b[2J\x00\n\xff\xff\x01"s, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CConfReaderAndWriter conf;
        EXPECT_TRUE(readBytes(conf, row.input));
        EXPECT_EQ(written(conf), row.entriesWritten);
    }
}

TEST(CConfReaderAndWriterTest, readValuesAreFoundByExactName) {
    CConfReaderAndWriter conf;
    ASSERT_TRUE(readBytes(conf, "Key = upper\nkey = lower\n  spaced  =  a  b  // c\n"));
    const std::vector<std::pair<const char*, const char*>> rows = {
        {"Key", "upper"}, {"key", "lower"}, {"spaced", "a  b"}};
    for (const auto& [name, expected] : rows) {
        SCOPED_TRACE(name);
        std::string value = "unchanged";
        EXPECT_TRUE(conf.getString(name, value));
        EXPECT_EQ(value, expected);
    }
    for (const char* missing : {"KEY", "spaced ", "", "k"}) {
        SCOPED_TRACE(missing);
        std::string value = "unchanged";
        EXPECT_FALSE(conf.getString(missing, value));
        EXPECT_EQ(value, "unchanged");
    }
    std::string value = "unchanged";
    EXPECT_FALSE(conf.getString(nullptr, value));
    EXPECT_EQ(value, "unchanged");
}

TEST(CConfReaderAndWriterTest, booleansAreTrueOrFalseInAnyCase) {
    struct Row {
        const char* text;
        bool readable;
        bool expected;
    };
    const std::vector<Row> rows = {
        {"true", true, true},    {"True", true, true},  {"TRUE", true, true},      {"fAlSe", true, false},
        {"false", true, false},  {"yes", false, false}, {"1", false, false},       {" true", false, false},
        {"truer", false, false}, {"", false, false},    {"tru\xc5", false, false},
    };
    for (const Row& row : rows) {
        for (const bool initial : {false, true}) {
            SCOPED_TRACE(std::string(row.text) + (initial ? " over true" : " over false"));
            bool value = initial;
            EXPECT_EQ(holding(row.text).getBoolean("v", value), row.readable);
            EXPECT_EQ(value, row.readable ? row.expected : initial);
        }
    }
}

TEST(CConfReaderAndWriterTest, numbersMustBeTheWholeText) {
    struct Row {
        const char* text;
        bool intReadable;
        int intValue;
        bool floatReadable;
        float floatValue;
    };
    const std::vector<Row> rows = {
        {"42", true, 42, true, 42.0f},
        {"-5", true, -5, true, -5.0f},
        {"+7", true, 7, true, 7.0f},
        {"-2147483648", true, INT32_MIN, true, -2147483648.0f},
        {"2147483648", false, 0, true, 2147483648.0f},
        {"2.5", false, 0, true, 2.5f},
        {"0.100000001", false, 0, true, 0.1f},
        {"1e3", false, 0, true, 1000.0f},
        {"-inf", false, 0, true, -kInf},
        {"12 ", false, 0, false, 0},
        {" 12", false, 0, false, 0},
        {"1e", false, 0, false, 0},
        {"abc", false, 0, false, 0},
        {"", false, 0, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const CConfReaderAndWriter conf = holding(row.text);
        int i = -99;
        EXPECT_EQ(conf.getInteger("v", i), row.intReadable);
        EXPECT_EQ(i, row.intReadable ? row.intValue : -99);
        float f = -99.0f;
        EXPECT_EQ(conf.getFloat("v", f), row.floatReadable);
        EXPECT_EQ(f, row.floatReadable ? row.floatValue : -99.0f);
    }
    float f = -99.0f;
    EXPECT_TRUE(holding("nan").getFloat("v", f));
    EXPECT_TRUE(std::isnan(f));
}

TEST(CConfReaderAndWriterTest, missingVariablesLeaveEveryOutValueAlone) {
    CConfReaderAndWriter conf;
    ASSERT_TRUE(conf.addString("present", "1,2,3", ""));
    for (const char* name : {"absent", "Present", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(name ? name : "null");
        bool b = true;
        int i = 7;
        float f = 7.5f;
        float fv[3] = {1, 2, 3};
        int iv[3] = {4, 5, 6};
        EXPECT_FALSE(conf.getBoolean(name, b));
        EXPECT_FALSE(conf.getInteger(name, i));
        EXPECT_FALSE(conf.getFloat(name, f));
        EXPECT_FALSE(conf.getFloatVector3(name, fv));
        EXPECT_FALSE(conf.getIntVector3(name, iv));
        EXPECT_TRUE(b);
        EXPECT_EQ(i, 7);
        EXPECT_EQ(f, 7.5f);
        EXPECT_EQ(std::vector<float>(fv, fv + 3), (std::vector<float>{1, 2, 3}));
        EXPECT_EQ(std::vector<int>(iv, iv + 3), (std::vector<int>{4, 5, 6}));
    }
    EXPECT_FALSE(conf.getFloatVector3("present", nullptr));
    EXPECT_FALSE(conf.getIntVector3("present", nullptr));
}

TEST(CConfReaderAndWriterTest, triplesSetComponentsUntilOneFails) {
    struct Row {
        const char* text;
        bool floatResult;
        std::vector<float> floats; // the components afterwards, starting from {-1, -1, -1}
        bool intResult;
        std::vector<int> ints; // starting from {-1, -1, -1}
    };
    const std::vector<Row> rows = {
        {"1,2,3", true, {1, 2, 3}, true, {1, 2, 3}},
        {"1.5,-0.25,3e2", true, {1.5f, -0.25f, 300}, false, {-1, -1, -1}},
        {"-4,0,2147483647", true, {-4, 0, 2147483648.0f}, true, {-4, 0, 2147483647}},
        {"1,2", false, {1, -1, -1}, false, {1, -1, -1}},
        {"1,2,3,4", false, {1, 2, -1}, false, {1, 2, -1}},
        {"1,2,", false, {1, -1, -1}, false, {1, -1, -1}},
        {"1,,3", false, {1, -1, -1}, false, {1, -1, -1}},
        {",1,2", false, {-1, -1, -1}, false, {-1, -1, -1}},
        {"1,", false, {-1, -1, -1}, false, {-1, -1, -1}},
        {"1, 2,3", false, {1, -1, -1}, false, {1, -1, -1}},
        {"1,2.5,3", true, {1, 2.5f, 3}, false, {1, -1, -1}},
        {"x,2,3", false, {-1, -1, -1}, false, {-1, -1, -1}},
        {"7", false, {-1, -1, -1}, false, {-1, -1, -1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const CConfReaderAndWriter conf = holding(row.text);
        float floats[3] = {-1, -1, -1};
        EXPECT_EQ(conf.getFloatVector3("v", floats), row.floatResult);
        EXPECT_EQ(std::vector<float>(floats, floats + 3), row.floats);
        int ints[3] = {-1, -1, -1};
        EXPECT_EQ(conf.getIntVector3("v", ints), row.intResult);
        EXPECT_EQ(std::vector<int>(ints, ints + 3), row.ints);
    }
}

TEST(CConfReaderAndWriterTest, addedValuesAreWrittenInTheirTextForms) {
    const float floats[3] = {1.5f, -0.1f, 3.0f};
    const int ints[3] = {-1, 0, INT32_MAX};
    struct Row {
        const char* name;
        std::function<bool(CConfReaderAndWriter&)> add;
        std::string line;
    };
    const std::vector<Row> rows = {
        {"float 0.1", [](auto& c) { return c.addFloat("v", 0.1f, ""); }, "v = 0.100000001\r\n"},
        {"float 2.5", [](auto& c) { return c.addFloat("v", 2.5f, ""); }, "v = 2.5\r\n"},
        {"large float", [](auto& c) { return c.addFloat("v", 1e10f, ""); }, "v = 1e+10\r\n"},
        {"largest float", [](auto& c) { return c.addFloat("v", 3.4028235e38f, ""); },
         "v = 3.40282347e+38\r\n"},
        {"small float", [](auto& c) { return c.addFloat("v", 1e-5f, ""); }, "v = 9.99999975e-06\r\n"},
        {"negative zero", [](auto& c) { return c.addFloat("v", -0.0f, ""); }, "v = -0\r\n"},
        {"infinity", [](auto& c) { return c.addFloat("v", kInf, ""); }, "v = inf\r\n"},
        {"minus infinity", [](auto& c) { return c.addFloat("v", -kInf, ""); }, "v = -inf\r\n"},
        {"nan", [](auto& c) { return c.addFloat("v", std::nanf(""), ""); }, "v = nan\r\n"},
        {"nan with sign bit", [](auto& c) { return c.addFloat("v", -std::nanf(""), ""); }, "v = -nan\r\n"},
        {"integer -5", [](auto& c) { return c.addInteger("v", -5, ""); }, "v = -5\r\n"},
        {"smallest integer", [](auto& c) { return c.addInteger("v", INT32_MIN, ""); }, "v = -2147483648\r\n"},
        {"boolean true", [](auto& c) { return c.addBoolean("v", true, ""); }, "v = true\r\n"},
        {"boolean false", [](auto& c) { return c.addBoolean("v", false, ""); }, "v = false\r\n"},
        {"float triple", [&](auto& c) { return c.addFloatVector3("v", floats, ""); },
         "v = 1.5,-0.100000001,3\r\n"},
        {"integer triple", [&](auto& c) { return c.addIntVector3("v", ints, ""); },
         "v = -1,0,2147483647\r\n"},
        {"text with comment", [](auto& c) { return c.addString("v", "some text", "a note"); },
         "v = some text // a note\r\n"},
        {"two slashes in a text are written as they are",
         [](auto& c) { return c.addString("v", "a//b", ""); }, "v = a//b\r\n"},
        {"null comment counts as none", [](auto& c) { return c.addString("v", "x", nullptr); }, "v = x\r\n"},
        {"names are not checked", [](auto& c) { return c.addString("my v", "x", ""); }, "my v = x\r\n"},
        {"free line", [](auto& c) { return c.addRandomLine("// a = 1"); }, "// a = 1\r\n"},
        {"empty free line", [](auto& c) { return c.addRandomLine(""); }, "\r\n"},
        {"null free line", [](auto& c) { return c.addRandomLine(nullptr); }, "\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CConfReaderAndWriter conf;
        EXPECT_TRUE(row.add(conf));
        EXPECT_EQ(written(conf), row.line);
    }
}

TEST(CConfReaderAndWriterTest, floatTextsMatchTheLexicalCastForm) {
    std::mt19937 random(12345);
    std::vector<float> values = {
        0.1f,   1.0f / 3, 123456789.0f, 1e-40f, std::numeric_limits<float>::denorm_min(),
        -1e30f, 65504.0f, 0.5f};
    while (values.size() < 2000) {
        const std::uint32_t bits = random();
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        if (!std::isnan(value))
            values.push_back(value);
    }
    for (const float value : values) {
        CConfReaderAndWriter conf;
        ASSERT_TRUE(conf.addFloat("v", value, ""));
        std::string text;
        ASSERT_TRUE(conf.getString("v", text));
        ASSERT_EQ(text, boost::lexical_cast<std::string>(value)) << "bits of " << value;
        float back = 0;
        ASSERT_TRUE(conf.getFloat("v", back));
        ASSERT_EQ(back, value);
    }
}

TEST(CConfReaderAndWriterTest, addingAnExistingNameChangesNothing) {
    CConfReaderAndWriter conf;
    ASSERT_TRUE(readBytes(conf, "fromFile = 1\n"));
    ASSERT_TRUE(conf.addString("added", "2", "kept"));
    ASSERT_TRUE(conf.addRandomLine("free"));
    const float floats[3] = {1, 2, 3};
    const int ints[3] = {1, 2, 3};
    for (const char* name : {"fromFile", "added", ""}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(conf.addString(name, "x", ""));
        EXPECT_FALSE(conf.addInteger(name, 9, ""));
        EXPECT_FALSE(conf.addFloat(name, 9, ""));
        EXPECT_FALSE(conf.addBoolean(name, true, ""));
        EXPECT_FALSE(conf.addFloatVector3(name, floats, ""));
        EXPECT_FALSE(conf.addIntVector3(name, ints, ""));
    }
    EXPECT_FALSE(conf.addString(nullptr, "x", ""));
    EXPECT_FALSE(conf.addFloatVector3("new", nullptr, ""));
    EXPECT_FALSE(conf.addIntVector3("new", nullptr, ""));
    EXPECT_TRUE(conf.addRandomLine("free"));
    EXPECT_EQ(written(conf), "fromFile = 1\r\nadded = 2 // kept\r\nfree\r\nfree\r\n");
}

TEST(CConfReaderAndWriterTest, readingMergesIntoTheEntriesAlreadyHeld) {
    CConfReaderAndWriter conf;
    ASSERT_TRUE(conf.addRandomLine("first free line"));
    ASSERT_TRUE(conf.addString("a", "1", "note"));
    ASSERT_TRUE(conf.addRandomLine("second free line"));
    ASSERT_TRUE(conf.addString("b", "2", ""));
    ASSERT_TRUE(readBytes(conf, "a = 3\nc = 4\nb = 5\n"));
    ASSERT_TRUE(readBytes(conf, "c = 6\nd = 7\n"));
    EXPECT_TRUE(conf.addString("e", "8", ""));
    EXPECT_FALSE(conf.addString("", "x", ""));
    EXPECT_EQ(written(conf),
              "first free line\r\nsecond free line\r\na = 3\r\nb = 5\r\nc = 6\r\nd = 7\r\ne = 8\r\n");
    const std::vector<std::pair<const char*, const char*>> expected = {{"a", "3"}, {"b", "5"}, {"c", "6"},
                                                                       {"d", "7"}, {"e", "8"}, {"", ""}};
    for (const auto& [name, value] : expected) {
        SCOPED_TRACE(name);
        std::string text = "unchanged";
        EXPECT_TRUE(conf.getString(name, text));
        EXPECT_EQ(text, value);
    }
}

TEST(CConfReaderAndWriterTest, manyRepeatedNamesKeepTheirLatestValueAndPlace) {
    // Every name appears three times: once in a block of its own, then twice interleaved in
    // reverse order, so that entries are replaced far from the end of the list.
    const int count = 2000;
    std::string file;
    for (int i = 0; i < count; ++i)
        file += "n" + std::to_string(i) + " = first\n";
    for (int i = count - 1; i >= 0; --i)
        file +=
            "n" + std::to_string(i) + " = second\nn" + std::to_string(i) + " = v" + std::to_string(i) + "\n";
    CConfReaderAndWriter conf;
    ASSERT_TRUE(readBytes(conf, file));
    std::string expected;
    for (int i = count - 1; i >= 0; --i)
        expected += "n" + std::to_string(i) + " = v" + std::to_string(i) + "\r\n";
    const std::string actual = written(conf);
    const auto mismatch = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    EXPECT_TRUE(mismatch.first == actual.end() && mismatch.second == expected.end())
        << "first difference at byte " << (mismatch.first - actual.begin()) << ": \""
        << actual.substr(static_cast<std::size_t>(mismatch.first - actual.begin()), 40) << "\"";
    for (int i = 0; i < count; ++i) {
        std::string value;
        ASSERT_TRUE(conf.getString(("n" + std::to_string(i)).c_str(), value)) << i;
        ASSERT_EQ(value, "v" + std::to_string(i));
    }
}

TEST(CConfReaderAndWriterTest, filesWhoseLinesChangeLengthAreReadWhole) {
    // Room for a large file is planned from its first lines: these files mislead that plan both ways.
    struct Row {
        const char* name;
        std::size_t firstLength, restLength;
    };
    const std::vector<Row> rows = {{"long lines first", 300, 1}, {"short lines first", 1, 300}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string file, expected;
        for (int i = 0; i < 3000; ++i) {
            const std::string line =
                "k" + std::to_string(i) + " = " + std::string(i < 64 ? row.firstLength : row.restLength, 'v');
            file += line + "\n";
            expected += line + "\r\n";
        }
        CConfReaderAndWriter conf;
        ASSERT_TRUE(conf.addString("held", "1", ""));
        ASSERT_TRUE(readBytes(conf, file));
        std::string value;
        EXPECT_TRUE(conf.getString("k2999", value));
        EXPECT_EQ(value, std::string(row.restLength, 'v'));
        EXPECT_TRUE(conf.getString("held", value));
        EXPECT_EQ(written(conf), "held = 1\r\n" + expected);
    }
}

TEST(CConfReaderAndWriterTest, everyValueTypeSurvivesWritingAndReading) {
    const float floats[3] = {0.1f, -kInf, 3.4028235e38f};
    const int ints[3] = {INT32_MIN, 0, INT32_MAX};
    CConfReaderAndWriter out;
    ASSERT_TRUE(out.addRandomLine("// settings of the test"));
    ASSERT_TRUE(out.addString("text", "a = b, \"c\"", "text"));
    ASSERT_TRUE(out.addBoolean("yes", true, ""));
    ASSERT_TRUE(out.addBoolean("no", false, "off"));
    ASSERT_TRUE(out.addInteger("int", -123456, ""));
    ASSERT_TRUE(out.addFloat("float", 1.0f / 3, ""));
    ASSERT_TRUE(out.addFloat("tiny", std::numeric_limits<float>::denorm_min(), ""));
    ASSERT_TRUE(out.addFloat("nan", std::nanf(""), ""));
    ASSERT_TRUE(out.addFloatVector3("floats", floats, ""));
    ASSERT_TRUE(out.addIntVector3("ints", ints, ""));
    FileTree tree;
    ASSERT_TRUE(out.writeConfiguration(tree.path("conf.txt").c_str()));

    CConfReaderAndWriter in;
    ASSERT_TRUE(in.readConfiguration(tree.path("conf.txt").c_str()));
    std::string text;
    bool yes = false, no = true;
    int integer = 0;
    float real = 0, tiny = 0, nan = 0;
    float readFloats[3] = {};
    int readInts[3] = {};
    EXPECT_TRUE(in.getString("text", text));
    EXPECT_EQ(text, "a = b, \"c\"");
    EXPECT_TRUE(in.getBoolean("yes", yes));
    EXPECT_TRUE(yes);
    EXPECT_TRUE(in.getBoolean("no", no));
    EXPECT_FALSE(no);
    EXPECT_TRUE(in.getInteger("int", integer));
    EXPECT_EQ(integer, -123456);
    EXPECT_TRUE(in.getFloat("float", real));
    EXPECT_EQ(real, 1.0f / 3);
    EXPECT_TRUE(in.getFloat("tiny", tiny));
    EXPECT_EQ(tiny, std::numeric_limits<float>::denorm_min());
    EXPECT_TRUE(in.getFloat("nan", nan));
    EXPECT_TRUE(std::isnan(nan));
    EXPECT_TRUE(in.getFloatVector3("floats", readFloats));
    EXPECT_EQ(std::vector<float>(readFloats, readFloats + 3), std::vector<float>(floats, floats + 3));
    EXPECT_TRUE(in.getIntVector3("ints", readInts));
    EXPECT_EQ(std::vector<int>(readInts, readInts + 3), std::vector<int>(ints, ints + 3));
    // Comments and free lines are not read back.
    EXPECT_EQ(written(in), "text = a = b, \"c\"\r\nyes = true\r\nno = false\r\nint = -123456\r\n"
                           "float = 0.333333343\r\ntiny = 1.40129846e-45\r\nnan = nan\r\n"
                           "floats = 0.100000001,-inf,3.40282347e+38\r\nints = -2147483648,0,2147483647\r\n");
}

TEST(CConfReaderAndWriterTest, aTenMebibyteLineIsOneValue) {
    const std::string big(10 * 1024 * 1024, 'v');
    CConfReaderAndWriter conf;
    ASSERT_TRUE(readBytes(conf, "before = 1\nbig = " + big + "\nafter = 2\n" + big));
    std::string value;
    EXPECT_TRUE(conf.getString("big", value));
    EXPECT_EQ(value, big);
    EXPECT_TRUE(conf.getString("after", value));
    EXPECT_EQ(value, "2");
}

TEST(CConfReaderAndWriterTest, unreadableFilesGiveFalseAndKeepTheEntries) {
    FileTree tree;
    tree.folder("folder");
    struct Row {
        const char* name;
        std::string path;
        bool reported;
    };
    const std::vector<Row> rows = {
        {"missing file", tree.path("missing.txt"), false},
        {"missing folder", tree.path("nowhere/conf.txt"), false},
        {"a folder where the file should be", tree.path("folder"), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string expectedOutput;
        if (row.reported) {
            try {
                VFile probe(row.path, VFile::READ | VFile::SHARE_DENY_NONE);
                FAIL() << "the probe opened " << row.path;
            } catch (const std::exception& e) {
                expectedOutput = std::string("File exception error: ") + e.what() + "\n";
            }
        }
        CConfReaderAndWriter conf;
        ASSERT_TRUE(conf.addString("kept", "1", ""));
        testing::internal::CaptureStdout();
        const bool result = conf.readConfiguration(row.path.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), expectedOutput);
        EXPECT_FALSE(result);
        EXPECT_EQ(written(conf), "kept = 1\r\n");
    }
    CConfReaderAndWriter conf;
    EXPECT_FALSE(conf.readConfiguration(nullptr));
    EXPECT_FALSE(conf.writeConfiguration(nullptr));
}

TEST(CConfReaderAndWriterTest, writingReplacesTheWholeFile) {
    CConfReaderAndWriter two;
    ASSERT_TRUE(two.addInteger("a", 1, ""));
    ASSERT_TRUE(two.addRandomLine("// end"));
    struct Row {
        const char* name;
        const CConfReaderAndWriter& conf;
        const char* relative;
        std::string expected;
    };
    const CConfReaderAndWriter empty;
    const std::vector<Row> rows = {
        {"a longer old file leaves nothing behind", two, "old.txt", "a = 1\r\n// end\r\n"},
        {"an empty object empties the file", empty, "old.txt", ""},
        {"a new file", two, "new.txt", "a = 1\r\n// end\r\n"},
        {"two missing folder levels are made", two, "one/two/new.txt", "a = 1\r\n// end\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FileTree tree;
        tree.file("old.txt", std::string(5000, 'x'));
        EXPECT_TRUE(row.conf.writeConfiguration(tree.path(row.relative).c_str()));
        EXPECT_EQ(tree.read(row.relative), row.expected);
    }
}

TEST(CConfReaderAndWriterTest, writingPutsANewFileInPlaceOfTheOld) {
    FileTree tree;
    tree.folder("real");
    tree.file("real/conf.txt", "old = 1\r\n");
    ASSERT_EQ(chmod(tree.path("real/conf.txt").c_str(), 0640), 0);
    tree.symlink("real/conf.txt", "link.txt");
    CConfReaderAndWriter conf;
    ASSERT_TRUE(conf.addString("new", "2", ""));

    // A reader that has the old file open goes on reading the old content: the file was replaced,
    // not emptied and rewritten.
    QFile reader(QString::fromStdString(tree.path("real/conf.txt")));
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    ASSERT_TRUE(conf.writeConfiguration(tree.path("link.txt").c_str()));
    EXPECT_EQ(reader.readAll().toStdString(), "old = 1\r\n");

    // Writing through a link replaces the file it points to and keeps the link and the file's mode.
    EXPECT_EQ(tree.read("real/conf.txt"), "new = 2\r\n");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(tree.path("link.txt"))).isSymLink());
    struct stat info {};
    ASSERT_EQ(stat(tree.path("real/conf.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(QString::fromStdString(tree.path("real")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{"conf.txt"});
}

/// Names of the working folder's entries (hidden ones included), then the old file's bytes.
void printFolderAndOldFile(const char* oldFile) {
    const QStringList names =
        QDir(".").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    std::printf("entries: %s\n", names.join(" ").toStdString().c_str());
    QFile old(oldFile);
    std::printf("old file: %s\n",
                old.open(QIODevice::ReadOnly) ? old.readAll().toStdString().c_str() : "<unreadable>");
}

/// An object whose written form takes `bytes` bytes or a little more.
CConfReaderAndWriter entriesOfAbout(std::size_t bytes) {
    CConfReaderAndWriter conf;
    for (std::size_t i = 0; i * 20 < bytes; ++i)
        conf.addInteger(("name" + std::to_string(i)).c_str(), static_cast<int>(i), "");
    return conf;
}

TEST(CConfReaderAndWriterTest, aFailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    struct Row {
        const char* name;
        std::function<void()> prepare;
        const char* target;
        std::size_t contentBytes;
        rlim_t fileSizeLimit; // 0 for none
        std::string expectedOutput;
    };
    const auto makeFile = [](const char* name) {
        QFile file(name);
        if (file.open(QIODevice::WriteOnly))
            file.write("old = 1");
    };
    const std::vector<Row> rows = {
        {"a file stands where a folder must be made", [&] { makeFile("old.txt"); }, "old.txt/sub/conf.txt",
         100, 0,
         "File exception error: cannot open \"old.txt/sub/conf.txt\" for writing: Not a directory\n"
         "result: false\nentries: old.txt\nold file: old = 1\n"},
        {"a folder stands where the file should be", [&] { QDir().mkdir("old.txt"); }, "old.txt", 100, 0,
         "File exception error: cannot open \"old.txt\" for writing: Filename refers to a directory\n"
         "result: false\nentries: old.txt\nold file: <unreadable>\n"},
        {"the disk refuses while writing", [&] { makeFile("old.txt"); }, "old.txt", 200000, 16384,
         "File exception error: cannot write \"old.txt\": File too large\n"
         "result: false\nentries: old.txt\nold file: old = 1\n"},
        {"the disk refuses the last buffered bytes", [&] { makeFile("old.txt"); }, "old.txt", 3000, 1024,
         "File exception error: cannot write \"old.txt\": File too large\n"
         "result: false\nentries: old.txt\nold file: old = 1\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        orvtest::IsolatedSetup setup;
        setup.hostVariant.clear();
        const orvtest::IsolatedResult run = orvtest::runIsolated(
            [&] {
                row.prepare();
                const CConfReaderAndWriter conf = entriesOfAbout(row.contentBytes);
                rlimit saved{};
                getrlimit(RLIMIT_FSIZE, &saved);
                if (row.fileSizeLimit != 0) {
                    std::signal(SIGXFSZ, SIG_IGN); // the write fails with an error instead
                    const rlimit limited{row.fileSizeLimit, saved.rlim_max};
                    setrlimit(RLIMIT_FSIZE, &limited);
                }
                const bool result = conf.writeConfiguration(row.target);
                setrlimit(RLIMIT_FSIZE, &saved);
                std::printf("result: %s\n", result ? "true" : "false");
                printFolderAndOldFile("old.txt");
                return 0;
            },
            setup);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.output, row.expectedOutput);
    }
}

} // namespace
