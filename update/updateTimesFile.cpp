#include "update/updateTimesFile_p.h"

#include "platform/VArchive.h"
#include "platform/VFile.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>

namespace orv {

namespace {

constexpr std::uint64_t kFileLength = 2 * sizeof(float);

float readFloat(VArchive& archive) {
    unsigned char bytes[sizeof(float)];
    for (unsigned char& byte : bytes) {
        char c = 0;
        archive >> c;
        byte = static_cast<unsigned char>(c);
    }
    float value = 0.0f;
    std::memcpy(&value, bytes, sizeof(value));
    return value;
}

void writeFloat(VArchive& archive, float value) {
    unsigned char bytes[sizeof(float)];
    std::memcpy(bytes, &value, sizeof(value));
    for (const unsigned char byte : bytes)
        archive << static_cast<char>(byte);
}

} // namespace

bool readUpdateTimes(const std::string& path, float& lastCheck, float& lastDisplay) {
    lastCheck = 0.0f;
    lastDisplay = 0.0f;
    try {
        if (!VFile::doesFileExist(path))
            return false;
        VFile file(path, VFile::READ | VFile::SHARE_DENY_NONE, false);
        if (file.getLength() != kFileLength) {
            file.close();
            return false;
        }
        VArchive archive(&file, VArchive::LOAD);
        const float check = readFloat(archive);
        const float display = readFloat(archive);
        archive.close();
        file.close();
        // A time that is not a number (or infinite) would stop every later check: treat it as damage.
        if (!std::isfinite(check) || !std::isfinite(display))
            return false;
        lastCheck = check;
        lastDisplay = display;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool writeUpdateTimes(const std::string& path, float lastCheck, float lastDisplay) {
    try {
        VFile file(path, VFile::CREATE_WRITE | VFile::SHARE_EXCLUSIVE, true);
        if (file.getFile() == nullptr)
            return false;
        VArchive archive(&file, VArchive::STORE);
        writeFloat(archive, lastCheck);
        writeFloat(archive, lastDisplay);
        archive.close();
        const bool written = file.flush();
        file.close();
        return written;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace orv
