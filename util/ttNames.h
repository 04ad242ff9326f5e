#pragma once

#include "orvExport.h"

#include <string>
#include <vector>

// Names may end in a suffix number in one of two styles: hash style ("robot#3", the flag true) or
// plain style ("robot3", the flag false). Letters are ASCII letters only; bytes of 0x80 and above
// are neither letters nor digits. A null text counts as empty.

namespace tt {

/// The suffix number of a name, or -1 when it has none (also when the digits exceed the int range).
ORV_EXPORT int getNameSuffixNumber(char const* name, bool hashStyle);
/// The name without its suffix number; in hash style a name without "#" before its digits stays.
ORV_EXPORT std::string getNameWithoutSuffixNumber(char const* name, bool hashStyle);

// Where the suffix digits or the moved number leave the int range ("robot#99999999999",
// "robot#2147483647" plus 1), the whole name gets the new suffix 0 instead, so that the generated
// name differs and keeps every character ("robot#99999999999#0", "robot#2147483647#0";
// "robot21474836470" in plain style).

/// The hash-style name with its suffix number plus 1 ("robot" gives "robot#0", "robot#9" "robot#10").
ORV_EXPORT std::string generateNewName_dash(std::string const& name);
/// The hash-style name with its suffix number (-1 when it has none) moved by increment ("robot#" with 1
/// gives "robot#0", "r#3" with 0 "r#3"): the base name alone when the result is negative ("robot" with -1).
ORV_EXPORT std::string generateNewName_dash(std::string const& name, int increment);
/// The plain-style name with its suffix number plus 1 ("robot" gives "robot0", "robot9" "robot10").
ORV_EXPORT std::string generateNewName_noDash(std::string const& name);
/// The plain-style counterpart of generateNewName_dash(name, increment).
ORV_EXPORT std::string generateNewName_noDash(std::string const& name, int increment);

/// Characters other than letters, digits, "_", "(" and ")" become "_"; with hashSuffixAllowed a
/// well-formed "#" suffix marker ("#0" or "#" and digits without a leading 0) stays.
/// True when something was replaced.
ORV_EXPORT bool removeIllegalCharacters(std::string& name, bool hashSuffixAllowed);
/// Characters other than letters, digits and "_" become "_"; true when something was replaced.
ORV_EXPORT bool removeAltNameIllegalCharacters(std::string& name);
/// An identifier-safe form of a name in which "#", "-", "(" and ")" stay recognisable.
ORV_EXPORT std::string getObjectAltNameFromObjectName(std::string const& name);

/// Takes the first blank- or tab-separated word off the front of the line; true when there was one.
ORV_EXPORT bool extractSpaceSeparatedWord(std::string& line, std::string& word);
/// Like extractSpaceSeparatedWord, but blanks inside the enabled groups (quotes and brackets, which
/// stay in the word) do not end the word; an unclosed group takes the rest of the line.
ORV_EXPORT bool extractSpaceSeparatedWord2(std::string& line, std::string& word, bool singleQuotes,
                                           bool doubleQuotes, bool parentheses, bool braces,
                                           bool squareBrackets);
/// Takes the text up to the next "," (not trimmed) and that comma off the line; true when not empty.
ORV_EXPORT bool extractCommaSeparatedWord(std::string& line, std::string& word);

/// Removes blanks (not tabs) from both ends; true when text remains.
ORV_EXPORT bool removeSpacesAtBeginningAndEnd(std::string& text);
/// Removes blanks and line feeds from both ends; true when text remains.
ORV_EXPORT bool removeSpacesAndEmptyLinesAtBeginningAndEnd(std::string& text);
/// Cuts the line at the first "//", quotes notwithstanding.
ORV_EXPORT void removeComments(std::string& line);

ORV_EXPORT std::string decorateString(char const* prefix, std::string text, char const* suffix);
/// The text with its ASCII letters in upper case (upper true) or lower case; other bytes stay.
ORV_EXPORT std::string getLowerUpperCaseString(std::string text, bool upper);

/// Sorts the values ascending and moves each companion along with its value (equal values in any
/// order, NaN last). When there are fewer companions than values, both vectors stay unchanged.
ORV_EXPORT void orderAscending(std::vector<int>& values, std::vector<int>& companions);
ORV_EXPORT void orderAscending(std::vector<float>& values, std::vector<int>& companions);
/// Sorts the strings byte-wise ascending and moves each companion along (see orderAscending).
ORV_EXPORT void orderStrings(std::vector<std::string>& strings, std::vector<int>& companions);

} // namespace tt
