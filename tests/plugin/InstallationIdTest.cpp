// The installation identifier: a salted SHA-256 of the machine id, stable and anonymous.
#include "plugin/installationId_p.h"

#include <gtest/gtest.h>

namespace {

TEST(InstallationId, IsTheSaltedDigestOfTheMachineId) {
    // Expected values made with sha256sum over the salt followed by the machine id.
    const struct {
        const char* machineId;
        std::uint64_t hash;
        const char* text;
    } rows[] = {
        {"abc", 0xBB08F783CE4FE437ull, "BB08F783CE4FE437"},
        {"", 0x6F8F17B5A9C299D8ull, "6F8F17B5A9C299D8"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.machineId);
        const orv::InstallationId id = orv::installationIdFrom(row.machineId);
        EXPECT_EQ(row.hash, id.hash);
        EXPECT_EQ(row.text, id.text);
    }
}

// What only stands in for a machine id counts as none: the host name is used instead.
TEST(InstallationId, PlaceholderMachineIdsGiveWayToTheHostName) {
    const char* const id = "0123456789abcdef0123456789abcdef\n";
    EXPECT_EQ(id, orv::identifyingText(id, "host"));
    for (const char* placeholder : {"", " \t\n", "uninitialized\n"}) {
        SCOPED_TRACE(placeholder);
        EXPECT_EQ("host", orv::identifyingText(placeholder, "host"));
    }
}

} // namespace
