#include "ui/config/pages/alarm_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/app_data.h"
#include "media/frame_header.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/record_fields.h"
#include "ui/common/ip_address_ctrl.h"
#include "ui/common/message_ids.h"
#include "ui/common/modal_runner.h"
#include "ui/common/property_sheet.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/services.h"
#include "ui/config/motion/motion_detection_dlg.h"
#include "ui/config/records/sys_conf_mirror.h"
#include "ui/config/sheets/sys_conf_sheet_base.h"

namespace syscfg {

int DurationRow(int seconds) {
  const int index = DurationIndex(seconds);
  return index <= 4 ? index : -1;
}

int DurationOfRow(int row) {
  switch (row) {
    case 1:
      return 15;
    case 2:
      return 30;
    case 3:
      return 60;
    case 4:
      return 1800;
    default:
      return 3;
  }
}

std::uint8_t MethodAfterEmail(std::uint8_t method) {
  switch (method) {
    case 0:
      return 1;
    case 2:
      return 3;
    case 3:
      return 2;
    default:
      return method;
  }
}

std::uint8_t MethodAfterFtp(std::uint8_t method) {
  switch (method) {
    case 0:
      return 2;
    case 1:
      return 3;
    case 3:
      return 1;
    default:
      return method;
  }
}

}  // namespace syscfg

namespace {

constexpr int kClipRows = 10;
constexpr std::initializer_list<int> kNotifyControls = {
    AlarmPropertyPage::IDC_NONE, AlarmPropertyPage::IDC_EMAIL, AlarmPropertyPage::IDC_FTP,
    AlarmPropertyPage::IDC_DURATION};
constexpr std::initializer_list<int> kClipControls = {
    AlarmPropertyPage::IDC_VIDEO_MPEG4,  AlarmPropertyPage::IDC_VIDEO_JPEG,
    AlarmPropertyPage::IDC_MPEG4_LENGTH, AlarmPropertyPage::IDC_JPEG_COUNT,
    AlarmPropertyPage::IDC_MPEG4_LABEL,  AlarmPropertyPage::IDC_MPEG4_UNIT,
    AlarmPropertyPage::IDC_JPEG_LABEL,   AlarmPropertyPage::IDC_JPEG_UNIT};

QCheckBox* NewCheck(ui::ControlRegistry& c, int id, const QString& text, QWidget* parent) {
  auto* check = new QCheckBox(text, parent);
  c.Register(id, check);
  return check;
}

}  // namespace

AlarmPropertyPage::AlarmPropertyPage()
    : CSysConfPage(QStringLiteral("General::Trigger"), syscfg::kTriggerPageCode) {}

// The worker goes with the page: its tie to a window that outlives the page by a moment (it is
// deleted later) goes with it, and a fetch still running is stopped.
AlarmPropertyPage::~AlarmPropertyPage() = default;

void AlarmPropertyPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);
  const auto connectClick = [window](QAbstractButton* button, auto handler) {
    QObject::connect(button, &QAbstractButton::clicked, window, handler);
  };

  auto* inputs = new QHBoxLayout;
  auto* alarmGroup = NewGroup(c, 0, QStringLiteral("Alarm Input"), window);
  auto* alarm = new QHBoxLayout(alarmGroup);
  QRadioButton* alarmOn = NewRadio(c, IDC_ALARM_ENABLE, QStringLiteral("Enable"), alarmGroup);
  QRadioButton* alarmOff = NewRadio(c, IDC_ALARM_DISABLE, QStringLiteral("Disable"), alarmGroup);
  alarm->addWidget(alarmOn);
  alarm->addWidget(alarmOff);
  alarm->addStretch(1);
  inputs->addWidget(alarmGroup, 1);
  auto* motionGroup = NewGroup(c, 0, QStringLiteral("Motion Detection"), window);
  auto* motion = new QHBoxLayout(motionGroup);
  QRadioButton* motionOn = NewRadio(c, IDC_MOTION_ENABLE, QStringLiteral("Enable"), motionGroup);
  QRadioButton* motionOff = NewRadio(c, IDC_MOTION_DISABLE, QStringLiteral("Disable"), motionGroup);
  QPushButton* setup = NewButton(c, IDC_MOTION_SETUP, QStringLiteral("Motion Setup"), motionGroup);
  motion->addWidget(motionOn);
  motion->addWidget(motionOff);
  motion->addStretch(1);
  motion->addWidget(setup);
  inputs->addWidget(motionGroup, 1);
  page->addLayout(inputs);

  auto* notifyGroup = NewGroup(c, 0, QStringLiteral("Notify"), window);
  auto* notify = new QHBoxLayout(notifyGroup);
  QCheckBox* none = NewCheck(c, IDC_NONE, QStringLiteral("None"), notifyGroup);
  QCheckBox* email = NewCheck(c, IDC_EMAIL, QStringLiteral("Email"), notifyGroup);
  QCheckBox* ftp = NewCheck(c, IDC_FTP, QStringLiteral("FTP"), notifyGroup);
  notify->addWidget(none);
  notify->addWidget(email);
  notify->addWidget(ftp);
  notify->addStretch(1);
  notify->addWidget(NewLabel(c, 0, QStringLiteral("Alarm Duration :"), notifyGroup));
  QComboBox* duration = NewCombo(c, IDC_DURATION, notifyGroup);
  for (const char* row : {"None", "15 Secs", "30 Secs", "60 Secs", "1800 Secs"})
    duration->addItem(QString::fromLatin1(row));
  notify->addWidget(duration);
  page->addWidget(notifyGroup);

  auto* clipGroup = NewGroup(c, 0, QStringLiteral("Alarm Clip"), window);
  auto* clip = new QGridLayout(clipGroup);
  QRadioButton* mpeg4 = NewRadio(c, IDC_VIDEO_MPEG4, QStringLiteral("MPEG4"), clipGroup);
  QRadioButton* jpeg = NewRadio(c, IDC_VIDEO_JPEG, QStringLiteral("JPEG"), clipGroup);
  clip->addWidget(mpeg4, 0, 0);
  clip->addWidget(NewLabel(c, IDC_MPEG4_LABEL, QStringLiteral("MPEG4 : "), clipGroup), 0, 1);
  QComboBox* length = NewCombo(c, IDC_MPEG4_LENGTH, clipGroup);
  clip->addWidget(length, 0, 2);
  clip->addWidget(NewLabel(c, IDC_MPEG4_UNIT, QStringLiteral("Secs"), clipGroup), 0, 3);
  clip->addWidget(jpeg, 1, 0);
  clip->addWidget(NewLabel(c, IDC_JPEG_LABEL, QStringLiteral("JPEG : "), clipGroup), 1, 1);
  QComboBox* count = NewCombo(c, IDC_JPEG_COUNT, clipGroup);
  clip->addWidget(count, 1, 2);
  clip->addWidget(NewLabel(c, IDC_JPEG_UNIT, QStringLiteral("Pics"), clipGroup), 1, 3);
  for (int row = 1; row <= kClipRows; ++row) {
    length->addItem(QString::number(row));
    count->addItem(QString::number(row));
  }
  auto* resolutions = new QHBoxLayout;
  for (const auto& [id, text] :
       {std::pair{IDC_RESOLUTION_160, "160*120"}, std::pair{IDC_RESOLUTION_320, "320*240"},
        std::pair{IDC_RESOLUTION_VGA, "VGA"}}) {
    QRadioButton* radio = NewRadio(c, id, QString::fromLatin1(text), clipGroup);
    resolutions->addWidget(radio);
    connectClick(radio, [this, id = id] { OnResolution(id); });
  }
  resolutions->addStretch(1);
  clip->addLayout(resolutions, 2, 0, 1, 5);
  clip->setColumnStretch(4, 1);
  page->addWidget(clipGroup);

  auto* soundGroup = NewGroup(c, 0, QStringLiteral("Alarm Sound"), window);
  auto* sound = new QGridLayout(soundGroup);
  sound->addWidget(NewEdit(c, IDC_SOUND_PATH, soundGroup), 0, 0);
  QPushButton* load = NewButton(c, IDC_LOAD, QStringLiteral("Load"), soundGroup);
  sound->addWidget(load, 0, 1);
  QCheckBox* soundOn =
      NewCheck(c, IDC_SOUND_ON, QStringLiteral("Play the alarm sound"), soundGroup);
  sound->addWidget(soundOn, 1, 0);
  QPushButton* refresh =
      NewButton(c, IDC_TRIGGER_REFRESH, QStringLiteral("Trigger Refresh"), soundGroup);
  sound->addWidget(refresh, 1, 1);
  sound->setColumnStretch(0, 1);
  page->addWidget(soundGroup);
  page->addStretch(1);

  connectClick(alarmOn, [this] { OnAlarmEnable(true); });
  connectClick(alarmOff, [this] { OnAlarmEnable(false); });
  connectClick(motionOn, [this] { OnMotionEnable(true); });
  connectClick(motionOff, [this] { OnMotionEnable(false); });
  connectClick(none, [this] { OnNone(); });
  connectClick(email, [this] { OnEmail(); });
  connectClick(ftp, [this] { OnFtp(); });
  connectClick(mpeg4, [this] { OnVideoType(1); });
  connectClick(jpeg, [this] { OnVideoType(2); });
  connectClick(load, [this] { OnLoad(); });
  connectClick(soundOn, [this] { m_bSoundOn = !m_bSoundOn; });
  connectClick(setup, [this] { OnMotionSetup(); });
  connectClick(refresh, [this] { OnTriggerRefresh(); });
  m_fetchWorker.TieTo(*window);
}

bool AlarmPropertyPage::OnInitDialog() {
  using namespace cfg;
  ui::ControlRegistry& c = Controls();
  if (const std::span<const std::uint8_t> record = CachedConfigRecord(kConfigTrigger);
      !record.empty()) {
    m_nDuration = syscfg::DurationRow(net::RecordU16(record, trigger::kDuration));
    m_nMpeg4Length = syscfg::ClipLengthIndex(net::RecordU8(record, trigger::kMpeg4Length));
    m_nJpegCount = syscfg::PictureCountIndex(net::RecordU8(record, trigger::kJpegPictures));
    m_byMethod = net::RecordU8(record, trigger::kMethod);
    m_byAlarm = net::RecordU8(record, trigger::kAlarm);
    m_byMotion = net::RecordU8(record, trigger::kMotion);
    m_byVideoType = net::RecordU8(record, trigger::kVideoType);
  }
  EnableNotify(true);
  EnableClip(m_byMethod != 0);
  ShowMethod();
  syscfg::CheckRadio(c, IDC_ALARM_ENABLE, m_byAlarm != 0);
  syscfg::CheckRadio(c, IDC_ALARM_DISABLE, m_byAlarm == 0);
  syscfg::CheckRadio(c, IDC_MOTION_ENABLE, m_byMotion != 0);
  syscfg::CheckRadio(c, IDC_MOTION_DISABLE, m_byMotion == 0);
  if (m_byAlarm == 0 && m_byMotion == 0) {
    EnableNotify(false);
    EnableClip(false);
  }
  syscfg::CheckRadio(c, IDC_VIDEO_MPEG4, m_byVideoType == 1);
  syscfg::CheckRadio(c, IDC_VIDEO_JPEG, m_byVideoType == 2);
  for (int id : {IDC_RESOLUTION_160, IDC_RESOLUTION_320, IDC_RESOLUTION_VGA})
    syscfg::CheckRadio(c, id, id == m_nResolution);
  const int width = g_lpApp ? g_lpApp->m_wFrameWidth.load() : 0;
  syscfg::EnableControls(c, {IDC_MOTION_SETUP}, width == 704 || width == 352);
  return CSysConfPage::OnInitDialog();
}

void AlarmPropertyPage::DoDataExchange(ui::DataExchange& dx) {
  dx.ComboIndex(IDC_DURATION, m_nDuration);
  dx.ComboIndex(IDC_MPEG4_LENGTH, m_nMpeg4Length);
  dx.ComboIndex(IDC_JPEG_COUNT, m_nJpegCount);
  dx.Text(IDC_SOUND_PATH, m_strSoundPath);
  dx.Check(IDC_SOUND_ON, m_bSoundOn);
}

void AlarmPropertyPage::ShowMethod() {
  ui::ControlRegistry& c = Controls();
  syscfg::CheckRadio(c, IDC_NONE, m_byMethod == 0);
  syscfg::CheckRadio(c, IDC_EMAIL, m_byMethod == 1 || m_byMethod == 3);
  syscfg::CheckRadio(c, IDC_FTP, m_byMethod == 2 || m_byMethod == 3);
}

void AlarmPropertyPage::EnableNotify(bool enable) {
  for (int id : kNotifyControls)
    syscfg::EnableControls(Controls(), {id}, enable);
}

void AlarmPropertyPage::EnableClip(bool enable) {
  for (int id : kClipControls)
    syscfg::EnableControls(Controls(), {id}, enable);
}

void AlarmPropertyPage::OnEnableChanged(std::uint8_t& own, std::uint8_t other, bool enable,
                                        int enableId, int disableId) {
  own = enable ? 1 : 0;
  syscfg::CheckRadio(Controls(), enableId, enable);
  syscfg::CheckRadio(Controls(), disableId, !enable);
  // While the other input is on, the notify controls are already as they should be.
  if (other != 0)
    return;
  EnableNotify(enable);
  EnableClip(enable && m_byMethod != 0);
}

void AlarmPropertyPage::OnAlarmEnable(bool enable) {
  OnEnableChanged(m_byAlarm, m_byMotion, enable, IDC_ALARM_ENABLE, IDC_ALARM_DISABLE);
}

void AlarmPropertyPage::OnMotionEnable(bool enable) {
  OnEnableChanged(m_byMotion, m_byAlarm, enable, IDC_MOTION_ENABLE, IDC_MOTION_DISABLE);
}

void AlarmPropertyPage::OnNone() {
  m_byMethod = 0;
  ShowMethod();
  EnableClip(false);
}

void AlarmPropertyPage::OnEmail() {
  m_byMethod = syscfg::MethodAfterEmail(m_byMethod);
  ShowMethod();
  EnableClip(true);
}

void AlarmPropertyPage::OnFtp() {
  m_byMethod = syscfg::MethodAfterFtp(m_byMethod);
  ShowMethod();
  EnableClip(true);
}

void AlarmPropertyPage::OnVideoType(std::uint8_t type) {
  m_byVideoType = type;
  syscfg::CheckRadio(Controls(), IDC_VIDEO_MPEG4, type == 1);
  syscfg::CheckRadio(Controls(), IDC_VIDEO_JPEG, type == 2);
}

void AlarmPropertyPage::OnResolution(int id) {
  m_nResolution = id;
  for (int radio : {IDC_RESOLUTION_160, IDC_RESOLUTION_320, IDC_RESOLUTION_VGA})
    syscfg::CheckRadio(Controls(), radio, radio == id);
}

void AlarmPropertyPage::OnLoad() {
  const QString path = ui::FileChooser().OpenFile(GetWindow(), QStringLiteral("Alarm Sound"),
                                                  QString(), QStringLiteral("WAV files (*.wav)"));
  if (path.isEmpty())
    return;
  if (auto* edit = Controls().Get<QLineEdit>(IDC_SOUND_PATH))
    edit->setText(path);
}

void AlarmPropertyPage::OnMotionSetup() {
  // Without the page's window (no key to press) the answer would have nowhere to go.
  if (FetchingMotionRecord() || !HasWindow() ||
      (m_pMotionDialog && m_pMotionDialog->IsInModalRun()))
    return;
  if (QWidget* key = GetDlgItem(IDC_MOTION_SETUP)) {
    m_bSetupKeyEnabled = key->isEnabled();
    key->setEnabled(false);
  }
  const bool started = m_fetchWorker.Start(
      "MotionFetchThread",
      [fetch = Engine().fetchMotionRecord](const ui::WorkerRun<>& run) {
        return fetch(run.Token());
      },
      [this](std::optional<PentaRecord> record) { OnMotionFetchDone(std::move(record)); });
  if (!started)
    OnMotionFetchDone(std::nullopt);
}

void AlarmPropertyPage::EndFetch() {
  m_fetchWorker.Stop();
  if (QWidget* key = GetDlgItem(IDC_MOTION_SETUP))
    key->setEnabled(m_bSetupKeyEnabled);
}

void AlarmPropertyPage::OnMotionFetchDone(std::optional<PentaRecord> record) {
  EndFetch();
  // APPLY or REBOOT began while the record was on its way: the sheet is about to close.
  if (const CSysConfSheetBase* sheet = GetConfSheet();
      sheet != nullptr && (sheet->Applying() || sheet->Rebooting())) {
    return;
  }
  if (!record) {
    ui::MessageBoxById(ui::kMsgGetConfigError);
    return;
  }
  if (!m_pMotionDialog)
    m_pMotionDialog = std::make_unique<CMotionDetectionDlg>(Engine(), GetSheet());
  m_pMotionDialog->SetFetchedRecord(*record);
  ui::RunModal(*m_pMotionDialog);
}

void AlarmPropertyPage::OnTriggerRefresh() {
  if (!g_lpApp)
    return;
  g_lpApp->m_VideoFrameHeader.UpdateChannelState();
  g_lpApp->m_AudioFrameHeader.UpdateChannelState();
}

CAlarmTriggerPage::CAlarmTriggerPage() : CPropertyPage(QStringLiteral("R.E.T.R.")) {}

void CAlarmTriggerPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* grid = new QGridLayout(window);
  grid->addWidget(NewLabel(c, 0, QStringLiteral("Connection Check IP :\n(GATEWAY)"), window), 0, 0);
  grid->addWidget(NewAddress(c, IDC_CHECK_ADDRESS, window), 0, 1, 1, 3);
  const struct {
    const char* title;
    int ids[3];
    const char* texts[3];
  } groups[] = {{"Quality", {IDC_HIGH, IDC_MIDDLE, IDC_LOW}, {"High", "Middle", "Low"}},
                {"Resolution", {IDC_VGA, IDC_QVGA, 0}, {"VGA", "QVGA", nullptr}},
                {"R.E.T.R.", {IDC_ON, IDC_OFF, 0}, {"ON", "OFF", nullptr}},
                {"Remote Record",
                 {IDC_REMOTE_ENABLE, IDC_REMOTE_DISABLE, 0},
                 {"Enable", "Disable", nullptr}}};
  int row = 1;
  for (const auto& g : groups) {
    grid->addWidget(NewLabel(c, 0, QString::fromLatin1(g.title), window), row, 0);
    for (int i = 0; i < 3 && g.ids[i] != 0; ++i)
      grid->addWidget(NewRadio(c, g.ids[i], QString::fromLatin1(g.texts[i]), window), row, i + 1);
    ++row;
  }
  grid->addWidget(NewCombo(c, IDC_COMBO, window), row++, 1);
  grid->addWidget(NewLabel(c, 0, QStringLiteral("R.E.T.R :  \nTime Limit "), window), row, 0);
  grid->addWidget(NewCombo(c, IDC_TIME_LIMIT, window), row, 1);
  for (int id : {IDC_HOURS, IDC_MINUTES}) {
    QLineEdit* edit = NewEdit(c, id, window);
    edit->setMaxLength(2);
    grid->addWidget(edit, row, id == IDC_HOURS ? 2 : 3);
    QObject::connect(edit, &QLineEdit::textEdited, window, [this, id] { OnTimeEdited(id); });
  }
  grid->setRowStretch(row + 1, 1);
  const auto click = [&](int id, auto handler) {
    QObject::connect(c.Get<QAbstractButton>(id), &QAbstractButton::clicked, window, handler);
  };
  click(IDC_HIGH, [this] { OnQuality(1); });
  click(IDC_MIDDLE, [this] { OnQuality(2); });
  click(IDC_LOW, [this] { OnQuality(3); });
  click(IDC_VGA, [this] { OnResolution(1); });
  click(IDC_QVGA, [this] { OnResolution(2); });
  click(IDC_ON, [this] { OnRetr(1); });
  click(IDC_OFF, [this] { OnRetr(0); });
  click(IDC_REMOTE_ENABLE, [this] { OnRemoteRecord(1); });
  click(IDC_REMOTE_DISABLE, [this] { OnRemoteRecord(0); });
}

bool CAlarmTriggerPage::OnInitDialog() {
  const bool result = CPropertyPage::OnInitDialog();
  if (m_dwCheckAddress != 0) {
    if (auto* address = Controls().Get<ui::IpAddressCtrl>(IDC_CHECK_ADDRESS))
      address->SetAddress(m_dwCheckAddress);
  }
  CheckPair(IDC_REMOTE_ENABLE, IDC_REMOTE_DISABLE, m_byRemoteRecord != 0);
  return result;
}

void CAlarmTriggerPage::DoDataExchange(ui::DataExchange& dx) {
  dx.ComboIndex(IDC_COMBO, m_nCombo);
  dx.ComboIndex(IDC_TIME_LIMIT, m_nTimeLimit);
  dx.Number(IDC_HOURS, m_dwHours, 0u, 23u);
  dx.Number(IDC_MINUTES, m_dwMinutes, 0u, 59u);
}

void CAlarmTriggerPage::CheckPair(int first, int second, bool firstChecked) {
  syscfg::CheckRadio(Controls(), first, firstChecked);
  syscfg::CheckRadio(Controls(), second, !firstChecked);
}

void CAlarmTriggerPage::OnQuality(int quality) {
  m_nQuality = quality;
  syscfg::CheckRadio(Controls(), IDC_HIGH, quality == 1);
  syscfg::CheckRadio(Controls(), IDC_MIDDLE, quality == 2);
  syscfg::CheckRadio(Controls(), IDC_LOW, quality == 3);
}

void CAlarmTriggerPage::OnResolution(int resolution) {
  m_nResolution = resolution;
  CheckPair(IDC_VGA, IDC_QVGA, resolution == 1);
  CheckPair(IDC_ON, IDC_OFF, m_byRetr != 0);
}

void CAlarmTriggerPage::OnRetr(std::uint8_t on) {
  m_byRetr = on;
  CheckPair(IDC_ON, IDC_OFF, on != 0);
  if (m_nResolution == 2) {
    syscfg::CheckRadio(Controls(), IDC_QVGA, true);
  } else if (m_nResolution != 1) {
    syscfg::CheckRadio(Controls(), IDC_VGA, true);
  }
}

void CAlarmTriggerPage::OnRemoteRecord(std::uint8_t enable) {
  m_byRemoteRecord = enable;
  CheckPair(IDC_REMOTE_ENABLE, IDC_REMOTE_DISABLE, enable != 0);
}

void CAlarmTriggerPage::OnTimeEdited(int id) {
  auto* edit = Controls().Get<QLineEdit>(id);
  if (edit == nullptr)
    return;
  QString digits;
  for (QChar ch : edit->text()) {
    if (ch.isDigit())
      digits += ch;
  }
  if (digits.isEmpty())
    return;
  const unsigned limit = id == IDC_HOURS ? 23u : 59u;
  if (digits.toUInt() > limit)
    digits = QString::number(limit);
  if (digits != edit->text())
    edit->setText(digits);
}
