#pragma once

#include "orvExport.h"

#include <string>
#include <vector>

// Key-value strings hold pairs written as key {value}, separated by blanks: "a {1} b {x {2}}". A value
// may itself hold pairs; a key path names a value inside nested values, its parts joined by "@" with
// the outermost key last ("x@b" is the value of x inside the value of b). Keys and values are trimmed
// of blanks, the first pair of a key counts, and text after the last complete pair is ignored. The
// edit functions rewrite the whole text in this canonical layout. A null text or path counts as empty.
// Every function costs time linear in the text's size (times the number of path parts).

namespace tt {

/// Clears keys and values and fills them with the pairs in text order; returns their number.
ORV_EXPORT int getAllKeyValuePairs(char const* text, std::vector<std::string>& keys,
                                   std::vector<std::string>& values);
/// True when the path leads to a non-empty value, which is then written to value (raw, nested pairs
/// included); value is left unchanged otherwise.
ORV_EXPORT bool getValueOfKey(char const* keyPath, char const* text, std::string& value);
/// Sets the value at the path; the pair, and every pair enclosing it, moves to the end of its level.
/// Pairs with empty values elsewhere are dropped, but the inserted pair stays even when value is empty.
ORV_EXPORT void insertKeyAndValue(char const* keyPath, char const* value, std::string& text);
/// Removes the pair at the path, then every pair left with an empty value at any depth.
ORV_EXPORT void removeKeyAndValue(char const* keyPath, std::string& text);

/// Appends key {value}, after one blank when text is not empty; nothing is trimmed or checked.
ORV_EXPORT void appendKeyValuePair(std::string& text, std::string const& key, std::string const& value);
/// The text of the pairs keys[i] {values[i]}, in order, for the indexes both vectors have.
ORV_EXPORT std::string generateKeyValuePairs(std::vector<std::string> const& keys,
                                             std::vector<std::string> const& values);
/// Cuts text at every separator (no trimming; empty words kept, also a last one after a final
/// separator); an empty text gives no words. Returns the number of words.
ORV_EXPORT int separateWords(char const* text, char separator, std::vector<std::string>& words);

/// Rewrites text without the pair at the path; a pair enclosing the path's target moves to the end of
/// its level, and is added (empty) when it did not exist.
ORV_EXPORT void _removeKeyAndValue(char const* keyPath, std::string& text);
/// Drops every pair whose value is empty, or becomes empty once its own pairs are dropped, at every
/// depth; a text or value without any pair stays as it is.
ORV_EXPORT void _removeKeysWithEmptyValues(std::string& text);
/// Rewrites text with the pair at the path set to value, it and its enclosing pairs moved to the end.
ORV_EXPORT void _insertKeyAndValue(char const* keyPath, char const* value, std::string& text);

} // namespace tt
