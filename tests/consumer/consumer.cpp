// Uses the installed library as a caller would: the host entry points and a few services.
#include "plugin/orvPlugin.h"

#include <cstdio>
#include <string>

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        ++failures;
    }
}

std::string take(char* text) {
    std::string copy = text != nullptr ? text : "";
    delete[] text;
    return copy;
}

} // namespace

int main() {
    check(orvPlugin_getIntVal(2) == -1, "custom edition before init");
    orvPlugin_init(false, 1, 40000, 1, "4.0.0", "1", "23", "GCC", "Jan 10 2020", "5.15");
    check(take(orvPlugin_getStringVal(2)) == "Zembrix Quelt", "product name");
    check(orvPlugin_getIntVal(2) == 1, "edition code");
    check(simMessage(0, nullptr, nullptr, nullptr) == nullptr, "simMessage");
    std::printf("consumer: %s\n", failures == 0 ? "all checks passed" : "some checks failed");
    return failures == 0 ? 0 : 1;
}
