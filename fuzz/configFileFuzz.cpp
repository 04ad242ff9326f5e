// Configuration files of arbitrary bytes: reading never fails on an existing file; every entry kept
// is answered by the getters as its value text reads; and what is written from the entries read
// comes back unchanged: reading the written file gives the same entries, none lost, changed or
// added, and writing them again gives the same bytes, every line ending in CR LF.
#include "settings/CConfReaderAndWriter.h"
#include "util/ttNumbers.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
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

/// Reads the file at `in` into conf and writes the entries to `out`; returns the bytes written.
std::string readAndWrite(CConfReaderAndWriter& conf, const std::string& in, const std::string& out) {
    check(conf.readConfiguration(in.c_str()));
    check(conf.writeConfiguration(out.c_str()));
    return readBytes(out);
}

// The entries of a written file: one "name = value" line each, CR LF after each, no comments (the
// reader keeps none). Names are unique.
std::map<std::string, std::string> entriesOf(const std::string& text) {
    std::map<std::string, std::string> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        check(end != std::string::npos);
        const std::string line = text.substr(start, end - start);
        const std::size_t separator = line.find(" = ");
        check(separator != std::string::npos && separator > 0 && separator + 3 < line.size());
        check(entries.emplace(line.substr(0, separator), line.substr(separator + 3)).second);
        start = end + 2;
    }
    return entries;
}

std::string upperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return text;
}

// Each getter answers as the value text reads; a failed getter leaves its output alone.
void checkGetters(const CConfReaderAndWriter& conf, const std::string& name, const std::string& value) {
    std::string text;
    check(conf.getString(name.c_str(), text) && text == value);

    bool flag = true;
    const std::string upper = upperCase(value);
    const bool isBoolean = upper == "TRUE" || upper == "FALSE";
    check(conf.getBoolean(name.c_str(), flag) == isBoolean);
    check(flag == (isBoolean ? upper == "TRUE" : true));

    int integer = 77;
    int expected = 77;
    check(conf.getInteger(name.c_str(), integer) == tt::getValidInt(value, expected));
    check(integer == expected);

    float real = 0.25f;
    float expectedReal = 0.25f;
    check(conf.getFloat(name.c_str(), real) == tt::getValidFloat(value, expectedReal));
    check(std::memcmp(&real, &expectedReal, sizeof(real)) == 0);

    // A triple needs two commas; its components read one by one.
    int triple[3] = {1, 2, 3};
    if (conf.getIntVector3(name.c_str(), triple)) {
        const std::size_t first = value.find(',');
        check(first != std::string::npos && value.find(',', first + 1) != std::string::npos);
    }
    float realTriple[3] = {1.0f, 2.0f, 3.0f};
    conf.getFloatVector3(name.c_str(), realTriple);
}

// The getters take C strings: a name holding a NUL cannot be asked for.
bool canAskFor(const std::string& name) {
    return name.find('\0') == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = scratchBase + ".in", first = scratchBase + ".1", second = scratchBase + ".2";
    writeBytes(input, std::string(reinterpret_cast<const char*>(data), size));

    CConfReaderAndWriter read;
    const std::string written = readAndWrite(read, input, first);
    check(written.find("//") == std::string::npos);
    const std::map<std::string, std::string> entries = entriesOf(written);
    for (const auto& entry : entries) {
        check(entry.first.find_first_of(" =") == std::string::npos);
        if (canAskFor(entry.first))
            checkGetters(read, entry.first, entry.second);
    }
    std::string untouched = "kept";
    check(!read.getString("no such name", untouched) && untouched == "kept");

    CConfReaderAndWriter readAgain;
    check(readAndWrite(readAgain, first, second) == written);
    for (const auto& entry : entries) {
        std::string value;
        if (canAskFor(entry.first))
            check(readAgain.getString(entry.first.c_str(), value) && value == entry.second);
    }
    for (const std::string& path : {input, first, second})
        std::remove(path.c_str());
    return 0;
}
