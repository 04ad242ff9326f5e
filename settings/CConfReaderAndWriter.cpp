#include "settings/CConfReaderAndWriter.h"

#include "platform/VArchive.h"
#include "platform/VFile.h"
#include "util/ttNames.h"
#include "util/ttNumbers.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <charconv>
#include <climits>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace {

constexpr std::size_t kMaxEntries = INT_MAX;

std::string numberText(int value) {
    char buffer[16];
    const std::to_chars_result end = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::string(buffer, end.ptr);
}

/// Nine significant digits as C's "%.9g" gives them in the C locale (so a float reads back
/// exactly); "inf", "-inf", "nan" and "-nan" for the special values.
std::string numberText(float value) {
    char buffer[32];
    const std::to_chars_result end =
        std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, 9);
    return std::string(buffer, end.ptr);
}

template <typename T> std::string tripleText(const T value[3]) {
    return numberText(value[0]) + "," + numberText(value[1]) + "," + numberText(value[2]);
}

/// Room for one more element, growing geometrically, so that the push_back after it cannot throw.
template <typename T> void makeRoomForOne(std::vector<T>& list) {
    if (list.size() == list.capacity())
        list.reserve(list.empty() ? 16 : list.size() * 2);
}

/// The text before the next comma of text (from `start` on), which must neither begin nor end the
/// rest of the text; npos when there is no such comma.
std::size_t innerComma(const std::string& text, std::size_t start) {
    const std::size_t comma = text.find(',', start);
    if (comma == std::string::npos || comma == start || comma + 1 == text.size())
        return std::string::npos;
    return comma;
}

/// Reads "a,b,c" into three components with `read`, each as it lies between the commas.
template <typename T, typename Reader> bool readTriple(const std::string& text, T value[3], Reader read) {
    const std::size_t first = innerComma(text, 0);
    if (first == std::string::npos || !read(text.substr(0, first), value[0]))
        return false;
    const std::size_t second = innerComma(text, first + 1);
    if (second == std::string::npos || !read(text.substr(first + 1, second - first - 1), value[1]))
        return false;
    return read(text.substr(second + 1), value[2]);
}

/// Bytes 97 to 127 moved 32 down, which turns lower-case letters into capitals.
std::string upperCased(std::string text) {
    for (char& c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 97 && byte <= 127)
            c = static_cast<char>(byte - 32);
    }
    return text;
}

std::string textOrEmpty(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

std::string quoted(const QString& path) {
    return "\"" + path.toStdString() + "\"";
}

/// The reason of the last failed system call, or `fallback` when none was recorded.
std::string systemReason(int code, const QString& fallback) {
    return code != 0 ? std::generic_category().message(code) : fallback.toStdString();
}

/// Writes all bytes or throws with the reason.
void writeAll(QSaveFile& file, const std::string& bytes) {
    errno = 0;
    const qint64 written = file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size()))
        throw std::runtime_error("cannot write " + quoted(file.fileName()) + ": " +
                                 systemReason(errno, file.errorString()));
}

} // namespace

CConfReaderAndWriter::CConfReaderAndWriter() = default;

CConfReaderAndWriter::~CConfReaderAndWriter() = default;

bool CConfReaderAndWriter::readConfiguration(const char* filename) {
    if (filename == nullptr || !VFile::doesFileExist(filename))
        return false;
    // A name read again is only marked here and the gaps are closed once at the end, which keeps
    // reading linear however many names repeat.
    std::vector<bool> removed;
    bool result = false;
    try {
        VFile file(filename, VFile::READ | VFile::SHARE_DENY_NONE);
        VArchive archive(&file, VArchive::LOAD);
        unsigned int bytesRead = 0;
        std::string line;
        while (archive.readSingleLine(bytesRead, line, false))
            _readLine(line, removed);
        archive.close();
        file.close();
        result = true;
    } catch (const std::exception& e) {
        VFile::reportAndHandleFileExceptionError(e);
    }
    _dropRemoved(removed);
    return result;
}

void CConfReaderAndWriter::_readLine(std::string& line, std::vector<bool>& removed) {
    tt::removeComments(line);
    const std::size_t equal = line.find('=');
    if (equal == std::string::npos || equal == 0 || equal + 1 == line.size())
        return;
    std::string name = line.substr(0, equal);
    std::string value = line.substr(equal + 1);
    if (!tt::removeSpacesAtBeginningAndEnd(name) || !tt::removeSpacesAtBeginningAndEnd(value) ||
        name.find(' ') != std::string::npos)
        return;
    const int earlier = _getVariableIndex(name.c_str());
    if (earlier >= 0 && removed.size() < _variables.size())
        removed.resize(_variables.size()); // before appending, so that marking cannot fail after it
    const auto slot = _append(std::move(name), std::move(value), std::string());
    if (earlier < 0)
        return;
    removed[static_cast<std::size_t>(earlier)] = true;
    slot->second = static_cast<int>(_variables.size() - 1);
}

void CConfReaderAndWriter::_dropRemoved(const std::vector<bool>& removed) noexcept {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < _variables.size(); ++i) {
        if (i < removed.size() && removed[i])
            continue;
        if (kept != i) {
            _variables[kept] = std::move(_variables[i]);
            _values[kept] = std::move(_values[i]);
            _comments[kept] = std::move(_comments[i]);
            // Only a name's first entry is indexed; a later free line keeps the earlier one's slot.
            const auto slot = _index.find(_variables[kept]);
            if (slot != _index.end() && slot->second == static_cast<int>(i))
                slot->second = static_cast<int>(kept);
        }
        ++kept;
    }
    _variables.resize(kept);
    _values.resize(kept);
    _comments.resize(kept);
}

bool CConfReaderAndWriter::writeConfiguration(const char* filename) const {
    if (filename == nullptr)
        return false;
    try {
        // The new content goes to a temporary file beside the old one, which replaces the old file
        // only once everything is written; the temporary file is removed on every failure.
        QSaveFile file(QFile::decodeName(filename));
        QDir().mkpath(QFileInfo(file.fileName()).path()); // a failure shows when opening
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot open " + quoted(file.fileName()) +
                                     " for writing: " + file.errorString().toStdString());
        std::string line;
        for (std::size_t i = 0; i < _variables.size(); ++i) {
            if (_variables[i].empty()) {
                line = _comments[i];
            } else {
                line = _variables[i] + " = " + _values[i];
                if (!_comments[i].empty())
                    line += " // " + _comments[i];
            }
            line += "\r\n";
            writeAll(file, line);
        }
        // A write that the system cut short can go unnoticed by commit(), so the flush is checked.
        errno = 0;
        if (!file.flush())
            throw std::runtime_error("cannot write " + quoted(file.fileName()) + ": " +
                                     systemReason(errno, file.errorString()));
        if (!file.commit())
            throw std::runtime_error("cannot replace " + quoted(file.fileName()) + ": " +
                                     file.errorString().toStdString());
        return true;
    } catch (const std::exception& e) {
        VFile::reportAndHandleFileExceptionError(e);
    }
    return false;
}

bool CConfReaderAndWriter::getString(const char* name, std::string& value) const {
    const int index = _getVariableIndex(name);
    if (index < 0)
        return false;
    value = _values[static_cast<std::size_t>(index)];
    return true;
}

bool CConfReaderAndWriter::getBoolean(const char* name, bool& value) const {
    const int index = _getVariableIndex(name);
    if (index < 0)
        return false;
    const std::string text = upperCased(_values[static_cast<std::size_t>(index)]);
    if (text != "TRUE" && text != "FALSE")
        return false;
    value = text == "TRUE";
    return true;
}

bool CConfReaderAndWriter::getInteger(const char* name, int& value) const {
    const int index = _getVariableIndex(name);
    return index >= 0 && tt::getValidInt(_values[static_cast<std::size_t>(index)], value);
}

bool CConfReaderAndWriter::getFloat(const char* name, float& value) const {
    const int index = _getVariableIndex(name);
    return index >= 0 && tt::getValidFloat(_values[static_cast<std::size_t>(index)], value);
}

bool CConfReaderAndWriter::getFloatVector3(const char* name, float value[3]) const {
    const int index = _getVariableIndex(name);
    if (index < 0 || value == nullptr)
        return false;
    return readTriple(_values[static_cast<std::size_t>(index)], value,
                      [](const std::string& text, float& out) { return tt::getValidFloat(text, out); });
}

bool CConfReaderAndWriter::getIntVector3(const char* name, int value[3]) const {
    const int index = _getVariableIndex(name);
    if (index < 0 || value == nullptr)
        return false;
    return readTriple(_values[static_cast<std::size_t>(index)], value,
                      [](const std::string& text, int& out) { return tt::getValidInt(text, out); });
}

bool CConfReaderAndWriter::addString(const char* name, const std::string& value, const char* comment) {
    return _add(name, value, comment);
}

bool CConfReaderAndWriter::addInteger(const char* name, int value, const char* comment) {
    return _add(name, numberText(value), comment);
}

bool CConfReaderAndWriter::addFloat(const char* name, float value, const char* comment) {
    return _add(name, numberText(value), comment);
}

bool CConfReaderAndWriter::addBoolean(const char* name, bool value, const char* comment) {
    return _add(name, value ? "true" : "false", comment);
}

bool CConfReaderAndWriter::addFloatVector3(const char* name, const float value[3], const char* comment) {
    return value != nullptr && _add(name, tripleText(value), comment);
}

bool CConfReaderAndWriter::addIntVector3(const char* name, const int value[3], const char* comment) {
    return value != nullptr && _add(name, tripleText(value), comment);
}

bool CConfReaderAndWriter::addRandomLine(const char* line) {
    if (_variables.size() >= kMaxEntries)
        return false;
    _append(std::string(), std::string(), textOrEmpty(line));
    return true;
}

int CConfReaderAndWriter::_getVariableIndex(const char* name) const {
    if (name == nullptr)
        return -1;
    const auto slot = _index.find(name);
    return slot != _index.end() ? slot->second : -1;
}

bool CConfReaderAndWriter::_add(const char* name, std::string value, const char* comment) {
    if (name == nullptr || _getVariableIndex(name) >= 0 || _variables.size() >= kMaxEntries)
        return false;
    _append(name, std::move(value), textOrEmpty(comment));
    return true;
}

std::unordered_map<std::string, int>::iterator
CConfReaderAndWriter::_append(std::string name, std::string value, std::string comment) {
    if (_variables.size() >= kMaxEntries)
        throw std::length_error("too many entries");
    const int position = static_cast<int>(_variables.size());
    const auto [slot, inserted] = _index.try_emplace(name, position);
    try {
        makeRoomForOne(_variables);
        makeRoomForOne(_values);
        makeRoomForOne(_comments);
    } catch (...) {
        if (inserted)
            _index.erase(slot);
        throw;
    }
    _variables.push_back(std::move(name));
    _values.push_back(std::move(value));
    _comments.push_back(std::move(comment));
    return slot;
}
