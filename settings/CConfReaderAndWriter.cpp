#include "settings/CConfReaderAndWriter.h"

#include "platform/VArchive.h"
#include "platform/VFile.h"
#include "platform/parentFolders_p.h"
#include "settings/configFileWriter_p.h"
#include "util/ttNames.h"
#include "util/ttNumbers.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <stdexcept>
#include <system_error>
#include <type_traits>
#include <utility>

namespace {

constexpr std::size_t kMaxEntries = INT_MAX;
constexpr std::size_t kNone = SIZE_MAX;

/// An integer in plain decimal; a float with nine significant digits as C's "%.9g" gives them in the
/// C locale (so it reads back exactly), "inf", "-inf", "nan" and "-nan" for the special values.
template <typename T> std::string numberText(T value) {
    char buffer[32];
    std::to_chars_result end;
    if constexpr (std::is_same_v<T, float>)
        end = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, 9);
    else
        end = std::to_chars(buffer, buffer + sizeof(buffer), value);
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

/// The position of the next comma from `start` on, or npos when there is none or it is the last
/// character. (A comma at `start` leaves an empty component, which no number reader accepts.)
std::size_t innerComma(const std::string& text, std::size_t start) {
    const std::size_t comma = text.find(',', start);
    return comma + 1 == text.size() ? std::string::npos : comma;
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

/// Prints the file-error line for a step that failed with the system's error number; false.
bool reportFailure(const std::string& step, int error) {
    VFile::reportAndHandleFileExceptionError(
        std::runtime_error(step + ": " + std::generic_category().message(error)));
    return false;
}

} // namespace

CConfReaderAndWriter::CConfReaderAndWriter() = default;

CConfReaderAndWriter::~CConfReaderAndWriter() = default;

bool CConfReaderAndWriter::readConfiguration(const char* filename) {
    if (filename == nullptr || !VFile::doesFileExist(filename))
        return false;
    // A name read again only moves in the index here; the entries it leaves behind are dropped
    // once at the end, which keeps reading linear however many names repeat.
    std::size_t firstReplaced = kNone;
    bool result = false;
    try {
        VFile file(filename, VFile::READ | VFile::SHARE_DENY_NONE);
        VArchive archive(&file, VArchive::LOAD);
        unsigned int bytesRead = 0;
        std::string line;
        _reserveForFile(file.getLength());
        while (archive.readSingleLine(bytesRead, line, false))
            _readLine(line, firstReplaced);
        archive.close();
        file.close();
        result = true;
    } catch (const std::exception& e) {
        VFile::reportAndHandleFileExceptionError(e);
    }
    if (firstReplaced != kNone)
        _dropReplaced(firstReplaced);
    return result;
}

void CConfReaderAndWriter::_readLine(std::string& line, std::size_t& firstReplaced) {
    tt::removeComments(line);
    const std::size_t equal = line.find('=');
    if (equal == std::string::npos)
        return;
    std::string name = line.substr(0, equal);
    std::string value = line.substr(equal + 1);
    if (!tt::removeSpacesAtBeginningAndEnd(name) || !tt::removeSpacesAtBeginningAndEnd(value) ||
        name.find(' ') != std::string::npos)
        return;
    if (!_append(std::move(name), std::move(value), std::string(), &firstReplaced))
        throw std::length_error("too many entries");
}

void CConfReaderAndWriter::_dropReplaced(std::size_t from) noexcept {
    std::size_t kept = from;
    for (std::size_t i = from; i < _variables.size(); ++i) {
        // Every name is indexed, at its first entry; free lines after the first are kept too.
        const auto indexed = _positions.find(_variables[i]);
        const bool first = indexed->second == i;
        if (!first && !_variables[i].empty())
            continue;
        if (kept != i) {
            _variables[kept] = std::move(_variables[i]);
            _values[kept] = std::move(_values[i]);
            _comments[kept] = std::move(_comments[i]);
            if (first)
                indexed->second = kept;
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
    const std::string quotedName = "\"" + std::string(filename) + "\"";
    orv::makeParentFolders(filename);
    orv::ConfigFileWriter file;
    if (const int error = file.open(filename))
        return reportFailure("cannot open " + quotedName + " for writing", error);
    for (std::size_t i = 0; i < _variables.size(); ++i) {
        const bool free = _variables[i].empty(), commented = !free && !_comments[i].empty();
        const std::string line = free ? _comments[i] : _variables[i] + " = " + _values[i];
        if (const int error = file.write(line + (commented ? " // " + _comments[i] : "") + "\r\n"))
            return reportFailure("cannot write " + quotedName, error);
    }
    if (const int error = file.finish())
        return reportFailure("cannot write " + quotedName, error);
    if (const int error = file.replace())
        return reportFailure("cannot replace " + quotedName, error);
    return true;
}

bool CConfReaderAndWriter::getString(const char* name, std::string& value) const {
    const std::string* text = _valueOf(name);
    if (text != nullptr)
        value = *text;
    return text != nullptr;
}

bool CConfReaderAndWriter::getBoolean(const char* name, bool& value) const {
    const std::string* text = _valueOf(name);
    if (text == nullptr)
        return false;
    const std::string upper = upperCased(*text);
    if (upper != "TRUE" && upper != "FALSE")
        return false;
    value = upper == "TRUE";
    return true;
}

bool CConfReaderAndWriter::getInteger(const char* name, int& value) const {
    const std::string* text = _valueOf(name);
    return text != nullptr && tt::getValidInt(*text, value);
}

bool CConfReaderAndWriter::getFloat(const char* name, float& value) const {
    const std::string* text = _valueOf(name);
    return text != nullptr && tt::getValidFloat(*text, value);
}

bool CConfReaderAndWriter::getFloatVector3(const char* name, float value[3]) const {
    const std::string* text = _valueOf(name);
    return text != nullptr && value != nullptr && readTriple(*text, value, tt::getValidFloat);
}

bool CConfReaderAndWriter::getIntVector3(const char* name, int value[3]) const {
    const std::string* text = _valueOf(name);
    return text != nullptr && value != nullptr && readTriple(*text, value, tt::getValidInt);
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
    return _append(std::string(), std::string(), textOrEmpty(line));
}

void CConfReaderAndWriter::_reserveForFile(std::uint64_t length) noexcept {
    const std::size_t total =
        _variables.size() + std::min<std::uint64_t>(length / 32, kMaxEntries - _variables.size());
    try {
        _variables.reserve(total);
        _values.reserve(total);
        _comments.reserve(total);
        _positions.reserve(total);
    } catch (const std::exception&) {
        // The lists and the index grow as the entries come instead.
    }
}

int CConfReaderAndWriter::_getVariableIndex(const char* name) const {
    if (name == nullptr)
        return -1;
    const auto indexed = _positions.find(name);
    return indexed != _positions.end() ? static_cast<int>(indexed->second) : -1;
}

const std::string* CConfReaderAndWriter::_valueOf(const char* name) const {
    const int position = _getVariableIndex(name);
    return position >= 0 ? &_values[static_cast<std::size_t>(position)] : nullptr;
}

bool CConfReaderAndWriter::_add(const char* name, std::string value, const char* comment) {
    return name != nullptr && _getVariableIndex(name) < 0 &&
           _append(name, std::move(value), textOrEmpty(comment));
}

bool CConfReaderAndWriter::_append(std::string name, std::string value, std::string comment,
                                   std::size_t* firstReplaced) {
    if (_variables.size() >= kMaxEntries)
        return false;
    makeRoomForOne(_variables);
    makeRoomForOne(_values);
    makeRoomForOne(_comments);
    const std::size_t position = _variables.size();
    const auto [indexed, added] = _positions.try_emplace(name, position);
    // Nothing below can fail.
    if (!added && firstReplaced != nullptr) {
        *firstReplaced = std::min(*firstReplaced, indexed->second);
        indexed->second = position;
    }
    _variables.push_back(std::move(name));
    _values.push_back(std::move(value));
    _comments.push_back(std::move(comment));
    return true;
}
