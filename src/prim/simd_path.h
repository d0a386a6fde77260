// The instruction-set path of the SSE, SSE2 and SSE3 forms.
//
// Those forms keep their own rules (the table-driven inverse DCT rounds as its 128-bit code
// does), but on a processor with AVX2 they need not run 128-bit code: each of them has its
// own 128-bit path (the form's code as written for its instruction set) and an AVX2 path with
// the same results to the byte. Where a form's rule is shared with the generic form (colour
// conversion, dequantisation) the AVX2 path is the generic form's AVX2 code; where it is the
// form's own (the table-driven inverse DCT) it is a kernel of its own. The path is chosen
// once, at first use, apart from the dispatch index and from the generic forms' path.
#pragma once

#include <cstdint>

enum class PrimSimdPath : std::int32_t { kForm = 0, kAvx2 = 1 };

// The path the SSE, SSE2 and SSE3 forms run. The first call chooses the widest path this
// processor and this build support; later calls return the same (unless a test forced another).
PrimSimdPath PrimSimdPathInUse();

// The widest path this processor and this build support.
PrimSimdPath PrimSimdPathSupported();

// Test seam: makes the SSE, SSE2 and SSE3 forms run `path` from now on. Refused (false,
// nothing changed) for a path this processor or this build does not support.
bool PrimForceSimdPath(PrimSimdPath path);

// Which of two implementations serves the path in use: the form's own or the AVX2 one.
template <typename Fn>
struct PrimSimdPaths {
  Fn* form;
  Fn* avx2;

  Fn* InUse() const { return PrimSimdPathInUse() == PrimSimdPath::kAvx2 ? avx2 : form; }
};
