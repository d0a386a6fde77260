// The MPEG-4 dequantisation workers of the primitive library: intra and non-intra blocks with
// 8-bit weighting matrices, over a whole raster block or over the first n coefficients of a
// block stored in scan order. The library has no public entry for them and the decoder does not
// call them (it dequantises with its own rules, codec/mp4dec/dequant.h); they are complete
// operations, each in a generic form and an SSE, SSE2 and SSE3 form with the same results.
//
// Common to all: QP must be in 1..31; a zero coefficient stays zero; every other one becomes
// its rule's value, the division truncating toward zero, limited to the bounds; the sum of the
// results (for intra blocks without element 0) is added to *pSum.
#pragma once

#include <cstdint>

// Intra, 64 coefficients in raster order, weights pWeights[i]: c becomes (c QP W[i]) / 8,
// limited to [lower, upper] (within the 16-bit range, lower <= upper); element 0 keeps its
// value.
using QuantInvMpeg4WorkerFn = void(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                   std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                   std::int32_t* pSum);
// Non-intra, 64 coefficients: c becomes ((2 c + sign(c)) QP W[i]) / 16, limited to
// [lower, upper].
// Scan forms: the first `count` coefficients (0..64; outside that range the nearer end), stored
// in scan order; coefficient i takes the weight of its raster position pScan[i] (taken modulo
// 64); limited to -2048..2047.
using QuantInvMpeg4ScanWorkerFn = void(std::int16_t* pSrcDst, std::int32_t count,
                                       const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                       std::int32_t QP, std::int32_t* pSum);

// The generic workers run the path in use (see generic_path.h); each path is named as well:
// the scalar rules (the reference of every other form), and the same results eight
// coefficients a step (SSE2, the SSE2 form's 128-bit code) or sixteen (AVX2). The SSE, SSE2 and
// SSE3 workers run their own 128-bit code or, on the AVX2 path (simd_path.h), the generic
// workers' AVX2 code.
QuantInvMpeg4WorkerFn QuantInvIntraMpeg4Worker_Generic;
QuantInvMpeg4WorkerFn QuantInvIntraMpeg4Worker_Sse;
QuantInvMpeg4WorkerFn QuantInvIntraMpeg4Worker_Sse2;
QuantInvMpeg4WorkerFn QuantInvIntraMpeg4Worker_Sse3;

QuantInvMpeg4WorkerFn QuantInvInterMpeg4Worker_Generic;
QuantInvMpeg4WorkerFn QuantInvInterMpeg4Worker_Sse;
QuantInvMpeg4WorkerFn QuantInvInterMpeg4Worker_Sse2;
QuantInvMpeg4WorkerFn QuantInvInterMpeg4Worker_Sse3;

// Intra: element 0 keeps its value.
QuantInvMpeg4ScanWorkerFn QuantInvIntraMpeg4ScanWorker_Generic;
QuantInvMpeg4ScanWorkerFn QuantInvIntraMpeg4ScanWorker_Sse;
QuantInvMpeg4ScanWorkerFn QuantInvIntraMpeg4ScanWorker_Sse2;
QuantInvMpeg4ScanWorkerFn QuantInvIntraMpeg4ScanWorker_Sse3;

QuantInvMpeg4ScanWorkerFn QuantInvInterMpeg4ScanWorker_Generic;
QuantInvMpeg4ScanWorkerFn QuantInvInterMpeg4ScanWorker_Sse;
QuantInvMpeg4ScanWorkerFn QuantInvInterMpeg4ScanWorker_Sse2;
QuantInvMpeg4ScanWorkerFn QuantInvInterMpeg4ScanWorker_Sse3;

// The paths of the generic workers.
struct QuantInvMpeg4GenericPath {
  QuantInvMpeg4WorkerFn* intra;
  QuantInvMpeg4WorkerFn* inter;
  QuantInvMpeg4ScanWorkerFn* intraScan;
  QuantInvMpeg4ScanWorkerFn* interScan;
};
extern const QuantInvMpeg4GenericPath kQuantInvMpeg4GenericScalar;
#if defined(__x86_64__)
extern const QuantInvMpeg4GenericPath kQuantInvMpeg4GenericSse2;
extern const QuantInvMpeg4GenericPath kQuantInvMpeg4GenericAvx2;

QuantInvMpeg4WorkerFn QuantInvIntraMpeg4Worker_GenericAvx2;
QuantInvMpeg4WorkerFn QuantInvInterMpeg4Worker_GenericAvx2;
QuantInvMpeg4ScanWorkerFn QuantInvIntraMpeg4ScanWorker_GenericAvx2;
QuantInvMpeg4ScanWorkerFn QuantInvInterMpeg4ScanWorker_GenericAvx2;
#endif
