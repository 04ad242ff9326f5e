#pragma once
// Export macro of the stand-in host library: plain C names, visible from outside.

#define ORV_STANDIN_EXPORT extern "C" __attribute__((visibility("default")))
