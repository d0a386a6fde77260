// What the main window reads and writes of the data block as one step each, in place of the
// same fields written one by one in several of its commands: whether a session is up, the hot
// point's mode, the alarm sound's stop, and the window published to the engine.
#pragma once

#include "platform/window_message.h"

class CAppData;
class CKavelinDlg;

namespace app {

// A session is up (the login or the re-login connected, nothing has disconnected since).
bool SessionUp(const CAppData& app);

// The hot point on (mode 2, the on flag set) or off (mode 1, the flag clear).
void SetHotPoint(CAppData& app, bool on);
// Whether the hot point is on (mode 2).
bool HotPointOn(const CAppData& app);

// An alarm sound waiting to be stopped (a click on the window, the alarm's end) is told to
// stop; nothing when none waits.
void StopPendingAlarmSound(CAppData& app);

// The main window the engine posts to and paints through, as it opens ...
void PublishMainWindow(CAppData& app, CKavelinDlg& window, platform::WindowHandle handle);
// ... and as it goes: nothing is published any more, unless another window was published since.
void WithdrawMainWindow(CAppData& app, const CKavelinDlg& window);

}  // namespace app
