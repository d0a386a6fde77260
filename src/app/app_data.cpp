#include "app/app_data.h"

SharedText<64> SessionIdBuffer;
SharedText<16> LocalAddressText;
std::unique_ptr<CAppData> g_lpApp;

// Members start at the initial values of the block; the settings object sets its own defaults.
CAppData::CAppData() = default;

// Closes the debug trace file (through m_TraceFile) and saves nothing. Threads, events and
// buffers have been closed and freed by shut-down before; a thread still left in a field (a
// shut-down that did not run, a test) is stopped and joined here, before any other member goes.
CAppData::~CAppData() {
  ThreadHandle* const threads[] = {&h_Process_KernelMessageThread,
                                   &h_Process_Terminate_Thread,
                                   &h_Process_Init_Thread,
                                   &ConnectionThread,
                                   &GetJpegImageThread,
                                   &h_GetAudioThread,
                                   &ComposeImageDataThread,
                                   &ShowImageDataThread,
                                   &PlayAudioThread,
                                   &RTCPThread,
                                   &h_LoginThread,
                                   &h_ReLoginThread,
                                   &h_UpgradeFirmwareThread,
                                   &h_PlayAudioWavThread};
  // All are asked first, so they end side by side.
  for (ThreadHandle* thread : threads) {
    if (*thread)
      (*thread)->RequestStop();
  }
  for (ThreadHandle* thread : threads)
    thread->reset();
}
