#include "common/FileBytes.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace orvtest {

// Paths are used as bytes (a folder name need not be valid UTF-8).

bool writeFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && file.flush();
}

std::string fileBytes(const std::string& path) {
    struct stat status;
    // Only a regular file is opened: a FIFO would block the reader.
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return "<unreadable>";
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return "<unreadable>";
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace orvtest
