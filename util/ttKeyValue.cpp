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
    std::size_t depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        if (text[i] == '{')
            ++depth;
        else if (text[i] == '}' && --depth == 0)
            return i;
    }
    return kNone;
}

/// Walks the pairs of a text in order, duplicates included: a key runs from the end of the previous
/// pair to the next "{", its value to the matching "}". An opening brace without its match ends the walk.
class PairScanner {
public:
    explicit PairScanner(View text) : text_(text) {}

    bool next(View& key, View& value) {
        const std::size_t open = text_.find('{', pos_);
        const std::size_t close = open == kNone ? kNone : matchingBrace(text_, open);
        if (close == kNone)
            return false;
        key = trimBlanks(text_.substr(pos_, open - pos_));
        value = trimBlanks(text_.substr(open + 1, close - open - 1));
        pos_ = close + 1;
        return true;
    }

private:
    View text_;
    std::size_t pos_ = 0;
};

struct Pair {
    View key;
    View value;
};

/// Tells whether a key comes for the first time on its level (a number the caller gives each level).
/// Hand-made, because a node-based std::unordered_set, even with its nodes taken from one buffer,
/// misses the cache on every node: at 100,000 keys it alone costs twice the rest of the parse. This
/// is linear probing over one array of entry numbers, sized once for at most `bound` keys.
class FirstKeys {
public:
    explicit FirstKeys(std::size_t bound) {
        std::size_t capacity = 16;
        while (capacity < 2 * bound)
            capacity *= 2;
        slots_.assign(capacity, 0);
        entries_.reserve(bound);
    }

    bool insert(std::size_t level, View key) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t s = (std::hash<View>()(key) ^ level * 0x9E3779B97F4A7C15ull) & mask;;
             s = (s + 1) & mask) {
            if (slots_[s] == 0) {
                entries_.push_back({level, key});
                slots_[s] = entries_.size();
                return true;
            }
            Entry const& entry = entries_[slots_[s] - 1];
            if (entry.level == level && entry.key == key)
                return false;
        }
    }

private:
    struct Entry {
        std::size_t level;
        View key;
    };
    std::vector<std::size_t> slots_; // entry number + 1, 0 when free
    std::vector<Entry> entries_;
};

/// The pairs of a text as the parse keeps them: in text order, the first pair of each key only.
std::vector<Pair> firstPairs(View text) {
    std::vector<Pair> pairs;
    Pair pair;
    PairScanner scanner(text);
    while (scanner.next(pair.key, pair.value))
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

/// Appends, in canonical layout, the pairs of text except the one of the given key, whose value is
/// returned through setAside (empty when there is none). Returns whether a pair was appended. When the
/// caller knows that no key repeats (a text the clean-up has just rewritten), the pairs are streamed.
bool appendPairsExcept(std::string& out, View text, View excludedKey, View& setAside, bool keysAreUnique) {
    setAside = View();
    bool wrote = false;
    auto take = [&](View key, View value) {
        if (key == excludedKey)
            setAside = value;
        else
            appendPair(out, wrote, key, value);
    };
    if (!keysAreUnique) {
        for (Pair const& pair : firstPairs(text))
            take(pair.key, pair.value);
        return wrote;
    }
    View key, value;
    PairScanner scanner(text);
    while (scanner.next(key, value))
        take(key, value);
    return wrote;
}

/// The value of the first pair with the given key, or empty.
View firstValueOf(View text, View wanted) {
    View key, value;
    PairScanner pairs(text);
    while (pairs.next(key, value)) {
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

/// A key path cut into its outermost key (the last part) and the inner path of the parts before it.
/// Empty parts at the very front do not survive into the inner path.
struct SplitPath {
    View outer;
    View inner;
};

SplitPath splitPath(View path) {
    const std::size_t at = path.rfind('@');
    if (at == kNone)
        return {path, View()};
    View inner = path.substr(0, at);
    inner.remove_prefix(std::min(inner.find_first_not_of('@'), inner.size()));
    return {path.substr(at + 1), inner};
}

/// Rewrites text along a key path, level by level from the outermost: the pairs of the level other
/// than the path's key, then that key's pair at the end of the level, opened for the next level. With
/// a new value the innermost pair is written with it; without one (a removal) the innermost pair is
/// left out, and the walk stops at a level that is empty, leaving the pair enclosing it empty.
void rewriteAlongPath(View path, View const* newValue, std::string& text, bool keysAreUnique) {
    const bool removing = newValue == nullptr;
    if (removing && text.empty())
        return;
    std::string out;
    out.reserve(text.size() + path.size() + (removing ? 0 : newValue->size()) + 8);
    View current = text;
    std::size_t opened = 0;
    for (;;) {
        const SplitPath split = splitPath(path);
        View setAside;
        const bool wrote = appendPairsExcept(out, current, split.outer, setAside, keysAreUnique);
        if (removing && split.inner.empty())
            break;
        if (wrote)
            out += ' ';
        out.append(split.outer);
        out += " {";
        ++opened;
        if (!removing && split.inner.empty()) {
            out.append(*newValue);
            break;
        }
        if (removing && setAside.empty())
            break;
        current = setAside;
        path = split.inner;
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
    const std::string path(viewOf(keyPath));
    const std::string newValue(viewOf(value));
    _removeKeyAndValue(path.c_str(), text);
    _removeKeysWithEmptyValues(text);
    // Every level of the text has just been rewritten from the first pair of each key.
    const View newValueView = newValue;
    rewriteAlongPath(path, &newValueView, text, true);
}

void removeKeyAndValue(char const* keyPath, std::string& text) {
    const std::string path(viewOf(keyPath));
    _removeKeyAndValue(path.c_str(), text);
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
    rewriteAlongPath(viewOf(keyPath), nullptr, text, false);
}

void _removeKeysWithEmptyValues(std::string& text) {
    std::string out;
    out.reserve(text.size());
    if (writeWithoutEmptyValues(text, out))
        text = std::move(out);
}

void _insertKeyAndValue(char const* keyPath, char const* value, std::string& text) {
    const View newValue = viewOf(value);
    rewriteAlongPath(viewOf(keyPath), &newValue, text, false);
}

} // namespace tt
