// The update request's address: the server's base and the query keys in their fixed order.
#include "update/updateRequest_p.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

namespace {

struct UrlRow {
    const char* name;
    orv::UpdateQuery query;
    const char* query_text;
};

const UrlRow kUrlRows[] = {
    {"a known identifier",
     {123, 1, 40100, 2, false, false, "ABC"},
     "a=123&b=1&c=40100&d=2&e=0&f=0&g=2&h=ABC&info=anonymizedData"},
    {"the largest hash, negative numbers and both flags",
     {std::numeric_limits<std::uint64_t>::max(), -1, -40000, -2147483647 - 1, true, true, "0123456789ABCDEF"},
     "a=18446744073709551615&b=-1&c=-40000&d=-2147483648&e=1&f=1&g=2&h=0123456789ABCDEF&info=anonymizedData"},
    {"only one flag", {0, 1, 0, 0, false, true, ""}, "a=0&b=1&c=0&d=0&e=0&f=1&g=2&h=&info=anonymizedData"},
    {"an identifier is not escaped",
     {7, 1, 40000, 1, true, false, "a b&c"},
     "a=7&b=1&c=40000&d=1&e=1&f=0&g=2&h=a b&c&info=anonymizedData"},
};

TEST(UpdateRequest, UrlCarriesTheQueryKeysInOrder) {
    for (const UrlRow& row : kUrlRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(std::string("http://127.0.0.1:8080/lastZembrixVersion.txt?") + row.query_text,
                  orv::updateRequestUrl("http://127.0.0.1:8080", row.query));
    }
}

// Sets ORV_UPDATE_SERVER for one test and restores what it was.
class ServerVariable {
public:
    ServerVariable() {
        const char* old = std::getenv("ORV_UPDATE_SERVER");
        _had = old != nullptr;
        if (_had)
            _old = old;
    }
    ~ServerVariable() {
        if (_had)
            setenv("ORV_UPDATE_SERVER", _old.c_str(), 1);
        else
            unsetenv("ORV_UPDATE_SERVER");
    }

private:
    bool _had = false;
    std::string _old;
};

TEST(UpdateRequest, TheEnvironmentReplacesTheBuiltInServer) {
    ServerVariable guard;
    const struct {
        const char* name;
        const char* variable; // null: unset
        std::string base;
    } rows[] = {
        {"unset", nullptr, ORV_TEST_DEFAULT_UPDATE_SERVER},
        {"empty", "", ORV_TEST_DEFAULT_UPDATE_SERVER},
        {"set", "http://127.0.0.1:4567", "http://127.0.0.1:4567"},
        {"with a path", "https://mirror.example/updates", "https://mirror.example/updates"},
        {"trailing slashes", "http://127.0.0.1:4567//", "http://127.0.0.1:4567"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.variable == nullptr)
            unsetenv("ORV_UPDATE_SERVER");
        else
            setenv("ORV_UPDATE_SERVER", row.variable, 1);
        EXPECT_EQ(row.base, orv::updateServerBase());
    }
}

} // namespace
