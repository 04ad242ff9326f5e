// The update request's address: the server's base and the query keys in their fixed order.
#include "update/updateRequest_p.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

namespace {

TEST(UpdateRequest, UrlCarriesTheQueryKeysInOrder) {
    const struct {
        const char* name;
        orv::UpdateQuery query;
        const char* queryText;
    } rows[] = {
        // clang-format off
        {"a known identifier", {123, 1, 40100, 2, false, false, "ABC"},
         "a=123&b=1&c=40100&d=2&e=0&f=0&g=2&h=ABC&info=anonymizedData"},
        {"the largest hash, negative numbers and both flags",
         {std::numeric_limits<std::uint64_t>::max(), -1, -40000, -2147483647 - 1, true, true, "0123456789ABCDEF"},
         "a=18446744073709551615&b=-1&c=-40000&d=-2147483648&e=1&f=1&g=2&h=0123456789ABCDEF&info=anonymizedData"},
        {"one flag, an identifier not escaped", {7, 1, 40000, 1, true, false, "a b&c"},
         "a=7&b=1&c=40000&d=1&e=1&f=0&g=2&h=a b&c&info=anonymizedData"},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(std::string("http://127.0.0.1:8080/lastZembrixVersion.txt?") + row.queryText,
                  orv::updateRequestUrl("http://127.0.0.1:8080", row.query));
    }
}

TEST(UpdateRequest, TheEnvironmentReplacesTheBuiltInServer) {
    const struct {
        const char* variable; // null: unset
        std::string base;
    } rows[] = {
        {nullptr, ORV_TEST_DEFAULT_UPDATE_SERVER},
        {"", ORV_TEST_DEFAULT_UPDATE_SERVER},
        {"https://mirror.example/updates", "https://mirror.example/updates"},
        {"http://127.0.0.1:4567//", "http://127.0.0.1:4567"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.variable != nullptr ? row.variable : "unset");
        row.variable == nullptr ? unsetenv("ORV_UPDATE_SERVER")
                                : setenv("ORV_UPDATE_SERVER", row.variable, 1);
        EXPECT_EQ(row.base, orv::updateServerBase());
    }
    unsetenv("ORV_UPDATE_SERVER"); // the scenarios set it in their own processes
}

} // namespace
