#include "util/ttKeyValue.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string_view>
#include <unordered_set>
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
        std::size_t depth = 1;
        for (std::size_t i = text_.find_first_of("{}", open + 1); i != kNone;
             i = text_.find_first_of("{}", i + 1)) {
            if (text_[i] == '{') {
                ++depth;
                continue;
            }
            if (--depth > 0)
                continue;
            key = trimBlanks(text_.substr(pos_, open - pos_));
            value = trimBlanks(text_.substr(open + 1, i - open - 1));
            pos_ = i + 1;
            return true;
        }
        pos_ = text_.size();
        return false;
    }

private:
    View text_;
    std::size_t pos_ = 0;
};

/// The pairs of a text as the parse keeps them: the first pair of each key only.
class UniquePairs {
public:
    explicit UniquePairs(View text) : scanner_(text) {}

    bool next(View& key, View& value) {
        while (scanner_.next(key, value)) {
            if (seen_.insert(key).second)
                return true;
        }
        return false;
    }

private:
    PairScanner scanner_;
    std::unordered_set<View> seen_;
};

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
/// returned through setAside (empty when there is none). Returns whether a pair was appended.
bool appendPairsExcept(std::string& out, View text, View excludedKey, View& setAside) {
    setAside = View();
    bool wrote = false;
    View key, value;
    UniquePairs pairs(text);
    while (pairs.next(key, value)) {
        if (key == excludedKey)
            setAside = value;
        else
            appendPair(out, wrote, key, value);
    }
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
    std::size_t parent; // kNone at the top level
    std::size_t valueStart;
    std::size_t nextKey; // where the key of the next pair inside the value starts
    std::size_t end = 0; // one past the index of the last pair nested in it
    std::size_t children = 0;
    std::size_t nonEmptyChildren = 0;
    bool duplicate = false;
    bool empty = false;
};

struct ParentAndKey {
    std::size_t parent;
    View key;
    bool operator==(ParentAndKey const& other) const { return parent == other.parent && key == other.key; }
};

struct ParentAndKeyHash {
    std::size_t operator()(ParentAndKey const& entry) const {
        return std::hash<View>()(entry.key) ^ (entry.parent * 0x9E3779B97F4A7C15ull);
    }
};

/// Every pair of a text at every depth, built in one pass with an explicit stack, so that deep nesting
/// costs neither stack space nor repeated scans. Pairs of an unclosed top-level brace are dropped.
std::vector<Node> buildTree(View text) {
    std::vector<Node> nodes;
    std::vector<std::size_t> open;
    std::unordered_set<ParentAndKey, ParentAndKeyHash> seen;
    std::size_t topNextKey = 0;
    for (std::size_t i = text.find_first_of("{}"); i != kNone; i = text.find_first_of("{}", i + 1)) {
        if (text[i] == '{') {
            const std::size_t parent = open.empty() ? kNone : open.back();
            const std::size_t keyStart = parent == kNone ? topNextKey : nodes[parent].nextKey;
            Node node;
            node.key = trimBlanks(text.substr(keyStart, i - keyStart));
            node.parent = parent;
            node.valueStart = i + 1;
            node.nextKey = i + 1;
            node.duplicate = !seen.insert({parent, node.key}).second;
            if (!node.duplicate && parent != kNone)
                ++nodes[parent].children;
            open.push_back(nodes.size());
            nodes.push_back(node);
            continue;
        }
        if (open.empty())
            continue; // a stray "}" between top-level pairs belongs to the next key
        Node& node = nodes[open.back()];
        open.pop_back();
        node.value = trimBlanks(text.substr(node.valueStart, i - node.valueStart));
        node.end = nodes.size();
        if (node.parent == kNone)
            topNextKey = i + 1;
        else
            nodes[node.parent].nextKey = i + 1;
    }
    if (!open.empty())
        nodes.resize(open.front());
    return nodes;
}

/// Marks the pairs whose value is empty once the pairs with empty values inside it are gone.
void markEmptyValues(std::vector<Node>& nodes) {
    for (std::size_t i = nodes.size(); i-- > 0;) {
        Node& node = nodes[i];
        if (node.duplicate)
            continue;
        node.empty = node.value.empty() || (node.children > 0 && node.nonEmptyChildren == 0);
        if (!node.empty && node.parent != kNone)
            ++nodes[node.parent].nonEmptyChildren;
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
        if (node.children == 0) {
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

} // namespace

int getAllKeyValuePairs(char const* text, std::vector<std::string>& keys, std::vector<std::string>& values) {
    keys.clear();
    values.clear();
    View key, value;
    UniquePairs pairs(viewOf(text));
    while (pairs.next(key, value)) {
        keys.emplace_back(key);
        values.emplace_back(value);
    }
    return static_cast<int>(keys.size());
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
    _insertKeyAndValue(path.c_str(), newValue.c_str(), text);
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
    return static_cast<int>(words.size());
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
        bool wrote = appendPairsExcept(out, current, split.outer, setAside);
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
    const View newValue = viewOf(value);
    std::string out;
    out.reserve(text.size() + newValue.size() + 8);
    View current = text;
    View path = viewOf(keyPath);
    std::size_t opened = 0;
    for (;;) {
        const SplitPath split = splitPath(path);
        View setAside;
        bool wrote = appendPairsExcept(out, current, split.outer, setAside);
        if (wrote)
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

} // namespace tt
