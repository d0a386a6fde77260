#include "ui/login/search_dlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_data.h"
#include "app/trace.h"
#include "platform/message_box.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/message_ids.h"
#include "ui/common/modal_runner.h"
#include "ui/common/plain_controls.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/string_table.h"
#include "ui/login/confirm_authority_dlg.h"

namespace ui::login {
namespace {

constexpr int kEditChars = 16;
constexpr int kMacChars = 18;

constexpr const char* kBadMacText =
    "The MAC address must be six pairs of hexadecimal digits, such as 00:0e:53:12:ab:cd.";
constexpr const char* kBadDottedText =
    "The %1 must be four numbers from 0 to 255 separated by dots, such as 192.168.1.100.";

const int kDetailEdits[] = {IDC_SEARCH_MAC,  IDC_SEARCH_IP,      IDC_SEARCH_PORT,
                            IDC_SEARCH_MASK, IDC_SEARCH_GATEWAY, IDC_SEARCH_DNS};
const int kButtons[] = {IDC_SEARCH_AGAIN, IDC_SEARCH_APPLY, IDC_SEARCH_RESET, ui::IDOK};

std::string Utf8(const QString& text) {
  return text.toStdString();
}

constexpr int kButtonWidth = 96;
constexpr int kEditWidth = 140;

}  // namespace
}  // namespace ui::login

using namespace ui::login;

CSearchDlg::CSearchDlg(ports::LoginEngine engine, QWidget* parent)
    : ui::UiDialog(parent), m_engine(std::move(engine)) {
  setWindowTitle(QStringLiteral("SEARCH"));
  const QString words = ui::LoadString(3028);
  m_strSearchingWord = ui::FirstWord(words);
  m_strStoppedWord = ui::SecondWord(words);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(10);

  auto* listGroup = new QGroupBox(QStringLiteral("Device List"), this);
  auto* listLayout = new QVBoxLayout(listGroup);
  m_pList = new ui::ListCtrl(listGroup);
  m_pList->setMinimumSize(470, 170);
  listLayout->addWidget(m_pList);
  layout->addWidget(listGroup);
  RegisterControl(IDC_SEARCH_LIST, m_pList, ui::ControlRegistry::Tooltip::None);
  connect(m_pList, &QTreeWidget::itemSelectionChanged, this, [this] { OnItemChanged(); });

  auto* detailGroup = new QGroupBox(QStringLiteral("Detail Info"), this);
  auto* grid = new QGridLayout(detailGroup);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(6);
  grid->setColumnMinimumWidth(2, 16);
  const ui::GridEdit fields[] = {{IDC_SEARCH_IP, "Server IP :", 0, 0, kEditChars},
                                 {IDC_SEARCH_MAC, "Mac Address :", 0, 3, kMacChars},
                                 {IDC_SEARCH_PORT, "Web Port :", 1, 0, 5},
                                 {IDC_SEARCH_MASK, "Net Mask :", 1, 3, kEditChars},
                                 {IDC_SEARCH_GATEWAY, "Gateway :", 2, 0, kEditChars},
                                 {IDC_SEARCH_DNS, "DNS Server :", 2, 3, kEditChars}};
  ui::AddGridEdits(*this, *grid, detailGroup, fields, kEditWidth);
  layout->addWidget(detailGroup);

  auto* row = new QHBoxLayout;
  const ui::RowKey keys[] = {{IDC_SEARCH_AGAIN, "SEARCH AGAIN", [this] { OnSearchAgain(); }},
                             {IDC_SEARCH_APPLY, "APPLY", [this] { OnApply(); }},
                             {IDC_SEARCH_RESET, "RESET DEFAULT", [this] { OnResetDefault(); }}};
  ui::AddKeyRow(*this, *row, this, keys, kButtonWidth);
  row->addStretch();
  QPushButton* ok = ui::MakeButton(QStringLiteral("OK"), this, kButtonWidth);
  row->addWidget(ok);
  RegisterControl(ui::IDOK, ok, ui::ControlRegistry::Tooltip::None);
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  layout->addLayout(row);
  setFixedSize(sizeHint());
}

CSearchDlg::~CSearchDlg() {
  StopWorker();
}

int CSearchDlg::DoModal() {
  const int result = ui::UiDialog::DoModal();
  StopWorker();
  return result;
}

const net::SearchDeviceEntry* CSearchDlg::FindDevice(int index) const {
  for (const net::SearchDeviceEntry& entry : m_devices) {
    if (entry.index == index)
      return &entry;
  }
  return nullptr;
}

void CSearchDlg::InitForPicture() {
  ui::UiDialog::OnInitDialog();
  BuildColumns();
  EnableControls(false);
}

void CSearchDlg::BuildColumns() {
  m_pList->clear();
  m_pList->setColumnCount(0);
  m_pList->InsertColumn(0, ui::LoadString(3022), 120);
  m_pList->InsertColumn(1, ui::LoadString(3023), 130);
  m_pList->InsertColumn(2, ui::LoadString(3024), 60);
  m_pList->InsertColumn(3, ui::LoadString(3025), 150);
}

bool CSearchDlg::OnInitDialog() {
  ui::UiDialog::OnInitDialog();
  // 1.-3. The columns; the list, the buttons and the edits disabled until the search ends.
  BuildColumns();
  EnableControls(false);
  // 4.-5. The caption animation and the search.
  SetTimer(kSearchCaptionTimer, kSearchCaptionPeriodMs);
  if (!StartSearch())
    DebugPrint("OnInitDialog : create the m_hReceiveThread failed \n");
  return true;
}

bool CSearchDlg::StartSearch() {
  m_bSearching = true;
  const bool started = m_worker.Start<SearchReport>(
      "SearchReceive",
      [search = m_engine.lanSearch, ownAddress = LocalAddressText.Get(),
       settings = net::GetLanSearchSettings()](const ui::WorkerRun<SearchReport>& run) {
        net::LanSearchEvents events;
        events.sendFailed = [&run] { run.Report(SearchBroadcastFailed{}); };
        events.answer = [&run](const net::SearchDatagram& answer) { run.Report(answer); };
        return search(ownAddress, settings, events, run.Token());
      },
      [this](const SearchReport& report) { OnSearchReport(report); },
      [this](net::LanSearchEnd end) { OnSearchEnd(end); });
  if (!started)
    EndSearch();
  return started;
}

void CSearchDlg::StopWorker() {
  m_worker.Stop(kSearchStopMs);
}

void CSearchDlg::DoDataExchange(ui::DataExchange& dx) {
  dx.Text(IDC_SEARCH_MAC, m_strMac, kMacChars);
  dx.Text(IDC_SEARCH_IP, m_strIp, kEditChars);
  dx.Number(IDC_SEARCH_PORT, m_nWebPort, 0, 65535);
  dx.Text(IDC_SEARCH_MASK, m_strNetMask);
  dx.Text(IDC_SEARCH_GATEWAY, m_strGateway);
  dx.Text(IDC_SEARCH_DNS, m_strDns);
}

void CSearchDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  ui::UiDialog::keyPressEvent(event);
}

void CSearchDlg::OnTimer(int id) {
  if (id != kSearchCaptionTimer)
    return;
  setWindowTitle(QStringLiteral(" %1 %2").arg(
      m_strSearchingWord, QString(static_cast<int>(m_nCaptionCounter % 4) + 1, QLatin1Char('.'))));
  ++m_nCaptionCounter;
}

void CSearchDlg::OnSearchReport(const SearchReport& report) {
  if (const auto* answer = std::get_if<net::SearchDatagram>(&report)) {
    AddAnswer(*answer);
    return;
  }
  platform::ShowMessageBox(kSendBroadcastFailedText);
}

void CSearchDlg::AddAnswer(const net::SearchDatagram& answer) {
  const auto index = static_cast<std::int32_t>(m_devices.size());
  const net::SearchDeviceEntry entry = net::MakeSearchDeviceEntry(answer, index);
  // 3. The answer in the detail edits.
  const auto setText = [this](int id, const std::string& text) {
    if (auto* edit = Controls().Get<QLineEdit>(id))
      edit->setText(QString::fromStdString(text));
  };
  setText(IDC_SEARCH_MAC, entry.mac);
  setText(IDC_SEARCH_IP, entry.ip);
  setText(IDC_SEARCH_MASK, entry.netMask);
  setText(IDC_SEARCH_GATEWAY, entry.gateway);
  setText(IDC_SEARCH_DNS, entry.dns);
  setText(IDC_SEARCH_PORT, std::to_string(entry.webPort));
  // 4. A new row on top.
  m_pList->InsertItem(0, QString::fromStdString(entry.ip));
  m_pList->SetItemText(0, 1, QString::fromStdString(entry.mac));
  m_pList->SetItemText(0, 2, QString::number(entry.webPort));
  const std::string_view kind = net::DeviceKindName(entry.kind);
  m_pList->SetItemText(0, 3, QString::fromUtf8(kind.data(), static_cast<qsizetype>(kind.size())));
  m_devices.push_back(entry);
}

void CSearchDlg::OnSearchEnd(net::LanSearchEnd end) {
  if (end == net::LanSearchEnd::BindFailed) {
    // The answer port is taken: only OK can be used.
    m_bSearching = false;
    ui::MessageBoxById(ui::kMsgBindFailed);
    KillTimer(kSearchCaptionTimer);
    setWindowTitle(m_strStoppedWord);
    if (QWidget* ok = GetDlgItem(ui::IDOK))
      ok->setEnabled(true);
    return;
  }
  EndSearch();
}

void CSearchDlg::EndSearch() {
  m_bSearching = false;
  EnableControls(true);
  EnableEdits(false);
  KillTimer(kSearchCaptionTimer);
  setWindowTitle(m_strStoppedWord);
}

void CSearchDlg::EnableControls(bool enable) {
  m_pList->setEnabled(enable);
  for (const int id : kButtons) {
    if (QWidget* button = GetDlgItem(id))
      button->setEnabled(enable);
  }
  if (!enable)
    EnableEdits(false);
}

void CSearchDlg::EnableEdits(bool enable) {
  for (const int id : kDetailEdits) {
    if (QWidget* edit = GetDlgItem(id))
      edit->setEnabled(enable);
  }
}

void CSearchDlg::OnSearchAgain() {
  m_pList->DeleteAllItems();
  m_devices.clear();
  m_nCaptionCounter = 0;
  m_nSelectedIndex = -1;
  EnableControls(false);
  SetTimer(kSearchCaptionTimer, kSearchCaptionPeriodMs);
  // The last search is stopped and its port freed before the new one binds it.
  StopWorker();
  if (!StartSearch())
    DebugPrint("OnSearchAgain : create the m_hReceiveThread failed \n");
}

void CSearchDlg::OnItemChanged() {
  const int row = m_pList->GetFirstSelected();
  if (row < 0)
    return;
  m_nSelectedIndex = static_cast<int>(m_devices.size()) - row - 1;
  const net::SearchDeviceEntry* entry = FindDevice(m_nSelectedIndex);
  if (entry == nullptr) {
    ui::MessageBoxById(ui::kMsgGetIndexItemFailed);
    return;
  }
  m_strIp = QString::fromStdString(entry->ip);
  m_strMac = QString::fromStdString(entry->mac);
  m_nWebPort = static_cast<int>(entry->webPort);
  m_strGateway = QString::fromStdString(entry->gateway);
  m_strDns = QString::fromStdString(entry->dns);
  m_strNetMask = QString::fromStdString(entry->netMask);
  UpdateData(false);
  EnableEdits(true);
}

const net::SearchDeviceEntry* CSearchDlg::ChangeableSelection(bool readEdits) {
  if (m_pList->GetFirstSelected() < 0) {
    ui::MessageBoxById(ui::kMsgSelectFromList);
    return nullptr;
  }
  if (readEdits && !UpdateData(true))
    return nullptr;
  const net::SearchDeviceEntry* entry = FindDevice(m_nSelectedIndex);
  if (entry == nullptr) {
    ui::MessageBoxById(ui::kMsgNoItemData);
    return nullptr;
  }
  if (entry->kind != net::kChangeableDeviceKind) {
    ui::MessageBoxById(ui::kMsgCannotModifyNetwork);
    return nullptr;
  }
  return entry;
}

bool CSearchDlg::CheckedSettings(net::DeviceNetworkSettings& settings) {
  const auto refuse = [this](int id, const QString& text) {
    platform::ShowMessageBox(Utf8(text));
    if (QWidget* edit = GetDlgItem(id))
      edit->setFocus();
    return false;
  };
  const auto mac = net::ParseMacText(Utf8(m_strMac));
  if (!mac)
    return refuse(IDC_SEARCH_MAC, QString::fromLatin1(kBadMacText));
  settings.mac = *mac;
  const struct {
    int id;
    const QString& text;
    const char* name;
    net::DottedAddress& out;
  } addresses[] = {{IDC_SEARCH_IP, m_strIp, "server IP", settings.ip},
                   {IDC_SEARCH_MASK, m_strNetMask, "net mask", settings.netMask},
                   {IDC_SEARCH_GATEWAY, m_strGateway, "gateway", settings.gateway},
                   {IDC_SEARCH_DNS, m_strDns, "DNS server", settings.dns}};
  for (const auto& a : addresses) {
    const auto parsed = net::ParseDottedText(Utf8(a.text));
    if (!parsed)
      return refuse(a.id, QString::fromLatin1(kBadDottedText).arg(QLatin1String(a.name)));
    a.out = *parsed;
  }
  if (m_nWebPort < 1 || m_nWebPort > 65535)
    return refuse(IDC_SEARCH_PORT, ui::LoadString(ui::kMsgPortOutOfRange));
  settings.port = static_cast<std::uint16_t>(m_nWebPort);
  return true;
}

bool CSearchDlg::ConfirmAuthority(QString& user, QString& password) {
  CConfirmAuthorityDlg confirm(this);
  if (ui::RunModal(confirm) != ui::IDOK)
    return false;
  user = confirm.m_strUserName;
  password = confirm.m_strPassword;
  // Each travels in a 16-byte field with its terminator.
  if (user.isEmpty() || Utf8(user).size() > net::kSearchCredentialMaxChars) {
    ui::MessageBoxById(ui::kMsgWrongUserName);
    return false;
  }
  if (password.isEmpty() || Utf8(password).size() > net::kSearchCredentialMaxChars) {
    ui::MessageBoxById(ui::kMsgWrongPassword);
    return false;
  }
  return true;
}

std::optional<CSearchDlg::CommandFields> CSearchDlg::PrepareCommand(bool readEdits) {
  if (IsCommandRunning() || m_bSearching)
    return std::nullopt;
  // A changeable server and edits that make a request.
  CommandFields fields;
  fields.entry = ChangeableSelection(readEdits);
  if (fields.entry == nullptr || !CheckedSettings(fields.settings))
    return std::nullopt;
  // The server's credentials.
  if (!ConfirmAuthority(fields.user, fields.password))
    return std::nullopt;
  return fields;
}

void CSearchDlg::OnApply() {
  // 1.-4. The server, the edits and the credentials.
  const std::optional<CommandFields> fields = PrepareCommand(true);
  if (!fields)
    return;
  m_strUserName = fields->user;
  m_strPassword = fields->password;
  // 5. Nothing changed: nothing to send.
  const net::SearchDeviceEntry& entry = *fields->entry;
  if (QString::fromStdString(entry.ip) == m_strIp &&
      QString::fromStdString(entry.mac) == m_strMac &&
      QString::fromStdString(entry.gateway) == m_strGateway &&
      QString::fromStdString(entry.dns) == m_strDns &&
      QString::fromStdString(entry.netMask) == m_strNetMask &&
      static_cast<int>(entry.webPort) == m_nWebPort) {
    ui::MessageBoxById(ui::kMsgNetworkNotChanged);
    return;
  }
  // 6.-9. The request and its answer.
  StartCommand(Command::Apply,
               net::MakeSetIpRequest(fields->settings, Utf8(fields->user), Utf8(fields->password)));
}

void CSearchDlg::OnResetDefault() {
  const std::optional<CommandFields> fields = PrepareCommand(false);
  if (!fields)
    return;
  StartCommand(Command::Reset,
               net::MakeResetRequest(fields->settings, Utf8(fields->user), Utf8(fields->password)));
}

void CSearchDlg::StartCommand(Command command, const net::SearchDatagram& request) {
  m_command = command;
  EnableControls(false);
  // The report says the request went out.
  const bool started = m_worker.Start<std::monostate>(
      "SearchCommand",
      [send = m_engine.lanCommand, request, ownAddress = LocalAddressText.Get(),
       settings = net::GetLanSearchSettings()](const ui::WorkerRun<>& run) {
        return send(
            request, ownAddress, settings, [&run] { run.Report({}); }, run.Token());
      },
      [this](std::monostate) { OnCommandSent(); },
      [this](const net::LanCommandResult& result) { OnCommandDone(result); });
  if (!started) {
    m_command = Command::None;
    EnableControls(true);
    EnableEdits(true);
    ui::MessageBoxById(ui::kMsgConnectError);
  }
}

void CSearchDlg::SetResultsFromFields() {
  m_strResultIp = m_strIp;
  m_strResultMac = m_strMac;
  m_nResultPort = m_nWebPort;
}

void CSearchDlg::OnCommandSent() {
  // The request went out: the caller takes the server's fields over.
  m_bChosen = true;
}

void CSearchDlg::OnCommandDone(const net::LanCommandResult& answer) {
  const Command command = m_command;
  m_command = Command::None;
  EnableControls(true);
  EnableEdits(FindDevice(m_nSelectedIndex) != nullptr);
  const std::uint8_t result = answer.result;
  switch (answer.outcome) {
    case net::LanCommandOutcome::NoSocket:
    case net::LanCommandOutcome::BindFailed:
      ui::MessageBoxById(ui::kMsgConnectError);
      return;
    case net::LanCommandOutcome::SendFailed:
      platform::ShowMessageBox(kSendBroadcastFailedText);
      return;
    case net::LanCommandOutcome::WaitFailed:
      SetResultsFromFields();
      ui::MessageBoxById(ui::kMsgConnectError);
      return;
    case net::LanCommandOutcome::TimedOut:
      SetResultsFromFields();
      ui::MessageBoxById(ui::kMsgSendTimeout);
      return;
    case net::LanCommandOutcome::ReceiveFailed:
      SetResultsFromFields();
      ui::MessageBoxById(ui::kMsgReceiveError);
      return;
    case net::LanCommandOutcome::Stopped:
      return;
    case net::LanCommandOutcome::Answered:
      break;
  }
  if (command == Command::Apply) {
    SetResultsFromFields();
    ui::MessageBoxById(result == 0 ? ui::kMsgApplySettingFailed : ui::kMsgApplySettingDone);
  } else {
    ui::MessageBoxById(result == 1   ? ui::kMsgResetDefaultDone
                       : result == 0 ? ui::kMsgWrongUserOrPassword
                                     : ui::kMsgResetDefaultFailed);
  }
}

void CSearchDlg::OnOK() {
  if (IsCommandRunning())
    return;
  EndDialog(ui::IDOK);
  if (FindDevice(m_nSelectedIndex) != nullptr) {
    SetResultsFromFields();
    m_bChosen = true;
  }
}
