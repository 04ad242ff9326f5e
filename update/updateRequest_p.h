#pragma once
// The update request: which server it goes to and what its URL carries.

#include <cstdint>
#include <string>

namespace orv {

/// What the update request tells the server, in the order of its query keys.
struct UpdateQuery {
    std::uint64_t idHash = 0; ///< key a
    int edition = -1;         ///< key b
    int version = 0;          ///< key c
    int revision = 0;         ///< key d
    bool flagE = false;       ///< key e
    bool flagF = false;       ///< key f
    std::string idString;     ///< key h, sent as it is
};

/// The update server's base address: ORV_UPDATE_SERVER when set and not empty, else the one chosen
/// at build time; trailing slashes removed.
std::string updateServerBase();

/// base + "/lastZembrixVersion.txt?" + the query keys a to h and info, in that order.
std::string updateRequestUrl(const std::string& base, const UpdateQuery& query);

} // namespace orv
