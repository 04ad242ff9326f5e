// Uses the installed library as a caller would: the host entry points and one call per installed
// header, enough to show that each compiles and links (what the calls do is the unit tests' business).
#include "platform/VArchive.h"
#include "platform/VDateTime.h"
#include "platform/VFile.h"
#include "platform/VVarious.h"
#include "plugin/orvPlugin.h"
#include "settings/CConfReaderAndWriter.h"
#include "util/CTTUtil.h"
#include "util/base64.h"
#include "util/tt.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        ++failures;
    }
}

} // namespace

int main() {
    check(orvPlugin_getIntVal(2) == -1, "custom edition before init");
    orvPlugin_init(false, 1, 40000, 1, "4.0.0", "1", "23", "GCC", "Jan 10 2020", "5.15");
    char* const name = orvPlugin_getStringVal(2);
    check(std::string(name) == "Zembrix Quelt" && orvPlugin_getIntVal(2) == 1,
          "product name and edition code");
    delete[] name;
    check(simMessage(0, nullptr, nullptr, nullptr) == nullptr, "simMessage");

    // Numbers, texts and encodings.
    check(tt::FNb(0, 42, false) == "42", "tt::FNb");
    check(CTTUtil::getCRC(std::string("123456789")) == 0x31C3, "CTTUtil::getCRC");
    check(base64_encode(reinterpret_cast<const unsigned char*>("Man"), 3) == "TWFu", "base64_encode");

    // A configuration written, its line read back through a file archive, the file erased.
    const std::string path = "/tmp/orvConsumer-" + std::to_string(getpid()) + ".txt";
    CConfReaderAndWriter config;
    check(config.addFloat("scale", 0.1f, "") && config.writeConfiguration(path.c_str()),
          "CConfReaderAndWriter");
    {
        VFile in(path, VFile::READ | VFile::SHARE_DENY_NONE);
        VArchive archive(&in, VArchive::LOAD);
        unsigned int bytesRead = 0;
        std::string line;
        check(archive.readSingleLine(bytesRead, line, false) && line == "scale = 0.100000001",
              "VFile and VArchive");
    }
    VFile::eraseFile(path);
    check(!VFile::doesFileExist(path), "VFile::eraseFile");
    check(VVarious::splitPath_path("/a/b/c.txt") == "/a/b", "VVarious::splitPath_path");
    check(VDateTime::getSecondsSince1970() > 1600000000u, "VDateTime::getSecondsSince1970");

    std::printf("consumer: %s\n", failures == 0 ? "all checks passed" : "some checks failed");
    return failures == 0 ? 0 : 1;
}
