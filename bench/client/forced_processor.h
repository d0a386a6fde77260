// The processor class a run of the client benchmark forces, whatever processor runs it: the
// class's processor of cpu_class/cpu_classes.h is installed for detection (the decoder detects
// the processor again on every call, from the installed source) and the class is set through the
// dispatch's own entry. The previous source comes back when the scope ends.
#pragma once

#include "cpu_class/cpu_classes.h"
#include "prim/prim_dispatch.h"

namespace client_bench {

// Forces the class for the scope's life; a null class leaves the machine's own.
class ScopedProcessorClass {
 public:
  explicit ScopedProcessorClass(const cpu_class::CpuClass* forced) {
    if (forced == nullptr) {
      primStaticInit();
      return;
    }
    m_saved = PrimSetCpuSource(forced->cpu);
    m_forced = true;
    m_ok = cpu_class::ForceCpuClass(*forced);
  }
  ~ScopedProcessorClass() {
    if (m_forced) {
      PrimSetCpuSource(m_saved);
      primStaticInit();
    }
  }
  ScopedProcessorClass(const ScopedProcessorClass&) = delete;
  ScopedProcessorClass& operator=(const ScopedProcessorClass&) = delete;
  // False when the dispatch did not select the class's index.
  bool Ok() const { return m_ok; }

 private:
  const PrimCpuSource* m_saved = nullptr;
  bool m_forced = false;
  bool m_ok = true;
};

}  // namespace client_bench
