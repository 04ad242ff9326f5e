// A stand-in program for the process tests: writes its working folder and then each argument in
// brackets, one per line, to the file named by ORV_ARG_RECORD (through a temporary file that is
// renamed at the end, so the whole record appears at once).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    const char* target = std::getenv("ORV_ARG_RECORD");
    if (target == nullptr)
        return 2;
    char folder[8192];
    if (getcwd(folder, sizeof(folder)) == nullptr)
        return 3;
    const std::string part = std::string(target) + ".part";
    std::FILE* out = std::fopen(part.c_str(), "wb");
    if (out == nullptr)
        return 4;
    std::fprintf(out, "%s\n", folder);
    for (int i = 1; i < argc; ++i)
        std::fprintf(out, "[%s]\n", argv[i]);
    const bool written = std::fclose(out) == 0;
    return written && std::rename(part.c_str(), target) == 0 ? 0 : 5;
}
