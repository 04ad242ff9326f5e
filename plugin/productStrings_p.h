#pragma once
// The product's identity texts for the edition in simFlavor.

#include <string>

namespace orv {

/// The About box title.
std::string aboutTitle();
/// The About text built from the host's version data.
std::string aboutText();
/// The product string for key; empty for keys without a value (key 9 hands out the kept update notice).
std::string productString(int key);

} // namespace orv
