// Status codes returned by every image and codec primitive. Zero is success, positive values
// are warnings (the call did what it could), negative values are errors after which nothing
// was written.
#pragma once

#include <cstdint>

using PrimStatus = std::int32_t;

inline constexpr PrimStatus StsNoError = 0;
inline constexpr PrimStatus StsNotKnownCpu = 20;     // no CPUID or unknown vendor: generic forms
inline constexpr PrimStatus StsUnknownCpuType = 21;  // processor class not known: index unchanged
inline constexpr PrimStatus StsNoIntersection = 29;  // resize: rectangle misses the image
inline constexpr PrimStatus StsSizeError = -6;
inline constexpr PrimStatus StsNullPointer = -8;
inline constexpr PrimStatus StsAllocFailed = -9;
inline constexpr PrimStatus StsStepError = -14;
inline constexpr PrimStatus StsBadInterpolation = -22;
inline constexpr PrimStatus StsBadFactor = -23;
inline constexpr PrimStatus StsQuantParamError = -76;
