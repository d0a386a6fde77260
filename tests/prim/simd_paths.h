// The SSE, SSE2 and SSE3 forms on each of their instruction-set paths (prim/simd_path.h), for
// tests that check every path against the form's rule.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>

#include "forms.h"
#include "prim/simd_path.h"

namespace prim_test {

struct SimdFormPath {
  Form form;
  PrimSimdPath path;
};

inline std::string SimdFormPathName(const SimdFormPath& p) {
  return std::string(p.form.name) + (p.path == PrimSimdPath::kAvx2 ? "_Avx2" : "_Own");
}

inline void PrintTo(const SimdFormPath& p, std::ostream* os) {
  *os << SimdFormPathName(p);
}

// Forces a path of the SIMD forms and restores the one in use before.
class ScopedSimdPath {
 public:
  explicit ScopedSimdPath(PrimSimdPath path) : m_saved(PrimSimdPathInUse()) {
    m_forced = PrimForceSimdPath(path);
  }
  ~ScopedSimdPath() { PrimForceSimdPath(m_saved); }
  ScopedSimdPath(const ScopedSimdPath&) = delete;
  ScopedSimdPath& operator=(const ScopedSimdPath&) = delete;
  // False when this processor does not run the path (nothing was changed).
  bool Forced() const { return m_forced; }

 private:
  PrimSimdPath m_saved;
  bool m_forced;
};

// Each SIMD form on each path.
inline constexpr std::array<SimdFormPath, 6> kSimdFormPaths{{
    {kForms[1], PrimSimdPath::kForm},
    {kForms[1], PrimSimdPath::kAvx2},
    {kForms[2], PrimSimdPath::kForm},
    {kForms[2], PrimSimdPath::kAvx2},
    {kForms[3], PrimSimdPath::kForm},
    {kForms[3], PrimSimdPath::kAvx2},
}};

}  // namespace prim_test
