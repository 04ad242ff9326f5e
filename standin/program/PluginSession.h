#pragma once
// The plugin as the host sees it: loaded by path, its entry points found by name.

#include <string>

/// The plugin's host-facing functions, resolved with dlsym.
struct PluginEntryPoints {
    unsigned char (*simStart)(void*, int) = nullptr;
    void (*simEnd)() = nullptr;
    bool (*init)(bool, int, int, int, const char*, const char*, const char*, const char*, const char*,
                 const char*) = nullptr;
    void (*setHld)(void*) = nullptr;
    void (*run)(int) = nullptr;
    char* (*getAboutStr)(char**) = nullptr;
    char* (*getStringVal)(int) = nullptr;
    int (*getIntVal)(int) = nullptr;
};

/// Loads the host library globally (as a host executable that links it would have it) and then the
/// plugin, and unloads both on destruction.
class PluginSession {
public:
    PluginSession() = default;
    ~PluginSession();
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    /// False with a message in error when a library cannot be loaded or an entry point is missing.
    bool load(const std::string& hostLibraryPath, const std::string& pluginPath, std::string& error);
    const PluginEntryPoints& plugin() const { return _entryPoints; }

private:
    void* _host = nullptr;
    void* _plugin = nullptr;
    PluginEntryPoints _entryPoints;
};
