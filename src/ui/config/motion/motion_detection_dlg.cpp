#include "ui/config/motion/motion_detection_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "platform/message_box.h"
#include "prim/resize/prim_resize.h"
#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"
#include "ui/config/records/stream_shape.h"

namespace {

constexpr int kDialogWidth = 520;
constexpr int kSideButtonWidth = 65;
constexpr int kSideButtonHeight = 60;
constexpr const char* kSetConfigFailedText = "Set the system config is failed\n";
constexpr int kParameterIds[] = {CMotionDetectionDlg::IDC_NS, CMotionDetectionDlg::IDC_LS,
                                 CMotionDetectionDlg::IDC_DT, CMotionDetectionDlg::IDC_SS,
                                 CMotionDetectionDlg::IDC_FT};
constexpr const char* kParameterNames[] = {"NS", "LS", "DT", "SS", "FT"};

std::size_t PictureBytes(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
}

// The picture: draws what the dialog composed, and hands the mouse to the dialog.
class MotionPicture final : public QWidget {
 public:
  MotionPicture(CMotionDetectionDlg* dialog, QWidget* parent) : QWidget(parent), m_dialog(dialog) {
    setObjectName(QStringLiteral("MotionPicture"));
    setMouseTracking(true);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, m_dialog->Picture());
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton)
      m_dialog->OnPictureMouseDown(event->position().toPoint());
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    m_dialog->OnPictureMouseMove(event->position().toPoint());
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton)
      m_dialog->OnPictureMouseUp(event->position().toPoint());
  }
  void leaveEvent(QEvent*) override { m_dialog->OnPictureLeave(); }

 private:
  CMotionDetectionDlg* m_dialog;
};

}  // namespace

bool ScaleCurrentFrame(std::span<std::uint8_t> picture, int width, int height) {
  if (!g_lpApp || picture.size() < PictureBytes(width, height))
    return false;
  const CAppData& app = *g_lpApp;
  const std::uint8_t* source = app.m_pCurrentPicture.load();
  const int sourceWidth = app.m_wFrameWidth.load();
  const int sourceHeight = app.m_wFrameHeight.load();
  // A frame larger than the buffers is not a picture this dialog can take.
  if (source == nullptr || sourceWidth <= 0 || sourceHeight <= 0 ||
      sourceWidth > CMotionDetectionDlg::kMaxFrameWidth ||
      sourceHeight > CMotionDetectionDlg::kMaxFrameHeight) {
    return false;
  }
  if (sourceWidth == width && sourceHeight == height) {
    std::memcpy(picture.data(), source, PictureBytes(width, height));
    return true;
  }
  // Every other size is scaled: the source rows are never read as picture rows.
  const PrimStatus status = primResize_8u_C3R(
      source, PrimSize{sourceWidth, sourceHeight}, sourceWidth * 3,
      PrimRect{0, 0, sourceWidth, sourceHeight}, picture.data(), width * 3, PrimSize{width, height},
      static_cast<double>(width) / sourceWidth, static_cast<double>(height) / sourceHeight, 1);
  return status >= 0;
}

CMotionDetectionDlg::CMotionDetectionDlg(ports::SysConfEngine engine, QWidget* parent)
    : UiDialog(parent), m_engine(std::move(engine)), m_frames(std::make_shared<FrameShare>()) {
  setWindowTitle(QStringLiteral("Motion Detection"));
  auto* area = new QWidget(this);
  area->setObjectName(QStringLiteral("Controls"));
  auto* grid = new QGridLayout(area);
  grid->addWidget(new QLabel(QStringLiteral("SENSITIVITY"), area), 0, 0, 1, 2);
  auto* sensitivity = new QComboBox(area);
  sensitivity->addItems({QStringLiteral("Custom"), QStringLiteral("1"), QStringLiteral("2"),
                         QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")});
  RegisterControl(IDC_SENSITIVITY, sensitivity);
  grid->addWidget(sensitivity, 0, 2, 1, 2);
  auto* apply = new QPushButton(QStringLiteral("APPLY"), area);
  auto* exit = new QPushButton(QStringLiteral("EXIT"), area);
  for (QPushButton* button : {apply, exit})
    button->setAutoDefault(false);
  RegisterControl(IDC_APPLY, apply);
  RegisterControl(IDC_EXIT, exit);
  grid->addWidget(apply, 0, 7, 1, 2);
  grid->addWidget(exit, 0, 9, 1, 1);
  for (int i = 0; i < syscfg::kMotionParameterCount; ++i) {
    grid->addWidget(new QLabel(QString::fromLatin1(kParameterNames[i]), area), 1, 2 * i,
                    Qt::AlignRight);
    auto* edit = new QLineEdit(area);
    edit->setMaxLength(3);
    edit->setMaximumWidth(48);
    RegisterControl(kParameterIds[i], edit);
    grid->addWidget(edit, 1, 2 * i + 1);
    connect(edit, &QLineEdit::textEdited, this, [this, i] { OnParameterEdited(i); });
  }
  connect(sensitivity, &QComboBox::activated, this, [this] { OnSensitivityChanged(); });
  connect(apply, &QPushButton::clicked, this, [this] { OnApply(); });
  connect(exit, &QPushButton::clicked, this, [this] { OnExit(); });

  m_picture = new MotionPicture(this, this);
  auto* selectAll = new QPushButton(QStringLiteral("( + )\nSELECT\nALL"), this);
  auto* clearAll = new QPushButton(QStringLiteral("( - )\nCLEAR\nALL"), this);
  for (QPushButton* button : {selectAll, clearAll}) {
    button->setAutoDefault(false);
    button->hide();
  }
  RegisterControl(IDC_SELECT_ALL, selectAll);
  RegisterControl(IDC_CLEAR_ALL, clearAll);
  connect(selectAll, &QPushButton::clicked, this, [this] { OnSelectAll(); });
  connect(clearAll, &QPushButton::clicked, this, [this] { OnClearAll(); });
  if (g_lpApp)
    g_lpApp->m_pMotionDetectionDlg.Publish(this);
}

CMotionDetectionDlg::~CMotionDetectionDlg() {
  // First the painter loses its way here: the withdrawal waits for its call under way, so no
  // thread is inside the dialog while it goes.
  if (g_lpApp)
    g_lpApp->m_pMotionDetectionDlg.Withdraw(this);
  m_bReady = false;
  StopApply();
  StopWorker();
}

bool CMotionDetectionDlg::SetFrameEvent() {
  if (!m_bReady.load())
    return false;
  m_frames->frameEvent.Set();
  return true;
}

int CMotionDetectionDlg::DoModal() {
  const int result = UiDialog::DoModal();
  // The end of the run: no more frames, the workers stopped, the buffers freed.
  m_bReady = false;
  m_fetched.reset();
  StopApply();
  SetInputEnabled(true);
  StopWorker();
  m_work = {};
  m_image = QImage();
  {
    std::lock_guard lock(m_frames->lock);
    m_frames->frame = {};
  }
  return result;
}

bool CMotionDetectionDlg::OnInitDialog() {
  const syscfg::StreamShape stream = syscfg::CurrentStreamShape();
  m_nFrameWidth = stream.frameWidth;
  m_byVideoFormat = stream.videoFormat;
  m_Geometry = syscfg::MotionGridGeometry(m_nFrameWidth, stream.videoStandard);
  PlaceControls();
  m_abySelection = {};
  m_nMouseState = kIdle;
  if (!LoadFromRecord()) {
    ui::MessageBoxById(ui::kMsgGetConfigError);
    EndDialog(kResultEnded);
    return true;
  }
  m_work.assign(PictureBytes(m_Geometry.width, m_Geometry.height), 0);
  {
    std::lock_guard lock(m_frames->lock);
    m_frames->frame.assign(m_work.size(), 0);
  }
  EnableParameterEdits();
  UiDialog::OnInitDialog();
  Recompose();
  StartWorker();
  m_bReady = true;
  return true;
}

void CMotionDetectionDlg::PlaceControls() {
  QWidget* area = findChild<QWidget*>(QStringLiteral("Controls"));
  const int top = area->sizeHint().height();
  area->setGeometry(0, 0, kDialogWidth, top);
  m_pictureRect =
      QRect((kDialogWidth - m_Geometry.width) / 2, top, m_Geometry.width, m_Geometry.height);
  m_picture->setGeometry(m_pictureRect);
  const int h = m_pictureRect.height();
  const int x = m_pictureRect.right() + 1 + 10;
  GetDlgItem(IDC_SELECT_ALL)
      ->setGeometry(x, top + (h - 120) / 3, kSideButtonWidth, kSideButtonHeight);
  GetDlgItem(IDC_CLEAR_ALL)
      ->setGeometry(x, top + (2 * h - 240) / 3 + 60, kSideButtonWidth, kSideButtonHeight);
  GetDlgItem(IDC_SELECT_ALL)->show();
  GetDlgItem(IDC_CLEAR_ALL)->show();
  setFixedSize(kDialogWidth, top + h + 20);
}

bool CMotionDetectionDlg::LoadFromRecord() {
  const std::optional<PentaRecord> fetched = std::exchange(m_fetched, std::nullopt);
  // The fresh record becomes the cached one, which APPLY edits and sends.
  const std::span<std::uint8_t> record = CachedConfigRecord(kConfigPenta);
  if (!fetched || record.size() != fetched->size())
    return false;
  std::copy(fetched->begin(), fetched->end(), record.begin());
  // Every width but 704 uses the 352 grid and its mask.
  const syscfg::MotionRecordSettings settings =
      syscfg::ReadMotionRecord(*fetched, m_byVideoFormat == 0, m_nFrameWidth);
  m_nSensitivity = settings.sensitivity;
  m_anParameters = settings.parameters;
  m_abyMask = settings.mask;
  return true;
}

void CMotionDetectionDlg::StartWorker() {
  const auto frames = m_frames;
  const EventHandle endOfStreams = g_lpApp ? g_lpApp->h_EndofGetJpegImageEvent : EventHandle{};
  const int width = m_Geometry.width;
  const int height = m_Geometry.height;
  // Each frame is reported (the picture is built again from the buffer); the result tells
  // whether the streams ended.
  m_worker.Start<std::monostate>(
      "MotionDetection",
      [=](const ui::WorkerRun<>& run) {
        std::vector<std::uint8_t> scaled(PictureBytes(width, height));
        std::vector<platform::Waitable*> objects = {&run.Token().StopEvent(), &frames->frameEvent};
        if (endOfStreams)
          objects.push_back(endOfStreams.get());
        for (;;) {
          const std::uint32_t index = platform::WaitAny(objects, platform::kInfinite);
          if (index != 1)
            return index == 2;
          if (ScaleCurrentFrame(scaled, width, height)) {
            std::lock_guard lock(frames->lock);
            frames->frame = scaled;
          }
          run.Report({});
        }
      },
      [this](std::monostate) { Recompose(); },
      [this](bool streamsEnded) {
        if (streamsEnded)
          EndDialog(kResultEnded);
      });
}

void CMotionDetectionDlg::StopWorker() {
  m_worker.Stop();
}

void CMotionDetectionDlg::Recompose() {
  if (m_work.empty())
    return;
  {
    std::lock_guard lock(m_frames->lock);
    if (m_frames->frame.size() == m_work.size())
      std::copy(m_frames->frame.begin(), m_frames->frame.end(), m_work.begin());
  }
  const syscfg::BgrPicture picture{m_work, m_Geometry.width, m_Geometry.height};
  if (g_lpApp && g_lpApp->m_dwMotionFlag.load() == 1) {
    // The stream keeps writing the report: draw from a copy.
    std::array<std::uint8_t, syscfg::kMotionReportBytes> report{};
    if (const std::uint8_t* current = g_lpApp->m_pCurrentFrameInfo.load()) {
      std::memcpy(report.data(), current, report.size());
      if (const auto cells = syscfg::DecodeMotionReport(report))
        syscfg::HighlightReport(picture, m_Geometry, *cells);
    }
  }
  syscfg::DrawGrid(picture, m_Geometry, m_abyMask, m_abySelection);
  // The buffer is bottom-up; the image shows it top-down.
  m_image = QImage(m_work.data(), m_Geometry.width, m_Geometry.height, m_Geometry.width * 3,
                   QImage::Format_BGR888)
                .mirrored(false, true);
  m_picture->update();
}

void CMotionDetectionDlg::DoDataExchange(ui::DataExchange& dx) {
  dx.ComboIndex(IDC_SENSITIVITY, m_nSensitivity);
  constexpr std::pair<int, int> kRanges[] = {{0, 7}, {1, 63}, {1, 127}, {1, 255}, {1, 255}};
  for (int i = 0; i < syscfg::kMotionParameterCount; ++i) {
    const auto [low, high] = kRanges[i];
    dx.Number(kParameterIds[i], m_anParameters[static_cast<std::size_t>(i)], low, high);
  }
}

void CMotionDetectionDlg::EnableParameterEdits() {
  for (int id : kParameterIds) {
    if (QWidget* edit = GetDlgItem(id))
      edit->setEnabled(m_nSensitivity == 0);
  }
}

void CMotionDetectionDlg::OnPictureMouseDown(QPoint point) {
  if (m_nMouseState == kIdle && syscfg::CellAt(m_Geometry, point) >= 0) {
    m_nMouseState = kPressed;
    m_ptPress = point;
  }
}

void CMotionDetectionDlg::OnPictureMouseMove(QPoint point) {
  const int cell = syscfg::CellAt(m_Geometry, point);
  switch (m_nMouseState) {
    case kIdle:
      // The cell under the pointer is the hover mark.
      m_abySelection = {};
      if (cell >= 0)
        syscfg::SetCell(m_abySelection, cell, true);
      break;
    case kPressed:
      m_abySelection = {};
      if (cell >= 0) {
        m_nMouseState = kDragging;
        m_ptAnchor = point;
        syscfg::SetCell(m_abySelection, cell, true);
      }
      break;
    case kDragging:
      if (point == m_ptAnchor)
        return;
      m_abySelection = syscfg::CellsInDrag(m_Geometry, m_ptAnchor, point);
      break;
    default:
      return;
  }
  Recompose();
}

void CMotionDetectionDlg::OnPictureMouseUp(QPoint point) {
  if (m_nMouseState == kPressed) {
    syscfg::ToggleCell(m_abyMask, syscfg::CellAt(m_Geometry, point));
  } else if (m_nMouseState == kDragging) {
    for (int cell = 0; cell < syscfg::kGridCells; ++cell) {
      if (syscfg::IsCellSet(m_abySelection, cell))
        syscfg::ToggleCell(m_abyMask, cell);
    }
    m_abySelection = {};
  }
  m_nMouseState = kIdle;
  Recompose();
}

void CMotionDetectionDlg::OnPictureLeave() {
  if (m_nMouseState == kIdle) {
    m_abySelection = {};
    Recompose();
  }
}

void CMotionDetectionDlg::OnSelectAll() {
  m_abyMask.fill(0xFF);
  Recompose();
}

void CMotionDetectionDlg::OnClearAll() {
  m_abyMask.fill(0);
  Recompose();
}

void CMotionDetectionDlg::OnSensitivityChanged() {
  UpdateData(true);
  if (const auto preset = syscfg::SensitivityPreset(m_nSensitivity)) {
    m_anParameters[0] = preset->ns;
    m_anParameters[1] = preset->ls;
    m_anParameters[3] = preset->ss;
    m_anParameters[4] = preset->ft;
    UpdateData(false);
  }
  EnableParameterEdits();
}

void CMotionDetectionDlg::OnParameterEdited(int index) {
  auto* edit = Controls().Get<QLineEdit>(kParameterIds[index]);
  if (edit == nullptr || edit->text().isEmpty())
    return;
  const int value = syscfg::ClampMotionParameter(index, edit->text().toLongLong());
  m_anParameters[static_cast<std::size_t>(index)] = value;
  if (edit->text() != QString::number(value))
    edit->setText(QString::number(value));
}

void CMotionDetectionDlg::OnApply() {
  const std::span<std::uint8_t> record = CachedConfigRecord(kConfigPenta);
  if (record.size() != syscfg::kPentaRecordBytes || m_bApplying || !UpdateData(true))
    return;
  using namespace cfg::penta;
  bool changed = false;
  // Each changed value goes into both sets, the MPEG-4 one and the JPEG one.
  const bool jpeg = m_byVideoFormat == 0;
  const std::size_t sensitivity = jpeg ? kJpegSensitivity : kMpeg4Sensitivity;
  const std::size_t parameters = jpeg ? kJpegParameters : kMpeg4Parameters;
  if (record[sensitivity] != m_nSensitivity) {
    record[kMpeg4Sensitivity] = record[kJpegSensitivity] =
        static_cast<std::uint8_t>(m_nSensitivity);
    changed = true;
  }
  for (std::size_t i = 0; i < m_anParameters.size(); ++i) {
    if (record[parameters + i] != m_anParameters[i]) {
      record[kMpeg4Parameters + i] = record[kJpegParameters + i] =
          static_cast<std::uint8_t>(m_anParameters[i]);
      changed = true;
    }
  }
  const bool grid704 = m_nFrameWidth == 704;
  const std::size_t own = grid704 ? kMask704 : kMask352;
  if (!std::equal(m_abyMask.begin(), m_abyMask.end(),
                  record.begin() + static_cast<std::ptrdiff_t>(own))) {
    const syscfg::CellMask other =
        grid704 ? syscfg::Derive352Mask(m_abyMask) : syscfg::Derive704Mask(m_abyMask);
    std::copy(m_abyMask.begin(), m_abyMask.end(),
              record.begin() + static_cast<std::ptrdiff_t>(own));
    std::copy(other.begin(), other.end(),
              record.begin() + static_cast<std::ptrdiff_t>(grid704 ? kMask352 : kMask704));
    changed = true;
  }
  if (!changed) {
    EndDialog(0);
    return;
  }
  // The send runs on the worker with a copy of the record; the window keeps working meanwhile,
  // taking no input.
  m_bApplying = true;
  SetInputEnabled(false);
  const bool started = m_applyWorker.Start(
      "MotionApply",
      [send = m_engine.setRecord, bytes = std::vector<std::uint8_t>(record.begin(), record.end())](
          const ui::WorkerRun<>& run) { return send(kConfigPenta, bytes, 0, run.Token()); },
      [this](int result) { OnApplyDone(result); });
  if (!started)
    OnApplyDone(0);
}

void CMotionDetectionDlg::OnApplyDone(int result) {
  if (!m_bApplying)
    return;
  StopApply();
  if (result != 1)
    platform::ShowMessageBox(kSetConfigFailedText);
  EndDialog(0);
}

void CMotionDetectionDlg::StopApply() {
  m_applyWorker.Stop();
  m_bApplying = false;
}

void CMotionDetectionDlg::SetInputEnabled(bool enabled) {
  for (QWidget* child : {findChild<QWidget*>(QStringLiteral("Controls")), m_picture,
                         GetDlgItem(IDC_SELECT_ALL), GetDlgItem(IDC_CLEAR_ALL)}) {
    if (child != nullptr)
      child->setEnabled(enabled);
  }
}

void CMotionDetectionDlg::OnCancel() {
  StopApply();
  UiDialog::OnCancel();
}

void CMotionDetectionDlg::OnExit() {
  StopApply();
  EndDialog(0);
}
