#include "util/ttKeyValue.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <functional>
#include <string_view>
#include <utility>

namespace tt {

namespace {

using View = std::string_view;
constexpr std::size_t kNone = View::npos;

View viewOf(char const* text) {
    return text == nullptr ? View() : View(text);
}

View trimBlanks(View text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == kNone)
        return View();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

/// The index of the "}" that closes the "{" at open, or kNone when the text ends first.
std::size_t matchingBrace(View text, std::size_t open) {
    std::size_t depth = 1;
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        if (text[i] == '{')
            ++depth;
        else if (text[i] == '}' && --depth == 0)
            return i;
    }
    return kNone;
}

/// Reads the pair that follows pos, duplicates included: its key runs from pos to the next "{", its
/// value to the matching "}". False when no complete pair follows.
bool nextPair(View text, std::size_t& pos, View& key, View& value) {
    const std::size_t open = text.find('{', pos);
    const std::size_t close = open == kNone ? kNone : matchingBrace(text, open);
    if (close == kNone)
        return false;
    key = trimBlanks(text.substr(pos, open - pos));
    value = trimBlanks(text.substr(open + 1, close - open - 1));
    pos = close + 1;
    return true;
}

/// Tells whether a key comes for the first time on its level (a number the caller gives each level).
/// Linear probing over one array of key numbers, sized once for at most `bound` keys. Not
/// std::unordered_set: its node per key, even taken from one buffer, made parsing 1.8 to 2.3 times
/// as slow at 1,000 to 100,000 pairs.
class FirstKeys {
public:
    explicit FirstKeys(std::size_t bound) {
        std::size_t size = 16;
        while (size < 2 * bound)
            size *= 2;
        slots_.assign(size, 0);
        keys_.reserve(bound);
    }

    bool insert(std::size_t level, View key) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t s = (std::hash<View>()(key) ^ level * 0x9E3779B97F4A7C15ull) & mask;;
             s = (s + 1) & mask) {
            if (slots_[s] == 0) {
                keys_.emplace_back(level, key);
                slots_[s] = keys_.size();
                return true;
            }
            if (keys_[slots_[s] - 1] == std::make_pair(level, key))
                return false;
        }
    }

private:
    std::vector<std::size_t> slots_; // a key's number + 1, 0 when free
    std::vector<std::pair<std::size_t, View>> keys_;
};

struct Pair {
    View key;
    View value;
};

/// The pairs of a text as the parse keeps them: in text order, the first pair of each key only.
std::vector<Pair> firstPairs(View text) {
    std::vector<Pair> pairs;
    Pair pair;
    for (std::size_t pos = 0; nextPair(text, pos, pair.key, pair.value);)
        pairs.push_back(pair);
    FirstKeys seen(pairs.size());
    std::size_t kept = 0;
    for (Pair const& candidate : pairs) {
        if (seen.insert(0, candidate.key))
            pairs[kept++] = candidate;
    }
    pairs.resize(kept);
    return pairs;
}

void appendPair(std::string& out, bool& wrote, View key, View value) {
    if (wrote)
        out += ' ';
    wrote = true;
    out.append(key);
    out += " {";
    out.append(value);
    out += '}';
}

/// Appends, in canonical layout, the pairs of text other than those of the excluded key, and returns
/// through setAside the value of that key's first pair (empty when there is none). With `firstOnly`
/// only the first pair of each key is appended; without, a repeated key is left to a clean-up that
/// follows. Returns whether a pair was appended.
bool appendPairsExcept(std::string& out, View text, View excludedKey, View& setAside, bool firstOnly) {
    setAside = View();
    bool wrote = false, found = false;
    auto take = [&](View key, View value) {
        if (key != excludedKey) {
            appendPair(out, wrote, key, value);
        } else if (!found) {
            setAside = value;
            found = true;
        }
    };
    if (firstOnly) {
        for (Pair const& pair : firstPairs(text))
            take(pair.key, pair.value);
        return wrote;
    }
    View key, value;
    for (std::size_t pos = 0; nextPair(text, pos, key, value);)
        take(key, value);
    return wrote;
}

/// The value of the first pair with the given key, or empty.
View firstValueOf(View text, View wanted) {
    View key, value;
    for (std::size_t pos = 0; nextPair(text, pos, key, value);) {
        if (key == wanted)
            return value;
    }
    return View();
}

int countOf(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

void splitWords(View text, char separator, std::vector<View>& words) {
    words.clear();
    if (text.empty())
        return;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != kNone; at = text.find(separator, start)) {
        words.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    words.push_back(text.substr(start));
}

/// Rewrites text along a key path, level by level from the outermost key (the path's last part): the
/// pairs of the level other than the path's key, then that key's pair at the end of the level, opened
/// for the next level. With a new value the innermost pair is written with it; without one (a
/// removal) the innermost pair is left out, and the walk stops at a level that is empty, leaving the
/// pair enclosing it empty. Empty parts at the front of a path are skipped.
void rewriteAlongPath(View path, View const* newValue, std::string& text, bool firstOnly) {
    const bool removing = newValue == nullptr;
    if (removing && text.empty())
        return;
    std::string out;
    out.reserve(text.size() + path.size() + (removing ? 0 : newValue->size()) + 8);
    View current = text;
    std::size_t opened = 0;
    for (;;) {
        const std::size_t at = path.rfind('@');
        const View outer = at == kNone ? path : path.substr(at + 1);
        View inner = at == kNone ? View() : path.substr(0, at);
        inner.remove_prefix(std::min(inner.find_first_not_of('@'), inner.size()));
        View setAside;
        const bool wrote = appendPairsExcept(out, current, outer, setAside, firstOnly);
        if (removing && inner.empty())
            break;
        if (wrote)
            out += ' ';
        out.append(outer);
        out += " {";
        ++opened;
        if (!removing && inner.empty()) {
            out.append(*newValue);
            break;
        }
        if (removing && setAside.empty())
            break;
        current = setAside;
        path = inner;
    }
    out.append(opened, '}');
    text = std::move(out);
}

/// Writes text to out without the pairs whose value is empty, or holds only such pairs, at every depth,
/// in canonical layout; a value without pairs is copied trimmed. One pass with an explicit stack, so
/// deep nesting costs no call stack. A later pair of a key already seen on its level is skipped whole,
/// and an opening brace without its match drops its top-level pair. Returns whether the text held a
/// complete pair.
bool writeWithoutEmptyValues(View text, std::string& out) {
    struct Level {
        std::size_t mark;         // the size of out before the pair (and its separator) was written
        std::size_t contentStart; // the size of out once its key and " {" were written
        std::size_t valueStart;   // in text, after the opening brace
        std::size_t nextKey;      // in text, where the key of the next pair inside begins
        std::size_t number;       // of the level, for the keys of the pairs inside
        bool hasPairs;
    };
    std::vector<Level> levels{{0, 0, 0, 0, 0, false}}; // the text itself
    FirstKeys seen(static_cast<std::size_t>(std::count(text.begin(), text.end(), '{')));
    std::size_t opened = 0;
    bool complete = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        Level& parent = levels.back();
        if (text[i] == '{') {
            const View key = trimBlanks(text.substr(parent.nextKey, i - parent.nextKey));
            parent.hasPairs = true;
            if (!seen.insert(parent.number, key)) {
                i = matchingBrace(text, i);
                if (i == kNone)
                    break;
                parent.nextKey = i + 1;
                continue;
            }
            const std::size_t mark = out.size();
            if (out.size() > parent.contentStart)
                out += ' ';
            out.append(key);
            out += " {";
            levels.push_back({mark, out.size(), i + 1, i + 1, ++opened, false});
            continue;
        }
        if (text[i] != '}' || levels.size() == 1)
            continue; // a stray "}" between top-level pairs belongs to the next key
        if (!parent.hasPairs)
            out.append(trimBlanks(text.substr(parent.valueStart, i - parent.valueStart)));
        if (out.size() == parent.contentStart)
            out.resize(parent.mark);
        else
            out += '}';
        levels.pop_back();
        levels.back().nextKey = i + 1;
        complete = complete || levels.size() == 1;
    }
    if (levels.size() > 1)
        out.resize(levels[1].mark);
    return complete;
}

} // namespace

int getAllKeyValuePairs(char const* text, std::vector<std::string>& keys, std::vector<std::string>& values) {
    // A copy, since the text may be one of the strings about to be cleared.
    const std::string copy(viewOf(text));
    const std::vector<Pair> pairs = firstPairs(copy);
    keys.clear();
    values.clear();
    keys.reserve(pairs.size());
    values.reserve(pairs.size());
    for (Pair const& pair : pairs) {
        keys.emplace_back(pair.key);
        values.emplace_back(pair.value);
    }
    return countOf(keys.size());
}

bool getValueOfKey(char const* keyPath, char const* text, std::string& value) {
    std::vector<View> words;
    splitWords(viewOf(keyPath), '@', words);
    View current = viewOf(text);
    if (words.empty() || current.empty())
        return false;
    for (auto word = words.rbegin(); word != words.rend(); ++word) {
        current = firstValueOf(current, *word);
        if (current.empty())
            return false;
    }
    value.assign(current.data(), current.size());
    return true;
}

void insertKeyAndValue(char const* keyPath, char const* value, std::string& text) {
    // Copies, since the path or the value may point into the text that the steps rewrite.
    const std::string path(viewOf(keyPath)), newValue(viewOf(value));
    removeKeyAndValue(path.c_str(), text);
    // Every level of the text now holds one pair of each key.
    const View newValueView = newValue;
    rewriteAlongPath(path, &newValueView, text, false);
}

void removeKeyAndValue(char const* keyPath, std::string& text) {
    // The clean-up after the removal keeps only the first pair of each key anyway.
    const std::string path(viewOf(keyPath));
    rewriteAlongPath(path, nullptr, text, false);
    _removeKeysWithEmptyValues(text);
}

void appendKeyValuePair(std::string& text, std::string const& key, std::string const& value) {
    bool wrote = !text.empty();
    appendPair(text, wrote, key, value);
}

std::string generateKeyValuePairs(std::vector<std::string> const& keys,
                                  std::vector<std::string> const& values) {
    std::string text;
    const std::size_t count = std::min(keys.size(), values.size());
    for (std::size_t i = 0; i < count; ++i)
        appendKeyValuePair(text, keys[i], values[i]);
    return text;
}

int separateWords(char const* text, char separator, std::vector<std::string>& words) {
    std::vector<View> views;
    splitWords(viewOf(text), separator, views);
    words.assign(views.begin(), views.end());
    return countOf(words.size());
}

void _removeKeyAndValue(char const* keyPath, std::string& text) {
    rewriteAlongPath(viewOf(keyPath), nullptr, text, true);
}

void _removeKeysWithEmptyValues(std::string& text) {
    std::string out;
    out.reserve(text.size());
    if (writeWithoutEmptyValues(text, out))
        text = std::move(out);
}

void _insertKeyAndValue(char const* keyPath, char const* value, std::string& text) {
    const View newValue = viewOf(value);
    rewriteAlongPath(viewOf(keyPath), &newValue, text, true);
}

} // namespace tt
