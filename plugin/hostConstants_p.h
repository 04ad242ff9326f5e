#pragma once
// Facts about the host that the frame relies on.

namespace orv {

/// The host library's file name, looked for in the working folder.
constexpr const char* kHostLibraryName = "zadodiredi.dylib";
/// The oldest host version the plugin starts with (3.6.3).
constexpr int kMinimumHostVersion = 30603;
/// The only host version this plugin was built for (4.0.0).
constexpr int kExpectedHostVersion = 40000;
/// Edition codes.
constexpr int kEditionCustom = -1;
constexpr int kEditionQuelt = 1;

} // namespace orv
