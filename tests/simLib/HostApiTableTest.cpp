// The host API table's names, order and test order, and the loader's answers for bad input.
#include "simLib/hostApiTable_p.h"
#include "simLib/simLib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

std::size_t position(const char* name) {
    const orv::HostApiEntry* entries = orv::hostApiEntries();
    for (std::size_t i = 0; i < orv::kHostApiCount; ++i) {
        if (std::strcmp(entries[i].name, name) == 0)
            return i;
    }
    return orv::kHostApiCount;
}

TEST(HostApiTable, NamesAreUniqueAndOfTheTwoKinds) {
    const orv::HostApiEntry* entries = orv::hostApiEntries();
    std::set<std::string> names;
    int underscored = 0;
    for (std::size_t i = 0; i < orv::kHostApiCount; ++i) {
        const std::string name = entries[i].name;
        EXPECT_TRUE(names.insert(name).second) << "duplicate " << name;
        if (name[0] == '_')
            ++underscored;
        else
            EXPECT_EQ(0u, name.rfind("sim", 0)) << name;
    }
    EXPECT_EQ(99, underscored);
    EXPECT_STREQ("simRunSimulator", entries[0].name);
    EXPECT_STREQ("simSetJointForce", entries[orv::kHostApiCount - 1].name);
}

TEST(HostApiTable, BlocksFollowOneAnother) {
    // First names of the blocks after the first, at their positions in the table.
    EXPECT_EQ(430u, position("simExtLaunchUIThread"));
    EXPECT_EQ(438u, position("_simGetContactCallbackCount"));
    EXPECT_EQ(527u, position("simGetMaterialId"));
    EXPECT_EQ(555u, position("_simGetJointOdeParameters"));
    EXPECT_EQ(565u, position("simAddSceneCustomData"));
}

TEST(HostApiTable, TestOrderPutsTheVisionSensorBeforeTheForceSensor) {
    const std::size_t* order = orv::hostApiTestOrder();
    const std::size_t force = position("simCreateForceSensor");
    const std::size_t vision = position("simCreateVisionSensor");
    ASSERT_EQ(force + 1, vision);
    for (std::size_t i = 0; i < orv::kHostApiCount; ++i) {
        if (i == force)
            EXPECT_EQ(vision, order[i]);
        else if (i == vision)
            EXPECT_EQ(force, order[i]);
        else
            EXPECT_EQ(i, order[i]) << i;
    }
}

TEST(HostApiLoader, BadInputGivesNull) {
    EXPECT_EQ(nullptr, loadSimLibrary("/nonexistent/zadodiredi.dylib"));
    EXPECT_EQ(nullptr, loadSimLibrary(""));
    EXPECT_EQ(nullptr, loadSimLibrary(nullptr));
    EXPECT_EQ(nullptr, _getProcAddress(nullptr, "simRunSimulator"));
    unloadSimLibrary(nullptr); // must not crash
}

} // namespace
