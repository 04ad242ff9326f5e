// The host API table's names, order and test order, and the loader's answers for bad input.
#include "simLib/hostApiTable_p.h"
#include "simLib/simLib.h"

#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(HostApiTable, UniqueNamesInBlocksAndTheVisionSensorTestedBeforeTheForceSensor) {
    const orv::HostApiEntry* entries = orv::hostApiEntries();
    std::map<std::string, std::size_t> positions;
    for (std::size_t i = 0; i < orv::kHostApiCount; ++i) {
        const std::string name = entries[i].name;
        EXPECT_TRUE(positions.emplace(name, i).second) << "duplicate " << name;
    }
    // The first and last names, and the first name of each later block.
    const std::map<std::string, std::size_t> expected = {{"simRunSimulator", 0},
                                                         {"simExtLaunchUIThread", 430},
                                                         {"_simGetContactCallbackCount", 438},
                                                         {"simGetMaterialId", 527},
                                                         {"_simGetJointOdeParameters", 555},
                                                         {"simAddSceneCustomData", 565},
                                                         {"simSetJointForce", orv::kHostApiCount - 1}};
    for (const auto& [name, position] : expected)
        EXPECT_EQ(positions[name], position) << name;
    std::vector<std::size_t> order(orv::kHostApiCount);
    std::iota(order.begin(), order.end(), 0);
    std::swap(order[positions["simCreateForceSensor"]], order[positions["simCreateVisionSensor"]]);
    EXPECT_EQ(positions["simCreateForceSensor"] + 1, positions["simCreateVisionSensor"]);
    EXPECT_EQ(order,
              std::vector<std::size_t>(orv::hostApiTestOrder(), orv::hostApiTestOrder() + order.size()));
}

TEST(HostApiLoader, BadInputGivesNull) {
    EXPECT_EQ(nullptr, loadSimLibrary("/nonexistent/zadodiredi.dylib"));
    EXPECT_EQ(nullptr, loadSimLibrary(""));
    EXPECT_EQ(nullptr, loadSimLibrary(nullptr));
    EXPECT_EQ(nullptr, _getProcAddress(nullptr, "simRunSimulator"));
    unloadSimLibrary(nullptr); // must not crash
}

} // namespace
