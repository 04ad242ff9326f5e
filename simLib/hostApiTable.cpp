#include "simLib/hostApiTable_p.h"

#include "simLib/simLib.h"

#include <algorithm>
#include <array>
#include <cstring>

// The slots themselves: null until the host library is bound.
extern "C" {
#define ORV_HOST_API(name) orvGenericHostFn name = nullptr;
#define ORV_HOST_API_TYPED(name, type) type name = nullptr;
#include "simLib/hostApiNames.def"
#undef ORV_HOST_API
#undef ORV_HOST_API_TYPED
}

namespace orv {
namespace {

#define ORV_HOST_API_TYPED(name, type)                                                                       \
    {#name, [](void* address) { name = reinterpret_cast<type>(address); }, [] { return name != nullptr; }},
#define ORV_HOST_API(name) ORV_HOST_API_TYPED(name, orvGenericHostFn)
const HostApiEntry kEntries[] = {
#include "simLib/hostApiNames.def"
};
#undef ORV_HOST_API
#undef ORV_HOST_API_TYPED

static_assert(sizeof(kEntries) / sizeof(kEntries[0]) == kHostApiCount, "the host API table has 607 names");

std::size_t indexOf(const char* name) {
    for (std::size_t i = 0; i < kHostApiCount; ++i) {
        if (std::strcmp(kEntries[i].name, name) == 0)
            return i;
    }
    return kHostApiCount;
}

std::array<std::size_t, kHostApiCount> makeTestOrder() {
    std::array<std::size_t, kHostApiCount> order{};
    for (std::size_t i = 0; i < kHostApiCount; ++i)
        order[i] = i;
    // The vision sensor is tested right before the force sensor, wherever the table puts it.
    const std::size_t force = indexOf("simCreateForceSensor");
    const std::size_t vision = indexOf("simCreateVisionSensor");
    if (vision > force)
        std::rotate(order.begin() + force, order.begin() + vision, order.begin() + vision + 1);
    return order;
}

} // namespace

const HostApiEntry* hostApiEntries() {
    return kEntries;
}

const std::size_t* hostApiTestOrder() {
    static const std::array<std::size_t, kHostApiCount> order = makeTestOrder();
    return order.data();
}

} // namespace orv
