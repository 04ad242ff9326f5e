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
        {"a", 0x1EA7EA5B773EDF1Aull, "1EA7EA5B773EDF1A"},
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
    const struct {
        const char* machineId;
        const char* used;
    } rows[] = {
        {"0123456789abcdef0123456789abcdef\n", "0123456789abcdef0123456789abcdef\n"},
        {"", "host"},
        {" \t\n", "host"},
        {"uninitialized", "host"},
        {"uninitialized\n", "host"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.machineId);
        EXPECT_EQ(row.used, orv::identifyingText(row.machineId, "host"));
    }
}

} // namespace
