#include "simLib/simLib.h"

#include "simLib/hostApiTable_p.h"

#include <cstdio>
#include <dlfcn.h>

LIBRARY loadSimLibrary(const char* path) {
    // dlopen takes a null or empty path as the main program, which is no library at that path.
    if (path == nullptr || *path == '\0')
        return nullptr;
    return dlopen(path, RTLD_LAZY);
}

void unloadSimLibrary(LIBRARY lib) {
    if (lib != nullptr)
        dlclose(lib);
}

void* _getProcAddress(LIBRARY lib, const char* funcName) {
    if (lib == nullptr || funcName == nullptr)
        return nullptr;
    return dlsym(lib, funcName);
}

int getSimProcAddresses(LIBRARY lib) {
    const orv::HostApiEntry* entries = orv::hostApiEntries();
    // Every lookup is made first, whatever its result.
    for (std::size_t i = 0; i < orv::kHostApiCount; ++i)
        entries[i].bind(_getProcAddress(lib, entries[i].name));

    const std::size_t* order = orv::hostApiTestOrder();
    for (std::size_t i = 0; i < orv::kHostApiCount; ++i) {
        const orv::HostApiEntry& entry = entries[order[i]];
        if (!entry.isBound()) {
            std::printf("Could not find function %s\n", entry.name);
            return 0;
        }
    }
    return 1;
}
