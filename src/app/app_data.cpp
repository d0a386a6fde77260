#include "app/app_data.h"

#include "media/audio/alarm_wav.h"
#include "media/frame_header.h"
#include "media/record/recorder.h"
#include "media/record_buffer.h"

// In member order: the ring first, so that the recorders (and their threads) go before it.
struct CAppMediaObjects {
  CSystemBuffer m_SystemBuffer;
  CAlarmRecord m_AlarmRecord;
  CUserRecord m_UserRecord;
  CSchRecord m_SchRecord;
  CAlarmWav m_AlarmWav;
  CFrameHeader m_VideoFrameHeader;
  CFrameHeader m_AudioFrameHeader;
};

SharedText<64> SessionIdBuffer;
SharedText<16> LocalAddressText;
std::unique_ptr<CAppData> g_lpApp;

// Members start at the initial values of the block; the settings object sets its own defaults.
CAppData::CAppData()
    : m_pMediaObjects(std::make_unique<CAppMediaObjects>()),
      m_SystemBuffer(m_pMediaObjects->m_SystemBuffer),
      m_AlarmRecord(m_pMediaObjects->m_AlarmRecord),
      m_UserRecord(m_pMediaObjects->m_UserRecord),
      m_SchRecord(m_pMediaObjects->m_SchRecord),
      m_AlarmWav(m_pMediaObjects->m_AlarmWav),
      m_VideoFrameHeader(m_pMediaObjects->m_VideoFrameHeader),
      m_AudioFrameHeader(m_pMediaObjects->m_AudioFrameHeader) {}

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
                                   &h_PlayAudioWavThread};
  // All are asked first, so they end side by side.
  for (ThreadHandle* thread : threads) {
    if (*thread)
      (*thread)->RequestStop();
  }
  for (ThreadHandle* thread : threads)
    thread->reset();
}
