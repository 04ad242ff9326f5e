#pragma once
// What the update check prints, with the maker's address chosen at build time (each test folder
// that includes this defines ORV_TEST_MAKER_WEB_ADDRESS).

#include <string>

namespace orvtest {

inline const std::string kMaker = ORV_TEST_MAKER_WEB_ADDRESS;
inline const std::string kChecking = "Checking for an updated Zembrix version...\n";
inline const std::string kUpToDate = "This Zembrix version is up-to-date.\n";
inline const std::string kFailed =
    "Failed checking whether this Zembrix version is up-to-date.\nPlease visit " + kMaker +
    " to verify\nthat you are running the last Zembrix version.\n";
/// The end of every notice.
inline const std::string kClosing = "\n\nPlease visit " + kMaker + " to download the last Zembrix version.";

} // namespace orvtest
