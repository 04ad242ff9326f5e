#pragma once
// The free helper functions of namespace tt, by topic.

#include "util/ttNumbers.h"
