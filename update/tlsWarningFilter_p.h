#pragma once
// Keeps the TLS warnings of the update check off the console without touching the host's own
// logging rules.

namespace orv {

/// Turns the warnings of Qt's "qt.network.ssl" category off through a category filter that first
/// applies the filter installed before it, so every rule the host sets keeps working. Installed once;
/// taken out again when the library is unloaded.
void silenceTlsWarnings();

} // namespace orv
