// Key-value strings from outside text: the first line is a key path, the rest the text.
#include "util/ttKeyValue.h"
#include "util/ttNames.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool plainWord(const std::string& word) {
    std::string trimmed = word;
    return word.find_first_of("{}@") == std::string::npos && tt::removeSpacesAtBeginningAndEnd(trimmed) &&
           trimmed == word;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string all = input.c_str(); // the functions read C strings
    const std::size_t lineEnd = all.find('\n');
    const std::string path = all.substr(0, lineEnd);
    const std::string text = lineEnd == std::string::npos ? std::string() : all.substr(lineEnd + 1);

    // Writing the parsed pairs back and parsing again gives the same pairs.
    std::vector<std::string> keys, values, keysAgain, valuesAgain;
    const int count = tt::getAllKeyValuePairs(text.c_str(), keys, values);
    if (count != static_cast<int>(keys.size()) || keys.size() != values.size())
        std::abort();
    tt::getAllKeyValuePairs(tt::generateKeyValuePairs(keys, values).c_str(), keysAgain, valuesAgain);
    if (keysAgain != keys || valuesAgain != values)
        std::abort();

    std::string value = "unchanged";
    if (!tt::getValueOfKey(path.c_str(), text.c_str(), value) && value != "unchanged")
        std::abort();

    // A removal leaves a canonical text that the clean-up no longer changes.
    std::string edited = text;
    tt::removeKeyAndValue(path.c_str(), edited);
    std::string cleaned = edited;
    tt::_removeKeysWithEmptyValues(cleaned);
    if (cleaned != edited)
        std::abort();

    // An inserted plain value is found again under its plain key.
    const std::string newValue = "v 1";
    edited = text;
    tt::insertKeyAndValue(path.c_str(), newValue.c_str(), edited);
    if (plainWord(path) && (!tt::getValueOfKey(path.c_str(), edited.c_str(), value) || value != newValue))
        std::abort();
    return 0;
}
