#pragma once
// The calls a host makes on the plugin that more than one part of the stand-in host needs.

#include "PluginSession.h"
#include "StandinOptions.h"

#include <string>

/// Takes a text the plugin handed over and releases it with delete[], as the host must.
std::string takeText(char* text);

/// "major.minor.patch" of a version number major*10000 + minor*100 + patch.
std::string versionText(int version);

/// orvPlugin_init with the edition and host version data of options.
void initialisePlugin(const PluginEntryPoints& plugin, const StandinOptions& options);
