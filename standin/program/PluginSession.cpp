#include "PluginSession.h"

#include <dlfcn.h>

namespace {

template <typename Fn> bool resolve(void* library, const char* name, Fn& function, std::string& error) {
    function = reinterpret_cast<Fn>(dlsym(library, name));
    if (function == nullptr)
        error = std::string("the plugin does not export ") + name;
    return function != nullptr;
}

std::string lastDlError() {
    const char* text = dlerror();
    return text != nullptr ? text : "unknown error";
}

} // namespace

PluginSession::~PluginSession() {
    if (_plugin != nullptr)
        dlclose(_plugin);
    if (_host != nullptr)
        dlclose(_host);
}

bool PluginSession::load(const std::string& hostLibraryPath, const std::string& pluginPath,
                         std::string& error) {
    _host = dlopen(hostLibraryPath.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (_host == nullptr) {
        error = "cannot load the host library: " + lastDlError();
        return false;
    }
    _plugin = dlopen(pluginPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (_plugin == nullptr) {
        error = "cannot load the plugin: " + lastDlError();
        return false;
    }
    PluginEntryPoints& p = _entryPoints;
    return resolve(_plugin, "simStart", p.simStart, error) && resolve(_plugin, "simEnd", p.simEnd, error) &&
           resolve(_plugin, "orvPlugin_init", p.init, error) &&
           resolve(_plugin, "orvPlugin_setHld", p.setHld, error) &&
           resolve(_plugin, "orvPlugin_run", p.run, error) &&
           resolve(_plugin, "orvPlugin_getAboutStr", p.getAboutStr, error) &&
           resolve(_plugin, "orvPlugin_getStringVal", p.getStringVal, error) &&
           resolve(_plugin, "orvPlugin_getIntVal", p.getIntVal, error);
}
