// CKavelinDlg::ShowImage, the frame painter, run on the kernel-message thread: it copies the
// picture the show thread hands over (at its own size, or scaled over the work area in full
// screen) into the window's next picture slot, takes a pending snapshot, draws the hot-point
// cross, measures the rates every two seconds and queues the repaint and the new texts to the
// GUI thread. The slot keeps the picture as it is (bottom-up, blue-green-red): the GUI thread
// converts it as it paints. It touches no widget and never waits for the GUI thread; the show
// thread's finish event is set on every path. When the pictures stop, the rate watch on the GUI
// thread measures the rates in the painter's place.
#include <cstdlib>
#include <cstring>
#include <span>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/engine_threads.h"
#include "app/kavelin_app.h"
#include "app/main_window_state.h"
#include "app/snapshot.h"
#include "app/trace.h"
#include "app/utility.h"
#include "media/frame_header.h"
#include "prim/resize/prim_resize.h"
#include "ui/config/motion/motion_detection_dlg.h"
#include "ui/main/kavelin_dlg.h"
#include "ui/main/main_window_sink.h"
#include "ui/main/main_window_texts.h"
#include "ui/main/time_stamp_wnd.h"

using namespace mainwin;

std::atomic<float> g_fDisplayFrameRate{0.0f};

namespace {

constexpr std::uint32_t kCrossColour = 0xFF0000;  // red in blue-green-red byte order
constexpr int kSnapshotBitmap = 0;                // the snapshot writer's ".bmp" format

// Sets the show thread's finish event when the painter leaves, whatever the road.
class FinishShowImageJob {
 public:
  explicit FinishShowImageJob(CAppData& app) : m_app(app) {}
  ~FinishShowImageJob() { app::SignalEvent(m_app.FinishShowImageJobEvent); }
  FinishShowImageJob(const FinishShowImageJob&) = delete;
  FinishShowImageJob& operator=(const FinishShowImageJob&) = delete;

 private:
  CAppData& m_app;
};

// Takes one frame off the hot-point mark count when the cross is due.
bool TakeCrossFrame(CAppData& app) {
  if (!app::HotPointOn(app))
    return false;
  std::uint16_t count = app.m_wMarkCount.load();
  while (count > 0) {
    if (app.m_wMarkCount.compare_exchange_weak(count, static_cast<std::uint16_t>(count - 1)))
      return true;
  }
  return false;
}

// The packet header of the AV option: the audio one for audio only, the video one for video.
CFrameHeader* OptionHeader(CAppData& app, std::uint8_t option) {
  return option == 2                  ? &app.m_AudioFrameHeader
         : option == 1 || option == 3 ? &app.m_VideoFrameHeader
                                      : nullptr;
}

QString ChannelStateText(std::uint32_t state) {
  return state == 1 || state == 2 ? QString::number(state) : QString();
}

}  // namespace

struct CKavelinDlg::PainterUpdate {
  std::optional<QString> channel1;
  std::optional<QString> channel2;
  std::optional<QString> hu;
  std::optional<QString> status;
  bool refreshTimeStamp = false;
  bool fullScreenRelayout = false;
  bool HasChanges() const {
    return channel1 || channel2 || hu || status || refreshTimeStamp || fullScreenRelayout;
  }
};

bool CKavelinDlg::PaintWindowFrame(std::uint8_t* picture, int width, int height) {
  CAppData& app = *g_lpApp;
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  const std::span<std::uint8_t> frame(picture, bytes);
  if (app.m_bSnapshotRequest.load() != 0) {
    {
      const std::lock_guard lock(m_layoutLock);
      std::string folder;
      {
        const std::lock_guard text(app.m_SettingINI.m_TextLock);
        folder = app.m_SettingINI.m_strSnapshotPath;
      }
      if (MakeSnapshotFileName(folder, frame, width, height, kSnapshotBitmap) == 0)
        DebugPrint("Snapshot is error \n");
    }
    app.m_bSnapshotRequest = 0;
  }
  const std::uint8_t bitmapSet = app.m_bySkinA.load();
  if (bitmapSet <= 5 && TakeCrossFrame(app)) {
    DrawCrossMarker(frame, static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height),
                    kCrossColour, 2, app.m_wMarkX.load(), app.m_wMarkY.load());
  }
  ShownFrame& slot = m_frames.WriteSlot();
  const std::span<std::uint8_t> shown = slot.Reserve(width, height);
  if (shown.size() != frame.size()) {
    DebugPrint("Set dib data to bitmap failed, error \n");
    return false;
  }
  std::memcpy(shown.data(), frame.data(), frame.size());
  slot.fullScreen = false;
  m_frames.Publish();
  return true;
}

bool CKavelinDlg::PaintFullScreenFrame(const std::uint8_t* picture, int width, int height) {
  CAppData& app = *g_lpApp;
  const int W = m_rcWorkArea.width();
  const int H = m_rcWorkArea.height();
  if (W <= 0 || H <= 0)
    return false;
  // The full-screen buffer was sized once from the work area; a short or missing one gives no
  // frame. The picture is scaled straight into the window's next picture slot, of the same
  // size, which the GUI thread paints from: no copy of the scaled picture is made.
  const std::size_t need = static_cast<std::size_t>(W) * static_cast<std::size_t>(H) * 3;
  if (app.m_pShowImageBuffer == nullptr || app.m_nShowImageBufferBytes.load() < need)
    return false;
  ShownFrame& slot = m_frames.WriteSlot();
  const std::span<std::uint8_t> scaled = slot.Reserve(W, H);
  if (scaled.size() != need) {
    DebugPrint("Set dib data to bitmap failed, error \n");
    return false;
  }
  primResize_8u_C3R(picture, {width, height}, width * 3, {0, 0, width, height}, scaled.data(),
                    W * 3, {W, H}, static_cast<double>(W) / width, static_cast<double>(H) / height,
                    1);
  if (TakeCrossFrame(app)) {
    DrawCrossMarker(scaled, static_cast<std::uint16_t>(W), static_cast<std::uint16_t>(H),
                    kCrossColour, 2, app.m_wMarkX.load(), app.m_wMarkY.load());
  }
  slot.fullScreen = true;
  m_frames.Publish();
  return true;
}

int CKavelinDlg::ShowImage() {
  if (!g_lpApp)
    return 0;
  CAppData& app = *g_lpApp;
  const FinishShowImageJob finish(app);
  if (!app::SessionUp(app))
    return 0;

  // 2.-5. The picture, at its own size or over the work area.
  std::uint8_t* picture = app.m_pCurrentPicture.load();
  const int width = app.m_wFrameWidth.load();
  const int height = app.m_wFrameHeight.load();
  const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  const bool pictureFits =
      picture != nullptr && width > 0 && height > 0 && bytes <= kDecodedSlotBytes;
  const std::uint8_t option = app.m_SettingINI.m_byAvSwitchOption;
  PainterUpdate update;
  bool drew = false;
  if (app.m_bFullScreen.load() != 0) {
    update.fullScreenRelayout = m_bFullScreenRelayout.exchange(false);
    if (pictureFits)
      drew = PaintFullScreenFrame(picture, width, height);
  } else if (option != 2 && pictureFits) {
    drew = PaintWindowFrame(picture, width, height);
    // The motion grid, while it waits for frames, takes the same picture. The call runs under
    // the pointer's guard: the dialog cannot go while it is inside.
    app.m_pMotionDetectionDlg.With([](CMotionDetectionDlg& motion) { motion.SetFrameEvent(); });
  }

  // 6.-7. Channel states of the option's header.
  const std::uint32_t now = app::Clock().Ticks();
  m_dwLastPictureTick = now;
  CFrameHeader* header = OptionHeader(app, option);
  if (header != nullptr) {
    if (header->DecodeChannelState())
      update.channel1 = ChannelStateText(header->StateB());
    if (header->DecodeChannelState2())
      update.channel2 = ChannelStateText(header->StateA());
  }

  // 8. The rates, every two seconds or more.
  UpdateRates(now, header, update);
  if (drew || update.HasChanges())
    QueuePainterUpdate(std::move(update));
  return 1;
}

bool CKavelinDlg::UpdateRates(std::uint32_t now, CFrameHeader* header, PainterUpdate& update) {
  CAppData& app = *g_lpApp;
  const std::lock_guard lock(m_rateLock);
  const std::uint32_t elapsed = now - app.m_dwStreamStartTick.load();
  if (!RateUpdateDue(elapsed))
    return false;
  const std::uint32_t counter = app.m_dwDisplayedFrames.load();
  RateSample sample;
  // A counter below the snapshot was restarted from 0 by a new session's receiver: its frames
  // are all this session's.
  sample.frames = counter >= m_dwFrameSnapshot ? counter - m_dwFrameSnapshot : counter;
  const std::int64_t received = app.m_lReceivedBytes.load();
  sample.bytes = received > 0 ? static_cast<std::uint64_t>(received) : 0;
  sample.elapsedMs = elapsed;
  sample.standard = app.m_byVideoStandard.load();
  m_dwFrameSnapshot = counter;
  const float rate = FrameRate(sample);
  g_fDisplayFrameRate = rate;
  m_strFrameRateText = FrameRateText(rate);
  const std::uint32_t dataRate = DataRateKbps(sample);
  m_strDataRateText = DataRateText(dataRate);
  app.m_dwBitRate.exchange(dataRate);
  app.m_dwStreamStartTick.exchange(now);
  app.m_lReceivedBytes.exchange(0);
  // "HU: " and the header's text, or nothing when the header has none.
  const std::string hu = header != nullptr ? header->HuText() : std::string();
  update.hu = hu.empty() ? QString() : QStringLiteral("HU: ") + QString::fromStdString(hu);
  update.status = QString::fromStdString(m_strFrameRateText + m_strDataRateText);
  update.refreshTimeStamp = true;
  return true;
}

void CKavelinDlg::OnRateWatch() {
  if (!g_lpApp || !m_bRatesShown)
    return;
  CAppData& app = *g_lpApp;
  if (!app::SessionUp(app))
    return;
  // While pictures come the painter measures; the watch speaks only for a stream that stopped.
  const std::uint32_t now = app::Clock().Ticks();
  if (platform::TickElapsed(m_dwLastPictureTick.load(), now) < kNoPictureMs)
    return;
  PainterUpdate update;
  if (UpdateRates(now, OptionHeader(app, app.m_SettingINI.m_byAvSwitchOption), update))
    ApplyPainterUpdate(update);
}

void CKavelinDlg::QueuePainterUpdate(PainterUpdate update) {
  if (!m_sink)
    return;
  if (!update.HasChanges()) {
    // A repaint alone is queued once until the GUI thread has taken it.
    if (m_bRepaintQueued.exchange(true))
      return;
    m_sink->Queue([](CKavelinDlg& window) {
      window.m_bRepaintQueued = false;
      window.ApplyPainterUpdate({});
    });
    return;
  }
  m_sink->Queue(
      [update = std::move(update)](CKavelinDlg& window) { window.ApplyPainterUpdate(update); });
}

void CKavelinDlg::ApplyPainterUpdate(const PainterUpdate& update) {
  if (update.fullScreenRelayout)
    ApplyFullScreenLayout();
  const QRect stripArea = QRect(0, Skin().Strip().top - 20, width(), 44);
  if (update.channel1)
    m_strChannel1Text = *update.channel1;
  if (update.channel2)
    m_strChannel2Text = *update.channel2;
  if (update.hu)
    m_strHuText = *update.hu;
  if (update.channel1 || update.channel2 || update.hu)
    this->update(stripArea);
  if (update.status) {
    ShowStatusText(*update.status);
    m_bRatesShown = true;
  }
  if (update.refreshTimeStamp && m_pTimeStampWnd != nullptr)
    m_pTimeStampWnd->update();
  UpdateTimeStampVisibility();
  CheckFrameWidthFits();
  if (InFullScreen()) {
    this->update();
  } else if (g_lpApp && g_lpApp->m_bBlackVideo.load() != 0) {
    // The black fill reaches a pixel past the video rectangle.
    this->update(VideoRect().adjusted(-1, -1, 1, 1));
  } else {
    // A new picture changes the video rectangle alone; its sunken frame stays as drawn.
    this->update(VideoRect());
  }
}
