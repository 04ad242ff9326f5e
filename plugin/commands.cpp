#include "plugin/orvPlugin.h"

extern "C" void orvPlugin_run(int) {
    // No command does anything yet; 4, 5 and 6 will drive the update checker.
}
