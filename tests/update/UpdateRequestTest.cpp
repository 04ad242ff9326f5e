// The update request's address: the server's base, which the environment may replace, and the query
// keys in their fixed order.
#include "update/updateRequest_p.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

namespace {

TEST(UpdateRequest, UrlCarriesTheServerAndTheQueryKeysInOrder) {
    const std::string builtIn = ORV_TEST_DEFAULT_UPDATE_SERVER "/lastZembrixVersion.txt?";
    const orv::UpdateQuery known{123, 1, 40100, 2, false, false, "ABC"};
    const std::string knownText = "a=123&b=1&c=40100&d=2&e=0&f=0&g=2&h=ABC&info=anonymizedData";
    const struct {
        const char* variable; // ORV_UPDATE_SERVER; null: unset
        orv::UpdateQuery query;
        std::string url;
    } rows[] = {
        // clang-format off
        {nullptr, known, builtIn + knownText},
        {"", {std::numeric_limits<std::uint64_t>::max(), -1, -40000, -2147483647 - 1, true, true, "0123456789ABCDEF"},
         builtIn + "a=18446744073709551615&b=-1&c=-40000&d=-2147483648&e=1&f=1&g=2&h=0123456789ABCDEF&info=anonymizedData"},
        // The identifier is not escaped.
        {"https://mirror.example/updates", {7, 1, 40000, 1, true, false, "a b&c"},
         "https://mirror.example/updates/lastZembrixVersion.txt?a=7&b=1&c=40000&d=1&e=1&f=0&g=2&h=a b&c&info=anonymizedData"},
        {"http://127.0.0.1:4567//", known, "http://127.0.0.1:4567/lastZembrixVersion.txt?" + knownText},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.variable != nullptr ? row.variable : "unset");
        row.variable == nullptr ? unsetenv("ORV_UPDATE_SERVER")
                                : setenv("ORV_UPDATE_SERVER", row.variable, 1);
        EXPECT_EQ(row.url, orv::updateRequestUrl(orv::updateServerBase(), row.query));
    }
    unsetenv("ORV_UPDATE_SERVER"); // the scenarios set it in their own processes
}

} // namespace
