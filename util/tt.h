#pragma once
// The free helper functions of namespace tt, by topic.

#include "util/ttColors.h"
#include "util/ttKeyValue.h"
#include "util/ttNames.h"
#include "util/ttNumbers.h"
