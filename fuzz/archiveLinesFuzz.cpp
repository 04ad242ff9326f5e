// Line reading over arbitrary file bytes: single lines (tabs kept or not) and logical lines joined
// by trailing backslashes. Every read ends, consumes the whole file, and gives no line breaks.
#include "platform/VArchive.h"
#include "platform/VFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const std::string& scratchPath() {
    static const std::string path = "/tmp/orv_fuzz_archive_" + std::to_string(getpid()) + ".txt";
    return path;
}

void check(bool condition) {
    if (!condition)
        std::abort();
}

void readAll(const std::string& bytes, bool multiLine, bool keepTabs) {
    VFile file(scratchPath(), VFile::READ | VFile::SHARE_DENY_NONE);
    VArchive archive(&file, VArchive::LOAD);
    unsigned int bytesRead = 0;
    std::size_t textBytes = 0;
    std::size_t calls = 0;
    std::string line;
    for (;;) {
        const bool more = multiLine ? archive.readMultiLine(bytesRead, line, keepTabs, "|")
                                    : archive.readSingleLine(bytesRead, line, keepTabs);
        check(++calls <= bytes.size() + 1);
        check(line.find('\n') == std::string::npos && line.find('\r') == std::string::npos);
        check(keepTabs || line.find('\t') == std::string::npos);
        textBytes += line.size();
        if (!more)
            break;
    }
    check(bytesRead == bytes.size());
    // Joining adds one separator byte where it removes at least one backslash and one line feed.
    check(textBytes <= bytes.size());
    archive.close();
    file.close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        VFile out(scratchPath(), VFile::CREATE_WRITE | VFile::SHARE_EXCLUSIVE);
        VArchive archive(&out, VArchive::STORE);
        archive.writeString(bytes);
        archive.close();
        out.close();
    }
    for (const bool keepTabs : {false, true}) {
        readAll(bytes, false, keepTabs);
        readAll(bytes, true, keepTabs);
    }
    std::remove(scratchPath().c_str());
    return 0;
}
