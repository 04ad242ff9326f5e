#pragma once
// Reading the update server's reply and composing the notice shown to the user. Plain functions,
// free of any network, so that tests and fuzzers can call them on any text.

#include <cstdint>
#include <string>

namespace orv {

/// The largest reply body the update check accepts (1 MiB); a longer one fails the check.
constexpr std::int64_t kMaxUpdateReplyBytes = 1 << 20;

/// What a reply announces: the latest release and the lines describing it.
struct UpdateReply {
    int latestVersion = 0; ///< major*10000 + minor*100 + patch
    int latestRevision = 0;
    std::string revisions; ///< the "rev..." lines, whole, joined by "\n"
    std::string changes;   ///< the "change..." lines without their first word, trimmed, joined by "\n"
};

/// Parses a reply body line by line: "last: <version> rev<revision>", "rev..." and "change..." lines.
/// Control characters are dropped from the revision and change lines.
UpdateReply parseUpdateReply(const std::string& body);

/// text without the bytes 0 to 31 other than tab, and without 127: nothing that steers a terminal.
std::string withoutControlCharacters(const std::string& text);

/// "major.minor.patch" of a version number major*10000 + minor*100 + patch.
std::string versionString(int version);

/// The new-version or bug-fix notice for what the reply announces to the running version and
/// revision; empty when the reply announces nothing newer.
std::string composeUpdateNotice(const UpdateReply& reply, int version, int revision,
                                const std::string& makerWebAddress);

/// Printed after a successful check that found nothing newer.
std::string upToDateText();

/// Printed after a failed check.
std::string failedCheckText(const std::string& makerWebAddress);

} // namespace orv
