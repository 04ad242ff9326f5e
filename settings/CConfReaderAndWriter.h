#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// One configuration file held in memory as an ordered list of entries (name, value text, comment):
/// read from "name = value // comment" lines, asked for typed values, extended and written back.
/// An entry with an empty name is a free line, written as its comment alone. Null names never
/// match and cannot be added; a null comment or line counts as empty.
class CConfReaderAndWriter {
public:
    CConfReaderAndWriter();
    virtual ~CConfReaderAndWriter();

    /// Merges the file's entries into this object: a name read again replaces the earlier entry and
    /// moves to the end. False when the file does not exist, or (after printing the file-error line)
    /// when it cannot be read; entries read before such a failure stay.
    bool readConfiguration(const char* filename);
    /// Writes all entries, CR LF after each line, missing folders made. The file is replaced in one
    /// step only when the new content is complete, so a failure leaves the old file as it was; then
    /// the file-error line is printed and the result is false.
    bool writeConfiguration(const char* filename) const;

    bool getString(const char* name, std::string& value) const;
    /// True and the value when the text is "true" or "false" in any case.
    bool getBoolean(const char* name, bool& value) const;
    /// True and the value when the whole text is a 32-bit integer.
    bool getInteger(const char* name, int& value) const;
    /// True and the value when the whole text is a float ("inf" and "nan" included).
    bool getFloat(const char* name, float& value) const;
    /// Reads "a,b,c"; the components are set in order as they are read, so a failure after the first
    /// one leaves the earlier components changed. True when all three were read.
    bool getFloatVector3(const char* name, float value[3]) const;
    /// Reads "a,b,c" like getFloatVector3, with integer components.
    bool getIntVector3(const char* name, int value[3]) const;

    // Each add appends an entry and returns true, or returns false and changes nothing when the
    // name exists already. Numbers are written in the C locale, floats with nine significant digits.
    bool addString(const char* name, const std::string& value, const char* comment);
    bool addInteger(const char* name, int value, const char* comment);
    bool addFloat(const char* name, float value, const char* comment);
    /// Written as "true" or "false".
    bool addBoolean(const char* name, bool value, const char* comment);
    /// Written as the three floats joined by "," without spaces.
    bool addFloatVector3(const char* name, const float value[3], const char* comment);
    /// Written as the three integers joined by "," without spaces.
    bool addIntVector3(const char* name, const int value[3], const char* comment);
    /// Appends a free line holding the text unchanged; always true.
    bool addRandomLine(const char* line);

private:
    /// The position of the first entry of that name, or -1.
    int _getVariableIndex(const char* name) const;
    /// The same for a name that may hold NUL bytes.
    int _positionOf(std::string_view name) const;
    /// The value text of the first entry of that name, or null.
    const std::string* _valueOf(const char* name) const;
    bool _add(const char* name, std::string value, const char* comment);
    /// Appends an entry, keeping the lists and the index in step: either everything is appended or
    /// nothing changes. With `replaced`, an entry of the same name is marked there as removed and
    /// the name is indexed at the new entry; without it, a name keeps its first position.
    void _append(std::string name, std::string value, std::string comment, std::vector<bool>* replaced);
    /// Takes one line of a file: an entry when it holds one, replacing an entry of the same name.
    void _readLine(std::string& line, std::vector<bool>& removed);
    /// Drops the entries marked removed, closing the gaps, and moves the index along.
    void _dropRemoved(const std::vector<bool>& removed) noexcept;

    /// One place of the index: a name's hash and the position of its first entry (-1: unused).
    struct _IndexSlot {
        std::uint32_t hash;
        std::int32_t position;
    };
    static std::uint32_t _hashOf(std::string_view name);
    /// The slot holding the name, or the unused slot where it belongs; the index must not be empty.
    std::size_t _slotOf(std::string_view name, std::uint32_t hash) const;
    /// Makes room in the index for one more name.
    void _reserveIndexSlot();

    std::vector<std::string> _variables;
    std::vector<std::string> _values;
    std::vector<std::string> _comments;
    /// Open-addressing hash table over the names (at most half full, its size a power of two), so
    /// that lookups and duplicate checks do not search the lists.
    std::vector<_IndexSlot> _index;
    std::size_t _indexed = 0;
};
