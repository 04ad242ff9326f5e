#include "util/ttNames.h"

#include "util/ttNumbers.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <utility>

namespace tt {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isIdentifierChar(char c) {
    return isLetter(c) || isDigit(c) || c == '_';
}

bool isBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

std::string textOf(char const* text) {
    return text == nullptr ? std::string() : std::string(text);
}

/// Index where the trailing run of digits begins (the size when there is none).
std::size_t trailingDigitsStart(std::string const& name) {
    std::size_t start = name.size();
    while (start > 0 && isDigit(name[start - 1]))
        --start;
    return start;
}

/// The value of a run of digits, or -1 when it is empty or exceeds the int range.
int digitsValue(std::string const& name, std::size_t start) {
    if (start == name.size())
        return -1;
    long long value = 0;
    for (std::size_t i = start; i < name.size(); ++i) {
        value = value * 10 + (name[i] - '0');
        if (value > INT_MAX)
            return -1;
    }
    return static_cast<int>(value);
}

/// The base name followed by the marker and the suffix number moved by increment, or the base name
/// alone when that number is negative. Where the suffix digits or the moved number leave the int
/// range, the whole name gets the new suffix 0 instead, so that the result differs from the name and
/// keeps every character of it.
std::string generateNewName(std::string const& whole, int increment, bool hashStyle) {
    const std::string name = whole.c_str(); // as the other name functions, up to the first NUL
    const int suffix = getNameSuffixNumber(name.c_str(), hashStyle);
    const std::string base = getNameWithoutSuffixNumber(name.c_str(), hashStyle);
    const std::string marker = hashStyle ? "#" : "";
    const bool suffixDigits = name.size() > base.size() + marker.size();
    const long long number = static_cast<long long>(suffix) + static_cast<long long>(increment);
    if ((suffix < 0 && suffixDigits) || number > INT_MAX)
        return name + marker + "0";
    return number < 0 ? base : base + marker + FNb(0, static_cast<int>(number), false);
}

/// Replaces every character outside the allowed set by "_", except at the index kept; true when
/// something was replaced.
template <typename Allowed>
bool replaceDisallowed(std::string& name, Allowed allowed, std::size_t kept = std::string::npos) {
    bool replaced = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (i == kept || allowed(name[i]))
            continue;
        name[i] = '_';
        replaced = true;
    }
    return replaced;
}

/// Index of the first "#" when it is a well-formed suffix marker, else npos.
std::size_t validHashMarker(std::string const& name) {
    const std::size_t hash = name.find('#');
    if (hash == std::string::npos || hash == 0 || hash + 1 == name.size())
        return std::string::npos;
    if (trailingDigitsStart(name) != hash + 1)
        return std::string::npos;
    if (name[hash + 1] == '0' && hash + 2 != name.size())
        return std::string::npos;
    return hash;
}

void replaceAll(std::string& text, char from, char const* to) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c == from)
            result += to;
        else
            result += c;
    }
    text = std::move(result);
}

/// Trims the given characters from both ends; true when text remains.
bool trim(std::string& text, char const* characters) {
    const std::size_t last = text.find_last_not_of(characters);
    if (last == std::string::npos) {
        text.clear();
        return false;
    }
    text.erase(last + 1);
    text.erase(0, text.find_first_not_of(characters));
    return true;
}

/// The order of values for the sort: ascending, NaN after every number.
bool lessValue(float a, float b) {
    if (std::isnan(a))
        return false;
    return std::isnan(b) || a < b;
}
bool lessValue(int a, int b) {
    return a < b;
}
bool lessValue(std::string const& a, std::string const& b) {
    return a < b;
}

template <typename T> void orderWithCompanions(std::vector<T>& values, std::vector<int>& companions) {
    if (companions.size() < values.size())
        return;
    std::vector<std::pair<T, int>> pairs;
    pairs.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        pairs.emplace_back(std::move(values[i]), companions[i]);
    std::sort(pairs.begin(), pairs.end(),
              [](auto const& a, auto const& b) { return lessValue(a.first, b.first); });
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        values[i] = std::move(pairs[i].first);
        companions[i] = pairs[i].second;
    }
}

} // namespace

int getNameSuffixNumber(char const* name, bool hashStyle) {
    const std::string text = textOf(name);
    const std::size_t start = trailingDigitsStart(text);
    if (hashStyle && (start == 0 || text[start - 1] != '#'))
        return -1;
    return digitsValue(text, start);
}

std::string getNameWithoutSuffixNumber(char const* name, bool hashStyle) {
    std::string text = textOf(name);
    const std::size_t start = trailingDigitsStart(text);
    if (!hashStyle) {
        text.erase(start);
        return text;
    }
    if (start > 0 && text[start - 1] == '#')
        text.erase(start - 1);
    return text;
}

std::string generateNewName_dash(std::string const& name) {
    return generateNewName(name, 1, true);
}

std::string generateNewName_dash(std::string const& name, int increment) {
    return generateNewName(name, increment, true);
}

std::string generateNewName_noDash(std::string const& name) {
    return generateNewName(name, 1, false);
}

std::string generateNewName_noDash(std::string const& name, int increment) {
    return generateNewName(name, increment, false);
}

bool removeIllegalCharacters(std::string& name, bool hashSuffixAllowed) {
    const std::size_t kept = hashSuffixAllowed ? validHashMarker(name) : std::string::npos;
    return replaceDisallowed(
        name, [](char c) { return isLetter(c) || isDigit(c) || c == '_' || c == '(' || c == ')'; }, kept);
}

bool removeAltNameIllegalCharacters(std::string& name) {
    return replaceDisallowed(name, isIdentifierChar);
}

std::string getObjectAltNameFromObjectName(std::string const& name) {
    std::string result = name;
    replaceAll(result, '#', "_HASHMARK_");
    replaceAll(result, '-', "_MINUSMARK_");
    replaceAll(result, '(', "_OPARENTHESISMARK_");
    replaceAll(result, ')', "_CPARENTHESISMARK_");
    replaceDisallowed(result, isIdentifierChar);
    return result;
}

bool extractSpaceSeparatedWord(std::string& line, std::string& word) {
    std::size_t start = 0;
    while (start < line.size() && isBlankOrTab(line[start]))
        ++start;
    std::size_t end = start;
    while (end < line.size() && !isBlankOrTab(line[end]))
        ++end;
    word.assign(line, start, end - start);
    line.erase(0, end);
    return !word.empty();
}

bool extractSpaceSeparatedWord2(std::string& line, std::string& word, bool singleQuotes, bool doubleQuotes,
                                bool parentheses, bool braces, bool squareBrackets) {
    std::size_t start = 0;
    while (start < line.size() && isBlankOrTab(line[start]))
        ++start;
    std::string open;
    auto toggle = [&open](char quote) {
        if (!open.empty() && open.back() == quote)
            open.pop_back();
        else
            open.push_back(quote);
    };
    auto close = [&open](char opening) {
        if (!open.empty() && open.back() == opening)
            open.pop_back();
    };
    std::size_t end = start;
    for (; end < line.size(); ++end) {
        const char c = line[end];
        if (isBlankOrTab(c) && open.empty())
            break;
        if ((singleQuotes && c == '\'') || (doubleQuotes && c == '"'))
            toggle(c);
        else if ((parentheses && c == '(') || (braces && c == '{') || (squareBrackets && c == '['))
            open.push_back(c);
        else if (parentheses && c == ')')
            close('(');
        else if (braces && c == '}')
            close('{');
        else if (squareBrackets && c == ']')
            close('[');
    }
    word.assign(line, start, end - start);
    line.erase(0, end);
    return !word.empty();
}

bool extractCommaSeparatedWord(std::string& line, std::string& word) {
    const std::size_t comma = line.find(',');
    if (comma == std::string::npos) {
        word = std::move(line);
        line.clear();
    } else {
        word.assign(line, 0, comma);
        line.erase(0, comma + 1);
    }
    return !word.empty();
}

bool removeSpacesAtBeginningAndEnd(std::string& text) {
    return trim(text, " ");
}

bool removeSpacesAndEmptyLinesAtBeginningAndEnd(std::string& text) {
    return trim(text, " \n");
}

void removeComments(std::string& line) {
    const std::size_t comment = line.find("//");
    if (comment != std::string::npos)
        line.erase(comment);
}

std::string decorateString(char const* prefix, std::string text, char const* suffix) {
    return textOf(prefix) + text + textOf(suffix);
}

std::string getLowerUpperCaseString(std::string text, bool upper) {
    for (char& c : text) {
        if (upper && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

void orderAscending(std::vector<int>& values, std::vector<int>& companions) {
    orderWithCompanions(values, companions);
}

void orderAscending(std::vector<float>& values, std::vector<int>& companions) {
    orderWithCompanions(values, companions);
}

void orderStrings(std::vector<std::string>& strings, std::vector<int>& companions) {
    orderWithCompanions(strings, companions);
}

} // namespace tt
