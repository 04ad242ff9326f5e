// Lines and words taken off outside text, the way the update reply is read: every extraction ends,
// takes something off the text, and gives back no more than was there.
#include "util/CTTUtil.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

using Extractor = bool (*)(std::string&, std::string&);

// Takes pieces off text until the extractor says no more; each step must shrink the text.
void drain(std::string text, Extractor extract, char separator) {
    const std::size_t size = text.size();
    std::size_t taken = 0;
    std::string piece;
    while (!text.empty()) {
        const std::size_t before = text.size();
        const bool found = extract(text, piece);
        check(text.size() < before || !found);
        check(piece.find(separator) == std::string::npos);
        taken += piece.size();
        if (text.size() == before)
            break;
    }
    check(taken <= size);
}

bool line(std::string& text, std::string& piece) {
    return CTTUtil::extractLine(text, piece);
}
bool blankWord(std::string& text, std::string& piece) {
    return CTTUtil::extractSpaceSeparatedWord(text, piece);
}
bool commaWord(std::string& text, std::string& piece) {
    return CTTUtil::extractCommaSeparatedWord(text, piece);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    drain(text, line, '\n');
    drain(text, blankWord, ' ');
    drain(text, commaWord, ',');

    std::string trimmed = text;
    const bool left = CTTUtil::removeSpacesAtBeginningAndEnd(trimmed);
    check(left == !trimmed.empty());
    check(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));

    // Replacing a word by itself changes nothing; by anything, it always ends.
    const std::string word = text.substr(0, size % 4);
    std::string same = text;
    CTTUtil::replaceWordInLine(same, word, word);
    check(same == text);
    std::string grown = text;
    CTTUtil::replaceWordInLine(grown, word, "x" + word + word);
    return 0;
}
