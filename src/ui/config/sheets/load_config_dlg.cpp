#include "ui/config/sheets/load_config_dlg.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "net/config_records.h"
#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/string_table.h"

CEnterSysConfigDlg::CEnterSysConfigDlg(ports::SysConfEngine engine, QWidget* parent)
    : UiDialog(parent), m_engine(std::move(engine)) {
  setWindowTitle(QStringLiteral("System Config"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 18, 24, 18);
  auto* text = new QLabel(QStringLiteral("entering system config"), this);
  text->setMinimumWidth(220);
  RegisterControl(IDC_TEXT, text, ui::ControlRegistry::Tooltip::None);
  layout->addWidget(text);
}

CEnterSysConfigDlg::~CEnterSysConfigDlg() {
  m_worker.Stop();
}

int CEnterSysConfigDlg::DoModal() {
  const int result = UiDialog::DoModal();
  // The worker has posted its answer and is ending; a run never leaves it behind.
  m_worker.Stop();
  return result;
}

bool CEnterSysConfigDlg::OnInitDialog() {
  SetTimer(kAnimationTimer, kAnimationMs);
  const bool started = m_worker.Start(
      "LoadConfigThread",
      [load = m_engine.loadConfigRecords](const ui::WorkerRun<>& run) { return load(run.Token()); },
      [this](const FetchedConfigRecords& fetched) { OnLoadConfigDone(fetched); });
  const bool shown = UiDialog::OnInitDialog();
  if (!started) {
    // No thread: the run ends as after a failed fetch, once it shows.
    QTimer::singleShot(0, this, [this] { OnLoadConfigDone({}); });
  }
  return shown;
}

void CEnterSysConfigDlg::DoDataExchange(ui::DataExchange& dx) {
  // A static text: shown as it is (empty until the first tick of the first opening).
  if (auto* text = Controls().Get<QLabel>(IDC_TEXT); text != nullptr && !dx.Saving())
    text->setText(m_strText);
}

void CEnterSysConfigDlg::OnTimer(int id) {
  if (id != kAnimationTimer)
    return;
  const QString base = ui::BeforeSeparator(ui::LoadString(IDC_TEXT), QLatin1Char(','));
  const int dots = static_cast<int>(m_nCounter % 5) + 1;
  m_strText = base + QLatin1Char(' ') + QString(dots, QLatin1Char('.'));
  ++m_nCounter;
  UpdateData(false);
}

void CEnterSysConfigDlg::OnLoadConfigDone(const FetchedConfigRecords& fetched) {
  KillTimer(kAnimationTimer);
  StoreConfigRecords(fetched);
  if (!fetched.complete) {
    ui::MessageBoxById(ui::kMsgGetConfigError);
    EndDialog(kResultFailed);
    return;
  }
  EndDialog(kResultLoaded);
}
