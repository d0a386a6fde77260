// Selecting one processor form of the dispatched primitives (and, for the generic forms, one
// instruction-set path) for the length of a test.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>

#include "prim/generic_path.h"
#include "prim/prim_dispatch.h"

namespace prim_test {

inline constexpr std::int32_t kPathInUse = -1;

struct Form {
  const char* name;
  std::int32_t cpuClass;  // a class that selects this form through primStaticInitCpu
  std::int32_t index;
  // Generic forms: the path forced (a PrimGenericPath), or kPathInUse for the one chosen.
  std::int32_t path = kPathInUse;
};

inline constexpr std::array<Form, 4> kForms{{
    {"Generic", PrimCpuUnknown, PrimIndexGeneric},
    {"Sse", PrimCpuFamily6Sse, PrimIndexSse},
    {"Sse2", PrimCpuFamily6Sse2, PrimIndexSse2},
    {"Sse3", PrimCpuFamily15Sse3, PrimIndexSse3},
}};

// Every form, the generic one on each of its paths.
inline constexpr std::array<Form, 6> kFormPaths{{
    {"GenericScalar", PrimCpuUnknown, PrimIndexGeneric,
     static_cast<std::int32_t>(PrimGenericPath::kScalar)},
    {"GenericSse2", PrimCpuUnknown, PrimIndexGeneric,
     static_cast<std::int32_t>(PrimGenericPath::kSse2)},
    {"GenericAvx2", PrimCpuUnknown, PrimIndexGeneric,
     static_cast<std::int32_t>(PrimGenericPath::kAvx2)},
    {"Sse", PrimCpuFamily6Sse, PrimIndexSse},
    {"Sse2", PrimCpuFamily6Sse2, PrimIndexSse2},
    {"Sse3", PrimCpuFamily15Sse3, PrimIndexSse3},
}};

// The generic paths alone.
inline constexpr std::array<PrimGenericPath, 3> kGenericPaths{
    PrimGenericPath::kScalar, PrimGenericPath::kSse2, PrimGenericPath::kAvx2};

inline const char* PathName(PrimGenericPath path) {
  switch (path) {
    case PrimGenericPath::kSse2:
      return "Sse2";
    case PrimGenericPath::kAvx2:
      return "Avx2";
    case PrimGenericPath::kScalar:
      break;
  }
  return "Scalar";
}

// True when this processor (and this build) runs the form's path.
inline bool Runs(const Form& form) {
  return form.path == kPathInUse ||
         static_cast<PrimGenericPath>(form.path) <= PrimGenericPathSupported();
}

// Forces a generic path and restores the one in use before.
class ScopedPath {
 public:
  explicit ScopedPath(PrimGenericPath path) : m_saved(PrimGenericPathInUse()) {
    m_forced = PrimForceGenericPath(path);
  }
  ~ScopedPath() { PrimForceGenericPath(m_saved); }
  ScopedPath(const ScopedPath&) = delete;
  ScopedPath& operator=(const ScopedPath&) = delete;
  // False when this processor does not run the path (nothing was changed).
  bool Forced() const { return m_forced; }

 private:
  PrimGenericPath m_saved;
  bool m_forced;
};

// Forces a form through primStaticInitCpu (and its generic path, when it names one) and
// restores the previous index and path afterwards. Check Runs(form) first.
class ScopedForm {
 public:
  explicit ScopedForm(const Form& form)
      : m_saved(PrimCpuIndex.load()), m_savedPath(PrimGenericPathInUse()) {
    primStaticInitCpu(form.cpuClass);
    if (form.path != kPathInUse) {
      PrimForceGenericPath(static_cast<PrimGenericPath>(form.path));
    }
  }
  ~ScopedForm() {
    PrimCpuIndex.store(m_saved);
    PrimForceGenericPath(m_savedPath);
  }
  ScopedForm(const ScopedForm&) = delete;
  ScopedForm& operator=(const ScopedForm&) = delete;

 private:
  std::int32_t m_saved;
  PrimGenericPath m_savedPath;
};

}  // namespace prim_test

// Names a path in test output.
inline void PrintTo(PrimGenericPath path, std::ostream* os) {
  *os << prim_test::PathName(path);
}
