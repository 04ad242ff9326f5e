#pragma once
// The stand-in host's part of the update check: the server it points the plugin at and the
// commands and event loop that drive the check, as the simulator does.

#include "LoopbackUpdateServer.h"
#include "PluginSession.h"
#include "StandinOptions.h"

/// Sets the update check's switch as --update-check asks and reports it; points the plugin at the
/// named update server, or starts the loopback server with the chosen reply; false with a message on
/// standard error when that fails.
bool startUpdateServer(const StandinOptions& options, orvstandin::LoopbackUpdateServer& server);

/// Runs the event loop until the plugin has recorded a check in the working folder's timestamp file
/// or the check's time-out has surely passed; true when the check was recorded. A check counts once,
/// however many requests a redirect or a retried connection made for it.
bool waitForRecordedCheck();

/// Commands 4 and 6, the event loop until the check is recorded or its time-out has surely passed
/// (or why no check was made), key 9 twice, command 5; then what the loopback server received (when
/// it was used).
void driveUpdateCheck(const PluginEntryPoints& plugin, const StandinOptions& options,
                      const orvstandin::LoopbackUpdateServer& server);
