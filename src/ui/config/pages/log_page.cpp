#include "ui/config/pages/log_page.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "net/net_environment.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/string_table.h"
#include "ui/config/sheets/sys_conf_sheet_base.h"

namespace {

constexpr struct {
  int id;
  std::uint32_t kind;
  const char* text;
} kFilters[] = {{CGetLogPPage::IDC_SYSTEM, net::kLogKindSystem, "SYSTEM"},
                {CGetLogPPage::IDC_ERROR, net::kLogKindError, "ERROR"},
                {CGetLogPPage::IDC_USER, net::kLogKindUser, "USER"}};

QString ButtonText(bool downloading) {
  const QString text = ui::LoadString(CGetLogPPage::IDC_DOWNLOAD);
  return downloading ? ui::AfterSeparator(text, QLatin1Char(','))
                     : ui::BeforeSeparator(text, QLatin1Char(','));
}

}  // namespace

CGetLogPPage::CGetLogPPage()
    : CSysConfPage(QStringLiteral("Information::Log File"), syscfg::kLogPageCode),
      m_abyRecords(net::kLogBufferBytes) {}

// The worker goes with the page: its tie to a window that outlives the page by a moment (it is
// deleted later) goes with it, and a run still going is stopped.
CGetLogPPage::~CGetLogPPage() = default;

void CGetLogPPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);
  auto* top = new QHBoxLayout;
  QPushButton* download = NewButton(c, IDC_DOWNLOAD, ButtonText(false), window);
  QPushButton* erase = NewButton(c, IDC_ERASE, QStringLiteral("Erase"), window);
  top->addWidget(download);
  top->addWidget(erase);
  top->addSpacing(12);
  top->addWidget(NewLabel(c, 0, QStringLiteral("MAX LOG LIST :"), window));
  QLineEdit* maxLog = NewPortEdit(c, IDC_MAX_LOG, window);
  maxLog->setMaxLength(4);
  maxLog->setMaximumWidth(60);
  top->addWidget(maxLog);
  top->addStretch(1);
  page->addLayout(top);
  auto* filters = new QHBoxLayout;
  for (const auto& f : kFilters) {
    auto* check = new QCheckBox(QString::fromLatin1(f.text), window);
    c.Register(f.id, check);
    filters->addWidget(check);
    QObject::connect(check, &QCheckBox::clicked, window, [this, kind = f.kind] { OnFilter(kind); });
  }
  filters->addStretch(1);
  page->addLayout(filters);
  ui::ListCtrl* list = NewList(c, IDC_LIST, window);
  list->InsertColumn(0, QStringLiteral("NO."), 40);
  list->InsertColumn(1, QStringLiteral("EVENT"), 70);
  list->InsertColumn(2, QStringLiteral("TIME"), 140);
  list->InsertColumn(3, QStringLiteral("RESULT"), 100);
  list->header()->setStretchLastSection(true);
  list->header()->setDefaultAlignment(Qt::AlignCenter);
  page->addWidget(list, 1);
  auto* progress = new QProgressBar(window);
  progress->setRange(0, 100);
  progress->setValue(0);
  progress->setTextVisible(false);
  c.Register(IDC_PROGRESS, progress);
  page->addWidget(progress);

  QObject::connect(download, &QPushButton::clicked, window, [this] { OnDownload(); });
  QObject::connect(erase, &QPushButton::clicked, window, [this] { OnErase(); });
  QObject::connect(maxLog, &QLineEdit::textEdited, window, [this] { OnMaxEdited(); });
  m_worker.TieTo(*window);
}

bool CGetLogPPage::OnInitDialog() {
  for (const auto& f : kFilters)
    syscfg::EnableControls(Controls(), {f.id}, false);
  const bool result = CSysConfPage::OnInitDialog();
  for (const auto& f : kFilters)
    syscfg::CheckRadio(Controls(), f.id, (m_dwKindMask & f.kind) != 0);
  return result;
}

void CGetLogPPage::DoDataExchange(ui::DataExchange& dx) {
  dx.Number(IDC_MAX_LOG, m_nMaxLog, 1, kMaxLogLimit);
}

void CGetLogPPage::SetCaption(bool downloading) {
  if (auto* button = Controls().Get<QPushButton>(IDC_DOWNLOAD))
    button->setText(ButtonText(downloading));
}

void CGetLogPPage::StopDownload() {
  m_worker.Stop();
}

void CGetLogPPage::OnDownload() {
  ui::ControlRegistry& c = Controls();
  CSysConfSheetBase* sheet = GetConfSheet();
  auto* progress = c.Get<QProgressBar>(IDC_PROGRESS);
  if (State() == kDownloading) {
    SetCaption(false);
    StopDownload();
    if (progress != nullptr)
      progress->setValue(0);
    if (sheet != nullptr)
      sheet->EnableButtons();
    syscfg::EnableControls(c, {IDC_SYSTEM, IDC_ERROR, IDC_USER, IDC_ERASE}, true);
    return;
  }
  if (!UpdateData(true))
    return;
  if (sheet != nullptr)
    sheet->DisableButtons();
  syscfg::EnableControls(c, {IDC_SYSTEM, IDC_ERROR, IDC_USER, IDC_ERASE}, false);
  SetCaption(true);
  if (progress != nullptr)
    progress->setValue(0);
  StopDownload();
  m_bDownloadRun = true;
  const bool started = m_worker.Start<LogProgress>(
      "GetLogThread",
      [download = Engine().downloadLog, maximum = static_cast<std::uint32_t>(m_nMaxLog),
       session = net::Environment().SessionId()](const ui::WorkerRun<LogProgress>& run) {
        auto buffer = std::make_shared<net::LogDownload>();
        const std::uint32_t code = download(
            maximum, session, *buffer,
            [&run](std::uint32_t received, std::uint32_t toFetch) {
              run.Report({received, toFetch});
            },
            run.Token());
        return LogOutcome{code, std::move(buffer)};
      },
      [this](const LogProgress& progress) { OnProgress(progress); },
      [this](const LogOutcome& outcome) { OnLogDone(outcome); });
  if (!started)
    OnLogDone({});
}

void CGetLogPPage::OnErase() {
  ui::ControlRegistry& c = Controls();
  syscfg::EnableControls(c, {IDC_DOWNLOAD, IDC_ERASE}, false);
  // The request waits up to 15 s for the server: it runs on the worker, which the sheet's
  // closing stops like a download.
  StopDownload();
  m_bDownloadRun = false;
  const bool started = m_worker.Start(
      "EraseLogThread",
      [erase = Engine().eraseLog,
       session = net::Environment().SessionId()](const ui::WorkerRun<>& run) {
        return LogOutcome{erase(session, run.Token()), nullptr};
      },
      [this](const LogOutcome& outcome) { OnLogDone(outcome); });
  if (!started)
    OnLogDone({});
}

void CGetLogPPage::ClearRecords() {
  ui::ControlRegistry& c = Controls();
  if (auto* progress = c.Get<QProgressBar>(IDC_PROGRESS)) {
    progress->setRange(0, 100);
    progress->setValue(100);
  }
  if (auto* list = c.Get<ui::ListCtrl>(IDC_LIST))
    list->DeleteAllItems();
  std::fill(m_abyRecords.begin(), m_abyRecords.end(), 0);
  m_nReceived = 0;
}

void CGetLogPPage::OnLogDone(const LogOutcome& outcome) {
  ui::ControlRegistry& c = Controls();
  const std::uint32_t code = outcome.code;
  if (code == net::kLogDownloaded && outcome.download) {
    m_nReceived = std::min<std::uint32_t>(outcome.download->received,
                                          static_cast<std::uint32_t>(net::kLogBufferRecords));
    std::copy_n(outcome.download->buffer.begin(), m_nReceived * net::kLogRecordBytes,
                m_abyRecords.begin());
    FillList();
  }
  if (code == net::kLogErased)
    ClearRecords();
  if (code == net::kLogDownloaded || code == net::kLogErased || code == net::kLogFailed) {
    SetCaption(false);
    StopDownload();
    if (auto* progress = c.Get<QProgressBar>(IDC_PROGRESS))
      progress->setValue(0);
  }
  if (code == net::kLogFailed) {
    if (auto* list = c.Get<ui::ListCtrl>(IDC_LIST))
      list->DeleteAllItems();
  }
  if (CSysConfSheetBase* sheet = GetConfSheet())
    sheet->EnableButtons();
  syscfg::EnableControls(c, {IDC_DOWNLOAD, IDC_ERASE}, true);
}

void CGetLogPPage::OnProgress(const LogProgress& report) {
  if (auto* progress = Controls().Get<QProgressBar>(IDC_PROGRESS)) {
    const int total = std::max(static_cast<int>(report.toFetch), 1);
    progress->setRange(0, total);
    progress->setValue(std::min(static_cast<int>(report.received), total));
  }
}

void CGetLogPPage::FillList() {
  ui::ControlRegistry& c = Controls();
  syscfg::EnableControls(c, {IDC_SYSTEM, IDC_ERROR, IDC_USER}, true);
  auto* list = c.Get<ui::ListCtrl>(IDC_LIST);
  if (list == nullptr)
    return;
  list->DeleteAllItems();
  int row = 0;
  for (std::uint32_t i = 0; i < m_nReceived; ++i) {
    const auto bytes = std::span<const std::uint8_t>(m_abyRecords)
                           .subspan(i * net::kLogRecordBytes)
                           .first<net::kLogRecordBytes>();
    const net::LogRecord record = net::ParseLogRecord(bytes);
    if ((record.kind & m_dwKindMask) == 0)
      continue;
    list->InsertItem(row, QString::asprintf("%2d", row + 1));
    list->SetItemText(row, 1, QString::fromStdString(net::LogKindText(record.kind)));
    list->SetItemText(row, 2, QString::fromStdString(net::LogTimeText(record)));
    list->SetItemText(row, 3, QString::fromStdString(net::LogEventText(record)));
    for (int column = 0; column < 4; ++column)
      list->topLevelItem(row)->setTextAlignment(column, Qt::AlignCenter);
    ++row;
  }
}

void CGetLogPPage::OnFilter(std::uint32_t kind) {
  m_dwKindMask ^= kind;
  for (const auto& f : kFilters)
    syscfg::CheckRadio(Controls(), f.id, (m_dwKindMask & f.kind) != 0);
  FillList();
}

void CGetLogPPage::OnMaxEdited() {
  auto* edit = Controls().Get<QLineEdit>(IDC_MAX_LOG);
  if (edit == nullptr || edit->text().isEmpty())
    return;
  const int value = std::clamp(edit->text().toInt(), 1, kMaxLogLimit);
  if (QString::number(value) != edit->text())
    edit->setText(QString::number(value));
}
