#include "ui/login/login_dialog.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "app/app_data.h"
#include "app/login_pass.h"
#include "app/login_window_state.h"
#include "app/trace.h"
#include "platform/message_box.h"
#include "ui/common/destination_path_dlg.h"
#include "ui/common/message_ids.h"
#include "ui/common/modal_runner.h"
#include "ui/common/program_files.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/services.h"
#include "ui/common/skin_loader.h"
#include "ui/common/skinned_window.h"
#include "ui/common/vtx_button.h"
#include "ui/login/address_book_list_dlg.h"
#include "ui/login/connect_dlg.h"
#include "ui/login/copy_program_dlg.h"
#include "ui/login/login_layout.h"
#include "ui/login/login_look.h"
#include "ui/login/login_setting_dlg.h"
#include "ui/login/search_dlg.h"
#include "ui/login/upgrade_fw_dlg.h"

namespace ui::login {
namespace {

constexpr int kAnimationTimer = 1;
// The user level the firmware upgrade needs, and the result text shown below it.
constexpr std::int32_t kUpgradeUserLevel = 30;
constexpr int kUserLevelTooLow = 25;
// The folder the copy of the program goes into, with its skin folders.
constexpr const char* kCopyFolderName = "MPEG4 Telvora/";
// The animation strip's background, COLORREF 0xF4D89D.
constexpr QColor kAnimationBackground(0x9D, 0xD8, 0xF4);
// The result code whose text tells of success; every other text is a failure.
constexpr int kLoginSucceeded = 1;
// The failure mark: in the icons' column, on the first line of the result text.
constexpr QRectF kFailureMarkBox(36, kResultTextY - 1, 16, 16);
constexpr const char* kUnsafeCredentialsText =
    "The user name and the password cannot hold a blank, '&', '#' or a control character.";

QLineEdit* MakeEdit(QWidget* parent, const QRect& rect, int maxChars) {
  auto* edit = new QLineEdit(parent);
  edit->setGeometry(rect);
  if (maxChars > 0)
    edit->setMaxLength(maxChars);
  edit->setStyleSheet(LookEditStyleSheet());
  return edit;
}

QRect FieldRect(int id) {
  for (const IconButton& icon : IconButtons()) {
    if (icon.fieldId == id)
      return icon.fieldRect;
  }
  return {};
}

}  // namespace
}  // namespace ui::login

using namespace ui::login;

LoginDialog::LoginDialog(ports::LoginEngine engine, QWidget* parent)
    : ui::UiDialog(parent), m_engine(std::move(engine)) {
  setWindowTitle(QStringLiteral("Login"));
  setToolTip(QStringLiteral("LOGIN"));
  // The template's fields: the four login fields at their places, the bit-rate box hidden (the
  // window's layout has no place for it; nothing reads it back).
  m_pUserEdit = MakeEdit(this, FieldRect(IDC_LOGIN_USER), kUserChars);
  m_pPasswordEdit = MakeEdit(this, FieldRect(IDC_LOGIN_PASSWORD), kPasswordChars);
  m_pPasswordEdit->setEchoMode(QLineEdit::Password);
  m_pHostEdit = MakeEdit(this, FieldRect(IDC_LOGIN_ADDRESS), kHostChars);
  m_pPortEdit = MakeEdit(this, FieldRect(IDC_LOGIN_PORT), kPortChars);
  m_pBitRateEdit = new QLineEdit(this);
  m_pBitRateEdit->hide();
  RegisterControl(IDC_LOGIN_USER, m_pUserEdit, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_LOGIN_PASSWORD, m_pPasswordEdit, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_LOGIN_ADDRESS, m_pHostEdit, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_LOGIN_PORT, m_pPortEdit, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_LOGIN_BITRATE, m_pBitRateEdit, ui::ControlRegistry::Tooltip::None);
  setTabOrder(m_pUserEdit, m_pPasswordEdit);
  setTabOrder(m_pPasswordEdit, m_pHostEdit);
  setTabOrder(m_pHostEdit, m_pPortEdit);
  new ui::WindowDragger(*this);

  OnMessage(ui::login::WM_LOGIN_RESULT,
            [this](ui::WParam code, ui::LParam) { OnLoginResult(code); });
  OnMessage(WM_LOGIN_ANIMATION, [this](ui::WParam, ui::LParam) {
    if (Timers().IsRunning(kAnimationTimer))
      AnimationStep();
  });
  OnMessage(WM_LOGIN_ENTER, [this](ui::WParam, ui::LParam) { OnConnectButton(); });
}

LoginDialog::~LoginDialog() {
  EndLoginAttempt();
}

int LoginDialog::DoModal() {
  const int result = ui::UiDialog::DoModal();
  EndLoginAttempt();
  return result;
}

std::optional<QString> LoginDialog::ShownResultText() const {
  if (!m_bResultShown)
    return std::nullopt;
  return m_strResult;
}

bool LoginDialog::OnInitDialog() {
  ui::UiDialog::OnInitDialog();
  // 1.-2. Layered and opaque, with its size and a round-rectangle region. It opens centred on the
  // work area (the dialog base places it), not in the screen's corner.
  m_layered.Init(this);
  setFixedSize(kLoginWidth, kLoginHeight);
  ui::ApplyRoundRectRegion(*this, kLoginWidth, kLoginHeight, kLoginCornerEllipse,
                           kLoginCornerEllipse);
  // 3. The skin; a bitmap that does not load ends the initialisation (the window still shows).
  m_skinLoaded = LoadSkin();
  if (!m_skinLoaded)
    return false;
  // 4.-5. The buttons with their tooltips, the fields at their places.
  CreateButtons();
  for (const IconButton& icon : IconButtons()) {
    if (QWidget* field = GetDlgItem(icon.fieldId))
      field->setGeometry(icon.fieldRect);
  }
  return true;
}

bool LoginDialog::LoadSkin() {
  m_framePieces.assign(FramePieces().size(), QPixmap());
  m_running = QPixmap();
  m_digits.fill(QPixmap());
  std::size_t index = 0;
  for (const char* name : InitBitmaps()) {
    const QPixmap bitmap = ui::LoadSkinBitmap(QString::fromLatin1(name));
    if (bitmap.isNull())
      return false;
    if (index < m_framePieces.size())
      m_framePieces[index] = bitmap;
    else if (index == m_framePieces.size())
      m_running = bitmap;
    else
      m_digits[index - m_framePieces.size() - 1] = bitmap;
    ++index;
  }
  return true;
}

void LoginDialog::CreateButtons() {
  for (const ToolButton& tool : ToolButtons()) {
    auto* button = new CVtxButton(this);
    button->setGeometry(tool.rect);
    button->LoadButtonBitmap(QString::fromLatin1(tool.flat), QString::fromLatin1(tool.focus),
                             QString::fromLatin1(tool.selected), VTX_PRESS_HOVER);
    RegisterControl(tool.id, button);
    const int id = tool.id;
    connect(button, &QAbstractButton::clicked, this, [this, id] { OnToolButton(id); });
    button->show();
  }
  for (const IconButton& icon : IconButtons()) {
    auto* button = new CVtxButton(this);
    button->setGeometry(icon.rect);
    button->LoadButtonBitmap(QString::fromLatin1(icon.bitmap), VTX_SINGLE);
    RegisterControl(icon.id, button);
    button->show();
  }
}

void LoginDialog::DoDataExchange(ui::DataExchange& dx) {
  dx.Text(IDC_LOGIN_ADDRESS, m_strHost, kHostChars);
  dx.Text(IDC_LOGIN_USER, m_strUserName, kUserChars);
  dx.Text(IDC_LOGIN_PASSWORD, m_strPassword, kPasswordChars);
  dx.Text(IDC_LOGIN_PORT, m_strPort, kPortChars);
  dx.Text(IDC_LOGIN_BITRATE, m_strBitRate);
}

void LoginDialog::OnOK() {
  platform::PostMessage(Handle(), WM_LOGIN_ENTER, 0, 0);
}

void LoginDialog::OnCancel() {
  EndDialog(ui::IDCANCEL);
}

void LoginDialog::keyPressEvent(QKeyEvent* event) {
  // Enter anywhere in the window is Connect, and never reaches a default button. (Its
  // repeats while the key is held never come here: a held key starts one login.)
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    platform::PostMessage(Handle(), WM_LOGIN_ENTER, 0, 0);
    event->accept();
    return;
  }
  ui::UiDialog::keyPressEvent(event);
}

void LoginDialog::OnTimer(int id) {
  if (id == kAnimationTimer)
    platform::PostMessage(Handle(), WM_LOGIN_ANIMATION, 0, 0);
}

void LoginDialog::OnToolButton(int id) {
  switch (id) {
    case IDC_CONNECT:
      OnConnectButton();
      break;
    case IDC_CANCEL_LOGIN:
      OnCancelButton();
      break;
    case IDC_TOOL_ADDRESS:
      OnAddressButton();
      break;
    case IDC_TOOL_SEARCH:
      OnSearchButton();
      break;
    case IDC_TOOL_PLAYER:
      OnPlayerButton();
      break;
    case IDC_TOOL_COPY:
      OnCopyButton();
      break;
    case IDC_TOOL_UPGRADE:
      OnUpgradeButton();
      break;
    case IDC_TOOL_LOGIN_SETTING:
      OnLoginSettingButton();
      break;
    default:
      break;
  }
}

void LoginDialog::OnConnectButton() {
  // 1. The fields, checked before anything is sent.
  UpdateData(true);
  const std::string user = m_strUserName.toStdString();
  const std::string password = m_strPassword.toStdString();
  const std::string port = m_strPort.toStdString();
  switch (app::CheckLoginFields(user, password, port)) {
    case app::LoginFieldCheck::EmptyCredentials:
      ui::MessageBoxById(ui::kMsgWrongUserOrPassword);
      return;
    case app::LoginFieldCheck::PortOutOfRange:
      ui::MessageBoxById(ui::kMsgPortOutOfRange);
      return;
    case app::LoginFieldCheck::UnsafeText:
      platform::ShowMessageBox(kUnsafeCredentialsText);
      return;
    case app::LoginFieldCheck::Ok:
      break;
  }
  // 2.-3. A new attempt replaces the one still running: it is given up and its late answer
  // is dropped.
  m_bResultShown = false;
  StopAnimation();
  m_nAnimationPos = 0;
  m_loginWorker.Stop(app::kLoginStopMs);

  // 4. The login worker, then the animation.
  app::LoginPassInput input;
  input.host = m_strHost.toStdString();
  input.userName = user;
  input.password = password;
  input.portText = port;
  input.localAddress = LocalAddressText.Get();
  const bool started = m_loginWorker.Start(
      "Login",
      [pass = m_engine.loginPass, input = std::move(input)](const ui::WorkerRun<>& run) {
        return pass(input, run.Token());
      },
      [this](const app::LoginPassResult& result) { OnLoginDone(result); });
  if (!started)
    return;
  SetTimer(kAnimationTimer, kAnimationPeriodMs);
  platform::PostMessage(Handle(), WM_LOGIN_ANIMATION, 0, 0);
  update();
}

void LoginDialog::OnCancelButton() {
  EndLoginAttempt();
  m_layered.FadeOut(this);
  m_layered.Unload();
  EndDialog(ui::IDCANCEL);
}

void LoginDialog::OnAddressButton() {
  UpdateData(true);
  CAddressBookListDlg book(ui::IPRecordFilePath(), this);
  if (ui::RunModal(book) != kAddressBookChosen)
    return;
  m_strUserName = book.m_strUser;
  m_strHost = book.m_strAddress;
  m_strPort = QString::number(book.m_nPort);
  UpdateData(false);
}

void LoginDialog::OnSearchButton() {
  UpdateData(true);
  CSearchDlg search(m_engine, this);
  ui::RunModal(search);
  // A chosen server without an address (a reset that was answered) has nothing to take over.
  if (!search.m_bChosen || search.m_strResultIp.isEmpty())
    return;
  m_strPort = QString::number(search.m_nResultPort);
  app::StoreChosenServer(search.m_strResultIp.toStdString(),
                         static_cast<std::uint16_t>(search.m_nResultPort));
  m_strHost = search.m_strResultIp;
  UpdateData(false);
}

void LoginDialog::OnCopyButton() {
  // 1. The folder, from the top of the file system.
  CDestinationPathDlg browser(this);
  browser.SetPath("/");
  if (ui::RunModal(browser) != ui::IDOK)
    return;
  // 2. "MPEG4 Telvora/" in it, with its skin folders; one that cannot be made is only traced.
  std::string folder = browser.GetPath();
  if (folder.empty() || folder.back() != '/')
    folder += '/';
  const std::string destination = folder + kCopyFolderName;
  for (const std::string& directory :
       {destination, destination + "BMP/", destination + "BMP/LOGIN/"}) {
    std::error_code error;
    std::filesystem::create_directory(directory, error);
    if (error)
      DebugPrint("Couldn't create new directory \n");
  }
  // 3. The copy.
  CCopyProgramDlg copy(ui::SettingsProgramFolder(), destination, this);
  ui::RunModal(copy);
}

void LoginDialog::OnUpgradeButton() {
  UpdateData(true);
  // A login still running is given up first: its late reply must not replace the session
  // that the firmware upgrade logs in with.
  EndLoginAttempt();
  CConnectDlg connect(m_engine, m_strHost, m_strUserName, m_strPassword, m_strPort, this);
  connect.m_strText = QStringLiteral("Connect ") + m_strHost;
  const int result = ui::RunModal(connect);
  if (result != app::kLoginSucceeded || app::ReplyUserLevel() != kUpgradeUserLevel) {
    // No firmware dialog: nothing keeps the session alive.
    const int shown = result != app::kLoginSucceeded ? result : kUserLevelTooLow;
    platform::PostMessage(Handle(), ui::login::WM_LOGIN_RESULT,
                          static_cast<platform::WParam>(shown), 0);
    return;
  }
  // The firmware dialog keeps the session alive while it is open and ends it with itself.
  UpgradeFWDlg upgrade(m_engine, this);
  ui::RunModal(upgrade);
}

void LoginDialog::OnPlayerButton() {
  if (!ui::ProcessLauncher().Launch(ui::PlayerProgramPath(), {}))
    ui::MessageBoxById(ui::kMsgPlayerFailed);
}

void LoginDialog::OnLoginSettingButton() {
  CLoginSettingDlg settings(this);
  if (ui::RunModal(settings) != IDC_LOGIN_SETTING_OK)
    return;
  app::StoreStreamChoice({settings.m_byTransmission, settings.m_byDecode});
}

void LoginDialog::OnLoginResult(ui::WParam code) {
  ShowResult(static_cast<int>(code));
}

void LoginDialog::ShowResult(int code) {
  if (const auto text = ResultText(code)) {
    m_strResult = *text;
    m_bResultShown = true;
  }
  update();
}

void LoginDialog::OnLoginDone(const app::LoginPassResult& result) {
  if (result.code != app::kLoginSucceeded) {
    StopAnimation();
    ShowResult(result.code);
    return;
  }
  app::CommitLoginPass(result);
  StopAnimation();
  m_layered.Unload();
  EndDialog(ui::IDOK);
}

void LoginDialog::AnimationStep() {
  m_bAnimating = true;
  m_nAnimationPos = NextAnimationPosition(m_nAnimationPos);
  update(AnimationStrip(m_running.width(), m_running.height()));
}

void LoginDialog::StopAnimation() {
  KillTimer(kAnimationTimer);
  m_bAnimating = false;
}

void LoginDialog::EndLoginAttempt() {
  StopAnimation();
  m_loginWorker.Stop(app::kLoginStopMs);
}

void LoginDialog::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // 1. The ground (what shows where a skin bitmap is missing), the spacer over the window, then
  // the frame pieces, each stretched into its rectangle.
  painter.fillRect(rect(), kLookBody);
  const auto& pieces = FramePieces();
  for (std::size_t i = 0; i < pieces.size() && i < m_framePieces.size(); ++i) {
    if (!m_framePieces[i].isNull())
      painter.drawPixmap(pieces[i].rect, m_framePieces[i]);
  }
  // 2. The version digits.
  const std::string version = app::ProgramVersionText();
  int x = kVersionX;
  for (const int glyph : VersionGlyphs(version)) {
    const QPixmap& bitmap = m_digits[static_cast<std::size_t>(glyph)];
    if (!bitmap.isNull())
      painter.drawPixmap(QRect(x, kVersionY, kVersionGlyphWidth, kVersionGlyphHeight), bitmap);
    x += kVersionGlyphWidth;
  }
  // 3. The running animation over its strip.
  if (m_bAnimating && !m_running.isNull()) {
    const QRect strip = AnimationStrip(m_running.width(), m_running.height());
    painter.fillRect(strip, kAnimationBackground);
    painter.drawPixmap(kAnimationX + m_nAnimationPos * (m_running.width() / 2), kAnimationY,
                       m_running);
  }
  // 4. The result text, wrapped into the room between the fields and the buttons. A failure
  // reads as one: the alert colour, with the warning mark in the icons' column before it.
  if (m_bResultShown) {
    const bool success = m_strResult == ResultText(kLoginSucceeded);
    QFont font = painter.font();
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    if (!success)
      PaintFailureMark(painter, kFailureMarkBox);
    painter.setPen(success ? kLookSuccessText : kLookFailureText);
    painter.drawText(
        QRect(kResultTextX, kResultTextY, kResultTextRight - kResultTextX, kResultTextHeight),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_strResult);
  }
}
