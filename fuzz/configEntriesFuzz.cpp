// Configuration files of arbitrary bytes, entry by entry: every entry the reader keeps is answered
// by the getters as its value text reads, and writing the entries and reading them back loses none,
// changes none and adds none.
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

const std::string scratch = "/tmp/orv_fuzz_config_entries_" + std::to_string(getpid());

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
void checkGetters(const CConfReaderAndWriter& configuration, const std::string& name,
                  const std::string& value) {
    std::string text;
    check(configuration.getString(name.c_str(), text) && text == value);

    bool flag = true;
    const std::string upper = upperCase(value);
    const bool isBoolean = upper == "TRUE" || upper == "FALSE";
    check(configuration.getBoolean(name.c_str(), flag) == isBoolean);
    check(flag == (isBoolean ? upper == "TRUE" : true));

    int integer = 77;
    int expected = 77;
    check(configuration.getInteger(name.c_str(), integer) == tt::getValidInt(value, expected));
    check(integer == expected);

    float real = 0.25f;
    float expectedReal = 0.25f;
    check(configuration.getFloat(name.c_str(), real) == tt::getValidFloat(value, expectedReal));
    check(std::memcmp(&real, &expectedReal, sizeof(real)) == 0);

    // A triple needs two commas; its components read one by one.
    int triple[3] = {1, 2, 3};
    if (configuration.getIntVector3(name.c_str(), triple)) {
        const std::size_t first = value.find(',');
        check(first != std::string::npos && value.find(',', first + 1) != std::string::npos);
    }
    float realTriple[3] = {1.0f, 2.0f, 3.0f};
    configuration.getFloatVector3(name.c_str(), realTriple);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = scratch + ".in", written = scratch + ".out";
    writeBytes(input, std::string(reinterpret_cast<const char*>(data), size));

    CConfReaderAndWriter first;
    check(first.readConfiguration(input.c_str()));
    check(first.writeConfiguration(written.c_str()));
    const std::map<std::string, std::string> entries = entriesOf(readBytes(written));
    for (const auto& entry : entries) {
        check(entry.first.find_first_of(" =") == std::string::npos);
        check(entry.second.find("//") == std::string::npos);
        // The getters take C strings: a name holding a NUL cannot be asked for.
        if (entry.first.find('\0') == std::string::npos)
            checkGetters(first, entry.first, entry.second);
    }

    // Read back, the written file gives the same entries, answered the same way.
    CConfReaderAndWriter second;
    check(second.readConfiguration(written.c_str()));
    for (const auto& entry : entries) {
        std::string value;
        if (entry.first.find('\0') == std::string::npos)
            check(second.getString(entry.first.c_str(), value) && value == entry.second);
    }
    check(second.writeConfiguration(input.c_str()));
    check(entriesOf(readBytes(input)) == entries);

    // A name that the file cannot hold is never found.
    std::string untouched = "kept";
    check(!first.getString("no such name", untouched) && untouched == "kept");

    std::remove(input.c_str());
    std::remove(written.c_str());
    return 0;
}
