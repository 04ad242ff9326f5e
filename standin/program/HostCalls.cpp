#include "HostCalls.h"

#include <QtGlobal>

std::string takeText(char* text) {
    std::string copy = text != nullptr ? text : "";
    delete[] text;
    return copy;
}

std::string versionText(int version) {
    return std::to_string(version / 10000) + "." + std::to_string(version / 100 % 100) + "." +
           std::to_string(version % 100);
}

void initialisePlugin(const PluginEntryPoints& plugin, const StandinOptions& options) {
    const std::string version = versionText(options.hostVersion);
    const std::string revision = "(rev " + std::to_string(options.hostRevision) + ")";
    const std::string qt = qVersion();
    plugin.init(false, options.edition, options.hostVersion, options.hostRevision, version.c_str(),
                revision.c_str(), "23", "GCC", "Dec  6 2026", qt.c_str());
}
