// The instruction-set path of the generic forms.
//
// The dispatch rule sends every processor it does not recognise (every other vendor, many
// desktops and servers) to the generic forms. Those forms keep the dispatch rule but need not
// run plain scalar code: each generic form has a scalar path (the readable rule, and what a
// build for another architecture compiles), an SSE2 path (every x86-64 processor has SSE2)
// and an AVX2 path. The path is chosen once, at first use, by our own check of the processor,
// apart from the dispatch index. Every path writes exactly the bytes of the scalar rule.
#pragma once

#include <cstdint>

enum class PrimGenericPath : std::int32_t { kScalar = 0, kSse2 = 1, kAvx2 = 2 };

// The path the generic forms run. The first call chooses the widest path this processor and
// this build support; later calls return the same (unless a test forced another).
PrimGenericPath PrimGenericPathInUse();

// The widest path this processor and this build support.
PrimGenericPath PrimGenericPathSupported();

// Test seam: makes the generic forms run `path` from now on. Refused (false, nothing changed)
// for a path this processor or this build does not support.
bool PrimForceGenericPath(PrimGenericPath path);

// Which of three implementations serves the path in use: the scalar, SSE2 or AVX2 one.
template <typename Fn>
struct PrimGenericPaths {
  Fn* scalar;
  Fn* sse2;
  Fn* avx2;

  Fn* InUse() const {
    switch (PrimGenericPathInUse()) {
      case PrimGenericPath::kAvx2:
        return avx2;
      case PrimGenericPath::kSse2:
        return sse2;
      case PrimGenericPath::kScalar:
        break;
    }
    return scalar;
  }
};
