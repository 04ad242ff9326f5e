// Names and words from outside text: suffix numbers and the names made from them, the characters a
// name may hold, word extraction with and without grouping, trimming and comment removal. Input: a
// flag byte (bit 0 the hash style, bits 1 to 5 the grouping flags), a 32-bit increment, then the text.
#include "util/ttNames.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) || c == '_';
}

bool isNameChar(char c) {
    return isIdentifierChar(c) || c == '(' || c == ')';
}

bool isBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

bool allDigits(const std::string& text) {
    for (const char c : text)
        if (!isDigit(c))
            return false;
    return true;
}

// The value of a run of digits, capped above the int range.
long long digitsValue(const std::string& digits) {
    long long value = 0;
    for (const char c : digits)
        value = value > INT_MAX ? value : value * 10 + (c - '0');
    return value;
}

std::string withoutLeadingBlanks(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size() && isBlankOrTab(text[start]))
        ++start;
    return text.substr(start);
}

// The base name is the front of the name; what follows is the suffix: digits, in hash style after a
// "#", whose value is the suffix number when it has one.
void checkSuffix(const std::string& name, bool hashStyle) {
    const int number = tt::getNameSuffixNumber(name.c_str(), hashStyle);
    const std::string base = tt::getNameWithoutSuffixNumber(name.c_str(), hashStyle);
    check(number >= -1);
    check(name.compare(0, base.size(), base) == 0);
    std::string suffix = name.substr(base.size());
    const bool marked = !suffix.empty() && suffix[0] == '#';
    check(!marked || hashStyle);
    if (marked)
        suffix.erase(0, 1);
    check(allDigits(suffix));
    if (number >= 0) {
        check(marked == hashStyle && !suffix.empty());
        check(digitsValue(suffix) == number);
    } else {
        check(suffix.empty() || digitsValue(suffix) > INT_MAX);
    }
}

// A new name is the base name with the moved number, or the base name alone below 0. Where the
// suffix digits or the moved number leave the int range, the whole name gets the suffix 0 instead,
// so that it differs from the name and keeps every character.
void checkNewName(const std::string& name, int increment, bool hashStyle) {
    const int number = tt::getNameSuffixNumber(name.c_str(), hashStyle);
    const long long moved = static_cast<long long>(number) + increment;
    const std::string base = tt::getNameWithoutSuffixNumber(name.c_str(), hashStyle);
    const std::string marker = hashStyle ? "#" : "";
    const std::string made =
        hashStyle ? tt::generateNewName_dash(name, increment) : tt::generateNewName_noDash(name, increment);
    const std::string plusOne = hashStyle ? tt::generateNewName_dash(name) : tt::generateNewName_noDash(name);
    check(plusOne == (hashStyle ? tt::generateNewName_dash(name, 1) : tt::generateNewName_noDash(name, 1)));
    const bool suffixDigits = name.size() > base.size() + marker.size();
    if ((number < 0 && suffixDigits) || moved > INT_MAX) {
        check(made == name + marker + "0");
        return;
    }
    check(made == (moved < 0 ? base : base + marker + std::to_string(moved)));
    if (moved >= 0) {
        check(tt::getNameSuffixNumber(made.c_str(), hashStyle) == moved);
        check(tt::getNameWithoutSuffixNumber(made.c_str(), hashStyle) == base);
    }
}

// Replacing keeps the length and the allowed characters, reports a change exactly when there was one,
// and leaves nothing for a second pass.
template <typename Replace, typename Allowed>
void checkReplacement(const std::string& text, Replace replace, Allowed allowed, bool oneHashAllowed) {
    std::string name = text;
    const bool replaced = replace(name);
    check(name.size() == text.size());
    check(replaced == (name != text));
    int hashes = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '#')
            ++hashes;
        else
            check(allowed(name[i]) && (name[i] == text[i] || name[i] == '_'));
    }
    check(hashes <= (oneHashAllowed ? 1 : 0));
    std::string again = name;
    check(!replace(again) && again == name);
}

void checkNames(const std::string& text, const std::string& cText, int increment, bool hashStyle) {
    checkSuffix(cText, false);
    checkSuffix(cText, true);
    checkNewName(cText, increment, hashStyle);
    // Bytes behind a NUL play no part.
    check(tt::generateNewName_noDash(text, increment) == tt::generateNewName_noDash(cText, increment));

    checkReplacement(
        text, [hashStyle](std::string& name) { return tt::removeIllegalCharacters(name, hashStyle); },
        isNameChar, hashStyle);
    checkReplacement(text, tt::removeAltNameIllegalCharacters, isIdentifierChar, false);

    const std::string alt = tt::getObjectAltNameFromObjectName(text);
    check(alt.size() >= text.size());
    std::string altAgain = alt;
    check(!tt::removeAltNameIllegalCharacters(altAgain));
    std::string identifier = text;
    if (!tt::removeAltNameIllegalCharacters(identifier))
        check(alt == text);
}

// Words taken off the front: the word and the rest of the line make up the line without its leading
// blanks, and the word is taken exactly when it is not empty.
void checkWords(const std::string& text, std::uint8_t flags) {
    const bool single = flags & 2, dbl = flags & 4, parentheses = flags & 8, braces = flags & 16,
               brackets = flags & 32;
    std::string line = text;
    std::string word = "x";
    bool taken = tt::extractSpaceSeparatedWord(line, word);
    check(taken == !word.empty() && withoutLeadingBlanks(text) == word + line);
    check(word.find_first_of(" \t") == std::string::npos);
    check(line.empty() || isBlankOrTab(line[0]));

    std::string plainLine = text;
    std::string plainWord;
    tt::extractSpaceSeparatedWord2(plainLine, plainWord, false, false, false, false, false);
    check(plainWord == word && plainLine == line);

    // Draining a line word by word ends, each word shrinking the line.
    line = text;
    for (;;) {
        const std::size_t before = line.size();
        taken = tt::extractSpaceSeparatedWord2(line, word, single, dbl, parentheses, braces, brackets);
        check(taken == !word.empty());
        if (!taken)
            break;
        check(line.size() < before && !isBlankOrTab(word[0]));
        check(line.empty() || isBlankOrTab(line[0]));
    }
    check(line.find_first_not_of(" \t") == std::string::npos);

    line = text;
    taken = tt::extractCommaSeparatedWord(line, word);
    check(taken == !word.empty() && word.find(',') == std::string::npos);
    const std::size_t comma = text.find(',');
    check(comma == std::string::npos ? word == text && line.empty() : word + "," + line == text);
}

void checkTrimming(const std::string& text) {
    std::string trimmed = text;
    const bool left = tt::removeSpacesAtBeginningAndEnd(trimmed);
    check(left == !trimmed.empty() && text.find(trimmed) != std::string::npos);
    check(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));
    std::string lines = text;
    tt::removeSpacesAndEmptyLinesAtBeginningAndEnd(lines);
    check(lines.empty() ||
          (lines.front() != ' ' && lines.front() != '\n' && lines.back() != ' ' && lines.back() != '\n'));

    std::string cut = text;
    tt::removeComments(cut);
    const std::size_t slashes = text.find("//");
    check(cut == (slashes == std::string::npos ? text : text.substr(0, slashes)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t flags = 0;
    std::int32_t increment = 1;
    if (size >= 5) {
        flags = data[0];
        std::memcpy(&increment, data + 1, sizeof(increment));
        data += 5;
        size -= 5;
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string cText = text.c_str();
    checkNames(text, cText, increment, flags & 1);
    checkWords(text, flags);
    checkTrimming(text);
    return 0;
}
