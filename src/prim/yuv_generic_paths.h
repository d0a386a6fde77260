// The three paths of the generic YUV 4:2:0 to BGR form (see generic_path.h): each converts the
// whole picture with the same bytes as the scalar rule.
#pragma once

#include <cstdint>

using YUV420ToBGRWorkerFn = void(const std::uint8_t* const src[3], const std::int32_t srcStep[3],
                                 std::uint8_t* dst, std::int32_t dstStep, std::int32_t width,
                                 std::int32_t height);

YUV420ToBGRWorkerFn YUV420ToBGRWorker_GenericScalar;
#if defined(__x86_64__)
YUV420ToBGRWorkerFn YUV420ToBGRWorker_GenericSse2;
YUV420ToBGRWorkerFn YUV420ToBGRWorker_GenericAvx2;
#endif
