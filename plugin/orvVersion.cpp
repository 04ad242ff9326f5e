#include "orvVersion.h"

const char* orvVersion(void) {
    return ORV_VERSION_STRING;
}
