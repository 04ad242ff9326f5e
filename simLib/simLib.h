#pragma once
// The host API table: one function-pointer slot per host function, named like the function,
// filled by looking every name up in the host library.

#include "orvExport.h"

/// An opaque handle of a loaded host library (what dlopen returns).
typedef void* LIBRARY;
/// The type of every slot that the plugin never calls; cast to the real type before a call.
typedef void (*orvGenericHostFn)(void);
/// simGetIntegerParameter(int parameter, int* value): the host writes the parameter to value.
typedef int (*orvSimGetIntegerParameterFn)(int, int*);
/// simGetMainWindow(int): the host's main window, may be null.
typedef void* (*orvSimGetMainWindowFn)(int);

extern "C" {

#define ORV_HOST_API(name) extern ORV_HOST_SLOT orvGenericHostFn name;
#define ORV_HOST_API_TYPED(name, type) extern ORV_HOST_SLOT type name;
#include "simLib/hostApiNames.def"
#undef ORV_HOST_API
#undef ORV_HOST_API_TYPED

/// Opens the library at path (RTLD_LAZY); null when it cannot be opened.
ORV_EXPORT LIBRARY loadSimLibrary(const char* path);
/// Closes a library opened by loadSimLibrary.
ORV_EXPORT void unloadSimLibrary(LIBRARY lib);
/// The address of the named symbol in lib, or null when lib does not export it.
ORV_EXPORT void* _getProcAddress(LIBRARY lib, const char* funcName);
/// Fills every slot from lib, then tests them; prints the first missing name and returns 0, or returns 1.
ORV_EXPORT int getSimProcAddresses(LIBRARY lib);
}
