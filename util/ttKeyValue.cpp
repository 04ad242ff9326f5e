#include "util/ttKeyValue.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
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

/// Walks the pairs of a text in order, duplicates included, in one forward pass: a key runs from the
/// end of the previous pair to the next "{", its value to the matching "}". An opening brace without
/// its match ends the walk.
class PairScanner {
public:
    explicit PairScanner(View text) : text_(text) {}

    bool next(View& key, View& value) {
        const std::size_t open = text_.find('{', pos_);
        if (open == kNone)
            return false;
        const char* data = text_.data();
        std::size_t depth = 1;
        for (std::size_t i = open + 1; i < text_.size(); ++i) {
            if (data[i] == '{') {
                ++depth;
            } else if (data[i] == '}' && --depth == 0) {
                key = trimBlanks(text_.substr(pos_, open - pos_));
                value = trimBlanks(text_.substr(open + 1, i - open - 1));
                pos_ = i + 1;
                return true;
            }
        }
        pos_ = text_.size();
        return false;
    }

private:
    View text_;
    std::size_t pos_ = 0;
};

struct Pair {
    View key;
    View value;
};

std::uint64_t hashOf(View key, std::uint64_t salt = 0) {
    std::uint64_t hash = static_cast<std::uint64_t>(std::hash<View>()(key)) ^ (salt * 0x9E3779B97F4A7C15ull);
    hash ^= hash >> 31;
    hash *= 0x7FB5D329728EA185ull;
    return hash ^ (hash >> 27);
}

/// A slot of the table of findRepeats: part of the hash of the first entry seen there and the index
/// of that entry plus one (0 when free). Narrow slots halve the table for all but giant inputs.
template <typename Half> struct Slot {
    Half tag;
    Half entry;
};

/// Calls onRepeat(i) for every entry i (of count) whose key repeats an earlier one, given the hash of
/// each entry and equal(earlier, later). One open-addressing table sized for all entries; the slot of
/// a later entry is fetched ahead of its probe, so large texts do not wait on memory for every key.
template <typename Half, typename Hash, typename Equal, typename OnRepeat>
void findRepeatsWith(std::size_t count, Hash hash, Equal equal, OnRepeat onRepeat) {
    constexpr std::size_t kAhead = 8;
    std::size_t capacity = 16;
    while (capacity < 2 * count)
        capacity *= 2;
    const std::size_t mask = capacity - 1;
    std::vector<Slot<Half>> slots(capacity, Slot<Half>{0, 0});
    std::uint64_t ahead[kAhead];
    for (std::size_t i = 0; i < kAhead && i < count; ++i)
        ahead[i] = hash(i);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t h = ahead[i % kAhead];
        if (i + kAhead < count) {
            ahead[i % kAhead] = hash(i + kAhead);
            __builtin_prefetch(&slots[ahead[i % kAhead] & mask]);
        }
        const Half tag = static_cast<Half>(h >> 32);
        for (std::size_t s = h & mask;; s = (s + 1) & mask) {
            Slot<Half>& slot = slots[s];
            if (slot.entry == 0) {
                slot = {tag, static_cast<Half>(i + 1)};
                break;
            }
            if (slot.tag == tag && equal(static_cast<std::size_t>(slot.entry - 1), i)) {
                onRepeat(i);
                break;
            }
        }
    }
}

template <typename Hash, typename Equal, typename OnRepeat>
void findRepeats(std::size_t count, Hash hash, Equal equal, OnRepeat onRepeat) {
    if (count < 2)
        return;
    if (count < UINT32_MAX)
        findRepeatsWith<std::uint32_t>(count, hash, equal, onRepeat);
    else
        findRepeatsWith<std::uint64_t>(count, hash, equal, onRepeat);
}

/// The pairs of a text as the parse keeps them: in text order, the first pair of each key only.
std::vector<Pair> uniquePairs(View text) {
    std::vector<Pair> pairs;
    Pair pair;
    PairScanner scanner(text);
    while (scanner.next(pair.key, pair.value))
        pairs.push_back(pair);
    std::vector<std::size_t> repeats; // ascending; rare in practice
    findRepeats(
        pairs.size(), [&pairs](std::size_t i) { return hashOf(pairs[i].key); },
        [&pairs](std::size_t a, std::size_t b) { return pairs[a].key == pairs[b].key; },
        [&repeats](std::size_t i) { repeats.push_back(i); });
    if (repeats.empty())
        return pairs;
    std::size_t kept = 0, next = 0;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (next < repeats.size() && repeats[next] == i)
            ++next;
        else
            pairs[kept++] = pairs[i];
    }
    pairs.resize(kept);
    return pairs;
}

void appendPair(std::string& out, bool& wrote, View key, View value) {
    if (wrote)
        out += ' ';
    wrote = true;
    out.append(key.data(), key.size());
    out += " {";
    out.append(value.data(), value.size());
    out += '}';
}

/// Appends, in canonical layout, every pair of text except the one of the given key, whose value is
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
    if (keysAreUnique) {
        View key, value;
        PairScanner scanner(text);
        while (scanner.next(key, value))
            take(key, value);
        return wrote;
    }
    for (Pair const& pair : uniquePairs(text))
        take(pair.key, pair.value);
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

/// One pair of the brace tree of a text, in the order of its opening brace.
struct Node {
    View key;
    View value;
    std::size_t parent;  // kNone at the top level
    std::size_t end = 0; // one past the index of the last pair nested in it
    bool duplicate = false;
    bool hasChildren = false;
    bool hasNonEmptyChild = false;
    bool empty = false;
};

/// Flags the pairs whose key repeats an earlier key of the same level, and which pairs hold others.
void markDuplicates(std::vector<Node>& nodes) {
    findRepeats(
        nodes.size(), [&nodes](std::size_t i) { return hashOf(nodes[i].key, nodes[i].parent + 1); },
        [&nodes](std::size_t a, std::size_t b) {
            return nodes[a].parent == nodes[b].parent && nodes[a].key == nodes[b].key;
        },
        [&nodes](std::size_t i) { nodes[i].duplicate = true; });
    for (Node const& node : nodes) {
        if (node.parent != kNone)
            nodes[node.parent].hasChildren = true;
    }
}

/// Every pair of a text at every depth, built in one pass with an explicit stack, so that deep nesting
/// costs neither stack space nor repeated scans. Pairs of an unclosed top-level brace are dropped.
std::vector<Node> buildTree(View text) {
    struct Open {
        std::size_t node;
        std::size_t valueStart;
        std::size_t nextKey; // where the key of the next pair inside the value starts
    };
    std::vector<Node> nodes;
    nodes.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '{')));
    std::vector<Open> open;
    std::size_t topNextKey = 0;
    const char* data = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (data[i] == '{') {
            std::size_t& keyStart = open.empty() ? topNextKey : open.back().nextKey;
            Node node;
            node.key = trimBlanks(text.substr(keyStart, i - keyStart));
            node.parent = open.empty() ? kNone : open.back().node;
            open.push_back({nodes.size(), i + 1, i + 1});
            nodes.push_back(node);
            continue;
        }
        if (data[i] != '}' || open.empty())
            continue; // a stray "}" between top-level pairs belongs to the next key
        const Open closed = open.back();
        open.pop_back();
        Node& node = nodes[closed.node];
        node.value = trimBlanks(text.substr(closed.valueStart, i - closed.valueStart));
        node.end = nodes.size();
        (open.empty() ? topNextKey : open.back().nextKey) = i + 1;
    }
    if (!open.empty())
        nodes.resize(open.front().node);
    markDuplicates(nodes);
    return nodes;
}

/// Marks the pairs whose value is empty once the pairs with empty values inside it are gone.
void markEmptyValues(std::vector<Node>& nodes) {
    for (std::size_t i = nodes.size(); i-- > 0;) {
        Node& node = nodes[i];
        if (node.duplicate)
            continue;
        node.empty = node.value.empty() || (node.hasChildren && !node.hasNonEmptyChild);
        if (!node.empty && node.parent != kNone)
            nodes[node.parent].hasNonEmptyChild = true;
    }
}

/// Writes the kept pairs in canonical layout; a value without pairs is copied as it is.
std::string writeTree(std::vector<Node> const& nodes, std::size_t sizeHint) {
    struct Level {
        std::size_t end;
        bool wrote;
    };
    std::string out;
    out.reserve(sizeHint);
    std::vector<Level> levels{{nodes.size(), false}};
    std::size_t i = 0;
    for (;;) {
        while (levels.size() > 1 && i >= levels.back().end) {
            out += '}';
            levels.pop_back();
        }
        if (i >= nodes.size())
            break;
        Node const& node = nodes[i];
        if (node.duplicate || node.empty) {
            i = node.end;
            continue;
        }
        if (!node.hasChildren) {
            appendPair(out, levels.back().wrote, node.key, node.value);
            i = node.end;
            continue;
        }
        if (levels.back().wrote)
            out += ' ';
        levels.back().wrote = true;
        out.append(node.key.data(), node.key.size());
        out += " {";
        levels.push_back({node.end, false});
        ++i;
    }
    return out;
}

/// The insertion step; keysAreUnique skips the search for repeated keys in a text known to have none.
void insertAlongPath(View path, View newValue, std::string& text, bool keysAreUnique) {
    std::string out;
    out.reserve(text.size() + path.size() + newValue.size() + 8);
    View current = text;
    std::size_t opened = 0;
    for (;;) {
        const SplitPath split = splitPath(path);
        View setAside;
        if (appendPairsExcept(out, current, split.outer, setAside, keysAreUnique))
            out += ' ';
        out.append(split.outer.data(), split.outer.size());
        out += " {";
        ++opened;
        if (split.inner.empty())
            break;
        current = setAside;
        path = split.inner;
    }
    out.append(newValue.data(), newValue.size());
    out.append(opened, '}');
    text = std::move(out);
}

} // namespace

int getAllKeyValuePairs(char const* text, std::vector<std::string>& keys, std::vector<std::string>& values) {
    // A copy, since the text may be one of the strings about to be cleared.
    const std::string copy(viewOf(text));
    const std::vector<Pair> pairs = uniquePairs(copy);
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
    insertAlongPath(path, newValue, text, true);
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
    if (text.empty())
        return;
    std::string out;
    out.reserve(text.size());
    View current = text;
    View path = viewOf(keyPath);
    std::size_t opened = 0;
    for (;;) {
        const SplitPath split = splitPath(path);
        View setAside;
        bool wrote = appendPairsExcept(out, current, split.outer, setAside, false);
        if (split.inner.empty())
            break;
        // The enclosing pair goes to the end of its level, also when it is new (and so empty).
        if (wrote)
            out += ' ';
        out.append(split.outer.data(), split.outer.size());
        out += " {";
        ++opened;
        if (setAside.empty())
            break;
        current = setAside;
        path = split.inner;
    }
    out.append(opened, '}');
    text = std::move(out);
}

void _removeKeysWithEmptyValues(std::string& text) {
    if (text.empty())
        return;
    std::vector<Node> nodes = buildTree(text);
    if (nodes.empty())
        return;
    markEmptyValues(nodes);
    text = writeTree(nodes, text.size());
}

void _insertKeyAndValue(char const* keyPath, char const* value, std::string& text) {
    insertAlongPath(viewOf(keyPath), viewOf(value), text, false);
}

} // namespace tt
