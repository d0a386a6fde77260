// CMotionDetectionDlg: the "Motion Detection" dialog in which the operator marks, on the live
// picture, the grid cells where the server watches for motion, and sets the detection's
// sensitivity and parameters (the PENTA record). While it runs, the painter signals it for
// every painted frame (SetFrameEvent, through the data block's motion-dialog pointer), and its
// worker scales that frame into the dialog's picture.
//
// The opener fetches the PENTA record before the dialog opens (its engine's fetchMotionRecord,
// on its own worker) and hands the answer to the run (SetFetchedRecord); the dialog itself never
// waits for the network while it opens. The opener also hands over the engine APPLY sends
// through.
//
// One object serves every run: it names itself in the data block's motion-dialog pointer while
// it exists. The painter calls it through that guarded pointer, and the dialog's end withdraws
// itself first, waiting for a call under way.
#pragma once

#include <QImage>
#include <QPoint>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "app/app_data.h"
#include "platform/sync.h"
#include "ui/common/ui_dialog.h"
#include "ui/common/worker.h"
#include "ui/config/engine/sys_conf_engine.h"
#include "ui/config/motion/motion_grid.h"

class CMotionDetectionDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  enum : int {
    IDC_NS = 1040,
    IDC_LS = 1041,
    IDC_DT = 1042,
    IDC_SS = 1043,
    IDC_FT = 1044,
    IDC_SENSITIVITY = 1195,
    IDC_APPLY = 1429,
    IDC_SELECT_ALL = 1432,
    IDC_CLEAR_ALL = 1433,
    IDC_EXIT = 1439,
  };
  enum MouseState : int { kIdle = 1, kDragging = 2, kPressed = 4 };
  static constexpr int kResultEnded = -1;
  // The largest frame the worker takes (the buffers' size).
  static constexpr int kMaxFrameWidth = 720;
  static constexpr int kMaxFrameHeight = 576;

  // engine: what APPLY sends through (the opener gives its sheet's).
  explicit CMotionDetectionDlg(ports::SysConfEngine engine, QWidget* parent = nullptr);
  ~CMotionDetectionDlg() override;

  // The record fetched for the next run (nothing: the fetch failed). That run makes it the
  // cached PENTA record and shows it; APPLY edits and sends that. A run without a fetched
  // record shows 4029 and ends with -1 before its window appears. Each run uses up its record.
  void SetFetchedRecord(std::optional<PentaRecord> record) { m_fetched = std::move(record); }

  int DoModal() override;
  // The painter's frame entry, from any thread: signals the frame event while the dialog waits
  // for frames (its window exists and it is ready). True when it did.
  bool SetFrameEvent();
  bool IsReady() const { return m_bReady.load(); }

  // The mouse on the picture, in picture coordinates.
  void OnPictureMouseDown(QPoint point);
  void OnPictureMouseMove(QPoint point);
  void OnPictureMouseUp(QPoint point);
  void OnPictureLeave();
  void OnSelectAll();
  void OnClearAll();
  // APPLY: a changed record is sent on the APPLY worker (up to 5 s) while the window keeps
  // working with its controls disabled; the answer shows the failure message if any and ends
  // the run with 0. Nothing changed: the run ends with 0 at once.
  void OnApply();
  bool Applying() const { return m_bApplying; }
  const ui::Worker& ApplyWorker() const { return m_applyWorker; }
  // EXIT (and Escape, the close box) stop a send still waiting; nothing is shown.
  void OnExit();
  void OnSensitivityChanged();
  void OnParameterEdited(int index);

  // The picture as the dialog shows it now (frame, report, grid).
  const QImage& Picture() const { return m_image; }
  QRect PictureRect() const { return m_pictureRect; }

  syscfg::CellMask m_abyMask{};
  syscfg::CellMask m_abySelection{};
  syscfg::GridGeometry m_Geometry;
  int m_nSensitivity = 0;
  std::array<int, syscfg::kMotionParameterCount> m_anParameters{};  // NS, LS, DT, SS, FT
  int m_nMouseState = kIdle;
  QPoint m_ptPress;
  QPoint m_ptAnchor;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  void OnCancel() override;

 private:
  // The frame buffer the worker fills and the painter's frame event; shared with the worker,
  // which may outlive a run it had to give up.
  struct FrameShare {
    platform::Event frameEvent{platform::ResetMode::Auto};
    std::mutex lock;
    std::vector<std::uint8_t> frame;
  };

  void PlaceControls();
  bool LoadFromRecord();
  void StartWorker();
  void StopWorker();
  void StopApply();
  // The APPLY worker's answer: the send's result.
  void OnApplyDone(int result);
  void SetInputEnabled(bool enabled);
  // Builds the picture from the frame buffer, the motion report and the grid; then repaints.
  void Recompose();
  void EnableParameterEdits();

  ports::SysConfEngine m_engine;
  std::optional<PentaRecord> m_fetched;
  std::shared_ptr<FrameShare> m_frames;
  std::vector<std::uint8_t> m_work;
  QImage m_image;
  QRect m_pictureRect;
  QWidget* m_picture = nullptr;  // child
  ui::Worker m_worker;
  ui::Worker m_applyWorker;
  bool m_bApplying = false;
  std::atomic<bool> m_bReady{false};
  std::uint8_t m_byVideoFormat = 4;
  int m_nFrameWidth = 352;
};

// Scales the data block's current picture (frame width x height, 24-bit bottom-up) to the
// picture size with nearest-neighbour sampling; false (picture unchanged) when there is no
// picture or it is larger than 720 x 576.
bool ScaleCurrentFrame(std::span<std::uint8_t> picture, int width, int height);
