// The services the engine calls on the main window. The Qt main window implements them by
// queuing the work onto the GUI thread; no call waits for the GUI thread. Tests use the
// recording sink of platform/testing.
#pragma once

#include <string>

namespace platform {

class IMainWindowSink {
 public:
  virtual ~IMainWindowSink() = default;

  // Paints the newest decoded picture (the current picture of the application data block).
  // Called on the kernel-message thread; the window takes its copy of the picture and signals
  // the show thread's finish event before it returns, then repaints on the GUI thread.
  virtual void ShowImage() = 0;

  // Sets the status-bar text and redraws the status area unless the window is full screen.
  virtual void ShowStatusText(const std::string& text) = 0;
  // Empties the status-bar text without redrawing.
  virtual void ClearStatusText() = 0;

  // Layout operations of the re-login path.
  virtual void ArrangeControls() = 0;
  virtual void RefreshPanelButtons() = 0;
  virtual void ExitFullScreen() = 0;
  // Returns 1 and does nothing else.
  virtual int ApplyResolutionMode(int mode) = 0;
  // Re-lays the window for the current video size (kernel mailbox code 3). Does not wait.
  virtual void ModifyMainDialogSize() = 0;

  // Button bitmaps: state 0 or 1.
  virtual void SetConnectButtonState(int state) = 0;
  virtual void SetRecordButtonState(int state) = 0;
  virtual void SetRecordToolTip(const std::string& text) = 0;
  // Shows on the record button, face and tool tip, whether the user recorder has a record open,
  // as it is when the window gets to it (the recorder closed its file by itself).
  virtual void RefreshRecordButton() = 0;
  // Shows or hides the stream-time control.
  virtual void ShowStreamTimeControl(bool show) = 0;

  // Closes an open configuration sheet as if its OK button was pressed (lost connection).
  virtual void CloseConfigSheet() = 0;
  // A snapshot asked for went with the lost streams before a picture served it: the window
  // tells the operator, as it tells a press made while no session runs.
  virtual void SnapshotNotTaken() = 0;
};

}  // namespace platform
