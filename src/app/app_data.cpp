#include "app/app_data.h"

SharedText<64> SessionIdBuffer;
SharedText<16> LocalAddressText;
std::unique_ptr<CAppData> g_lpApp;

// Members start at the initial values of the block; the settings object sets its own defaults.
CAppData::CAppData() = default;

// Closes the debug trace file (through m_TraceFile) and saves nothing. Threads, events and
// buffers have been closed and freed by shut-down before.
CAppData::~CAppData() = default;
