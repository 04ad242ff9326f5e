#include "platform/VArchive.h"

#include "platform/VFile.h"

#include <QDataStream>
#include <QFile>

#include <algorithm>
#include <limits>

namespace {

/// Appends a raw line piece: CR dropped, tab kept or turned into a space.
void appendLineBytes(std::string& line, const char* bytes, std::size_t count, bool keepTabs) {
    const std::size_t start = line.size();
    line.resize(start + count);
    char* out = &line[start];
    for (std::size_t i = 0; i < count; ++i) {
        const char byte = bytes[i];
        if (byte == '\r')
            continue;
        *out++ = (byte == '\t' && !keepTabs) ? ' ' : byte;
    }
    line.resize(static_cast<std::size_t>(out - line.data()));
}

std::uint32_t clampedLength(const VFile& file) {
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(file.getLength(), std::numeric_limits<std::uint32_t>::max()));
}

} // namespace

VArchive::VArchive(VFile* file_, unsigned short mode) : file(file_), loading((mode & STORE) == 0) {
    stream = (file && file->getFile()) ? std::make_unique<QDataStream>(file->getFile())
                                       : std::make_unique<QDataStream>();
    stream->setFloatingPointPrecision(QDataStream::SinglePrecision);
    stream->setByteOrder(QDataStream::LittleEndian);
}

VArchive::~VArchive() = default;

bool VArchive::isStoring() const {
    return !loading;
}

bool VArchive::isLoading() const {
    return loading;
}

VFile* VArchive::getFile() const {
    return file;
}

void VArchive::close() {}

void VArchive::writeString(const std::string& text) {
    if (stream->device() != nullptr && !text.empty())
        stream->writeRawData(text.data(), static_cast<int>(text.size()));
}

void VArchive::writeLine(const std::string& text) {
    writeString(text);
    writeString("\r\n");
}

VArchive& VArchive::operator<<(char byte) {
    if (stream->device() != nullptr)
        *stream << static_cast<qint8>(byte);
    return *this;
}

VArchive& VArchive::operator>>(char& byte) {
    qint8 value = 0;
    if (stream->device() != nullptr)
        *stream >> value;
    byte = static_cast<char>(value);
    return *this;
}

std::uint32_t VArchive::_bytesLeft(std::uint32_t bytesRead) {
    // Asking the file for its length costs a system call, so it is asked again only once the count
    // reaches the length known: a file that grew is noticed there, and one that shrank ends the
    // read when its bytes run out.
    if (bytesRead >= _knownLength && file != nullptr)
        _knownLength = clampedLength(*file);
    return bytesRead < _knownLength ? _knownLength - bytesRead : 0;
}

bool VArchive::readSingleLine(unsigned int& bytesRead, std::string& line, bool keepTabs) {
    line.clear();
    QIODevice* device = stream->device();
    if (device == nullptr)
        return false;
    // Reading through the device keeps its position exact, so a byte read with >> afterwards
    // continues right after the line feed.
    char piece[4096];
    for (std::uint32_t left = _bytesLeft(bytesRead); left > 0; left = _bytesLeft(bytesRead)) {
        const qint64 room = std::min<qint64>(sizeof(piece) - 1, left);
        const qint64 got = device->readLine(piece, room + 1);
        if (got <= 0)
            break; // the file ended before its length said: stop rather than invent bytes
        bytesRead += static_cast<std::uint32_t>(got);
        const bool ended = piece[got - 1] == '\n';
        appendLineBytes(line, piece, static_cast<std::size_t>(ended ? got - 1 : got), keepTabs);
        if (ended)
            return true;
    }
    return !line.empty();
}

bool VArchive::readMultiLine(unsigned int& bytesRead, std::string& line, bool keepTabs,
                             const char* separator) {
    line.clear();
    const char* joint = separator != nullptr ? separator : "";
    std::string physical;
    for (;;) {
        const bool result = readSingleLine(bytesRead, physical, keepTabs);
        const std::size_t end = physical.find_last_not_of(' ');
        physical.erase(end == std::string::npos ? 0 : end + 1);
        if (physical.empty() || physical.back() != '\\') {
            line += physical;
            return result;
        }
        physical.pop_back();
        line += physical;
        line += joint;
    }
}
