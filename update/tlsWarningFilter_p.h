#pragma once
// Keeps the TLS warnings of the update check off the console without touching the host's own
// logging rules.

namespace orv {

/// Turns the warnings of Qt's "qt.network.ssl" category off through a category filter that first
/// applies the filter installed before it, so every rule the host sets keeps working.
void silenceTlsWarnings();

/// Turns them on again as the host's rules say: takes the filter out of Qt when it is still the
/// installed one; when another filter was installed over it, leaves it there, passing every category
/// on, and keeps the library mapped for the life of the process. Called when the update check's request
/// ends (its result recorded, or its checker destroyed), before the host unloads the library.
void endTlsSilencing();

} // namespace orv
