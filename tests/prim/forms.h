// Selecting one processor form of the dispatched primitives for the length of a test.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "prim/prim_dispatch.h"

namespace prim_test {

struct Form {
  const char* name;
  std::int32_t cpuClass;  // a class that selects this form through primStaticInitCpu
  std::int32_t index;
};

inline constexpr std::array<Form, 4> kForms{{
    {"Generic", PrimCpuUnknown, PrimIndexGeneric},
    {"Sse", PrimCpuFamily6Sse, PrimIndexSse},
    {"Sse2", PrimCpuFamily6Sse2, PrimIndexSse2},
    {"Sse3", PrimCpuFamily15Sse3, PrimIndexSse3},
}};

// Forces a form through primStaticInitCpu and restores the previous index afterwards.
class ScopedForm {
 public:
  explicit ScopedForm(const Form& form) : m_saved(PrimCpuIndex.load()) {
    primStaticInitCpu(form.cpuClass);
  }
  ~ScopedForm() { PrimCpuIndex.store(m_saved); }
  ScopedForm(const ScopedForm&) = delete;
  ScopedForm& operator=(const ScopedForm&) = delete;

 private:
  std::int32_t m_saved;
};

}  // namespace prim_test
