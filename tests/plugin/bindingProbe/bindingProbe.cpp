// Loads the host library into the global symbol scope first, as a host executable that links it
// has it, then the plugin, and reports whether the plugin's slots were bound to the plugin itself.
// Usage: bindingProbe <plugin>   (run in a folder holding zadodiredi.dylib)
#include <cstdio>
#include <dlfcn.h>

int main(int argc, char** argv) {
    if (argc != 2)
        return 64;
    void* host = dlopen("./zadodiredi.dylib", RTLD_NOW | RTLD_GLOBAL);
    if (host == nullptr)
        return 65;
    void* plugin = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (plugin == nullptr)
        return 66;
    auto start = reinterpret_cast<unsigned char (*)(void*, int)>(dlsym(plugin, "simStart"));
    auto end = reinterpret_cast<void (*)()>(dlsym(plugin, "simEnd"));
    // Looked up through the plugin's handle, these are the plugin's own variables.
    auto slot = static_cast<void**>(dlsym(plugin, "simGetIntegerParameter"));
    auto flavor = static_cast<int*>(dlsym(plugin, "simFlavor"));
    if (start == nullptr || end == nullptr || slot == nullptr || flavor == nullptr)
        return 67;
    const int started = start(nullptr, 0);
    std::printf("started=%d slotIsPluginVariable=%d slotHoldsHostFunction=%d flavor=%d\n", started,
                static_cast<void*>(slot) != dlsym(host, "simGetIntegerParameter"),
                *slot == dlsym(host, "simGetIntegerParameter"), *flavor);
    end();
    dlclose(plugin);
    dlclose(host);
    return 0;
}
