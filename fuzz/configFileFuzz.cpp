// Configuration files of arbitrary bytes: reading never fails on an existing file, and what is
// written from the entries read comes back unchanged: reading the written file and writing it again
// gives the same bytes, every line ending in CR LF.
#include "settings/CConfReaderAndWriter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const std::string scratchBase = "/tmp/orv_fuzz_config_" + std::to_string(getpid());

void check(bool condition) {
    if (!condition)
        std::abort();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    check(file != nullptr);
    check(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    std::fclose(file);
}

std::string readBytes(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    check(file != nullptr);
    std::string bytes;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

/// Reads the file at `in` and writes the entries to `out`; returns the bytes written.
std::string readAndWrite(const std::string& in, const std::string& out) {
    CConfReaderAndWriter conf;
    check(conf.readConfiguration(in.c_str()));
    check(conf.writeConfiguration(out.c_str()));
    return readBytes(out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = scratchBase + ".in", first = scratchBase + ".1", second = scratchBase + ".2";
    writeBytes(input, std::string(reinterpret_cast<const char*>(data), size));
    const std::string written = readAndWrite(input, first);
    check(written.empty() || written.compare(written.size() - 2, 2, "\r\n") == 0);
    check(written.find("//") == std::string::npos);
    check(readAndWrite(first, second) == written);
    for (const std::string& path : {input, first, second})
        std::remove(path.c_str());
    return 0;
}
