#pragma once
// The host API table as data: the names and slots in binding order, for the binding loop and tests.

#include <cstddef>

namespace orv {

/// One slot of the host API table: its name and how to fill and test it.
struct HostApiEntry {
    const char* name;
    void (*bind)(void* address);
    bool (*isBound)();
};

/// The number of host functions the plugin binds.
constexpr std::size_t kHostApiCount = 607;

/// The entries in table (lookup) order.
const HostApiEntry* hostApiEntries();

/// The position of each entry in the order the slots are tested: table order, except that
/// simCreateVisionSensor is tested just before simCreateForceSensor.
const std::size_t* hostApiTestOrder();

} // namespace orv
