#pragma once
// The stand-in host's long run: cycle after cycle of initialisation, every query and a full update
// check, to show that nothing leaks and that resident memory stays flat.

#include "LoopbackUpdateServer.h"
#include "PluginSession.h"
#include "StandinOptions.h"

/// Runs options.soakCycles cycles of orvPlugin_init, every query (each text released with delete[])
/// and commands 4, 6 and 5 against the loopback server, the timestamp file removed before each
/// check so that each one sends; prints the figures. 0 when every check was answered and recorded.
int runSoak(const PluginEntryPoints& plugin, const StandinOptions& options,
            orvstandin::LoopbackUpdateServer& server);
