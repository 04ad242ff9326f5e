// The update server's reply is outside input: whatever it holds, reading it and composing the
// notice must neither fail nor let a control character through to the console.
#include "update/updateReply_p.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Only line feeds (the notice's own line breaks) and tabs may remain below the blank.
void requireNoControlCharacters(const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 32 && byte != '\n' && byte != '\t') || byte == 127)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    const orv::UpdateReply reply = orv::parseUpdateReply(body);
    requireNoControlCharacters(reply.revisions);
    requireNoControlCharacters(reply.changes);
    const int older = reply.latestVersion == INT_MIN ? reply.latestVersion : reply.latestVersion - 1;
    for (const int running : {0, 40000, reply.latestVersion, older}) {
        const std::string notice = orv::composeUpdateNotice(reply, running, 0, "https://maker.test");
        requireNoControlCharacters(notice);
        // A notice is composed exactly when the reply announces something newer.
        const bool newer =
            reply.latestVersion > running || (reply.latestVersion == running && reply.latestRevision > 0);
        if (notice.empty() == newer)
            std::abort();
    }
    return 0;
}
