#pragma once
// The anonymous installation identifier that the update request carries.

#include <cstdint>
#include <string>

namespace orv {

/// An identifier that stays the same on one machine and reveals nothing about it.
struct InstallationId {
    std::uint64_t hash = 0; ///< the first 8 bytes of the digest, most significant first
    std::string text;       ///< the same 8 bytes as 16 upper-case hexadecimal digits
};

/// The identifier derived from a machine id through SHA-256 with the project's fixed salt.
InstallationId installationIdFrom(const std::string& machineId);

/// The text the identifier is made from: the machine id, or the host name when the machine id is
/// missing, blank or systemd's placeholder "uninitialized".
std::string identifyingText(const std::string& machineId, const std::string& hostName);

/// This machine's identifier: from its unique id, or from its host name when it has none.
InstallationId currentInstallationId();

} // namespace orv
