// The gallery's pictures of the login window and its tools: the login window idle, logging in,
// with result texts and without its skin; the login settings; both address books; the wait
// box, the clock dialog and the login about box; the LAN search with its confirm box, the
// connect and firmware dialogs, the folder browser and the copy dialog.
#include <QAbstractButton>
#include <QLineEdit>
#include <QPainter>
#include <QTreeWidget>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/app_data.h"
#include "app/ip_record.h"
#include "fakes/hand_ticks.h"
#include "platform/folders.h"
#include "ui/common/clock_st.h"
#include "ui/common/destination_path_dlg.h"
#include "ui/common/folder_images.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/skin_loader.h"
#include "ui/login/address_book_dialog.h"
#include "ui/login/address_book_list_dlg.h"
#include "ui/login/clock_dlg.h"
#include "ui/login/confirm_authority_dlg.h"
#include "ui/login/connect_dlg.h"
#include "ui/login/copy_program_dlg.h"
#include "ui/login/login_about_dlg.h"
#include "ui/login/login_dialog.h"
#include "ui/login/login_layout.h"
#include "ui/login/login_setting_dlg.h"
#include "ui/login/search_dlg.h"
#include "ui/login/upgrade_fw_dlg.h"
#include "ui/login/wait_dlg.h"

#include "gallery_sections.h"

namespace gallery {
namespace {

// The window as it shows on screen: its picture with the corners its region cuts away made
// transparent.
QImage Shown(QWidget& window) {
  QImage image = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  const QRegion mask = window.mask();
  if (mask.isEmpty())
    return image;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (!mask.contains(QPoint(x, y)))
        image.setPixel(x, y, qRgba(0, 0, 0, 0));
    }
  }
  return image;
}

QImage Zoomed(const QImage& image, int zoom) {
  return image.scaled(image.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void FillLoginFields(LoginDialog& dialog) {
  dialog.m_strHost = QStringLiteral("192.168.1.100");
  dialog.m_strUserName = QStringLiteral("wopal");
  dialog.m_strPassword = QStringLiteral("wopal");
  dialog.m_strPort = QStringLiteral("80");
  dialog.m_strBitRate = QStringLiteral("1200");
}

void RenderLoginWindow() {
  {
    LoginDialog dialog(ports::LoginEngine::Defaults());
    FillLoginFields(dialog);
    dialog.InitForPicture();
    if (!dialog.IsSkinLoaded())
      Fail();
    Save(Shown(dialog), QStringLiteral("login_window"));
    Save(Zoomed(Shown(dialog), 2), QStringLiteral("login_window_x2"));
  }
  {
    LoginDialog dialog(ports::LoginEngine::Defaults());
    FillLoginFields(dialog);
    dialog.InitForPicture();
    for (int i = 0; i < 7; ++i)
      dialog.AnimationStep();
    Save(Shown(dialog), QStringLiteral("login_window_logging_in"));
  }
  const struct {
    int code;
    const char* name;
  } results[] = {{18, "login_window_illegal_user"},
                 {2, "login_window_device_failed"},
                 {19, "login_window_longest_text"}};
  for (const auto& r : results) {
    LoginDialog dialog(ports::LoginEngine::Defaults());
    FillLoginFields(dialog);
    if (r.code == 19)
      dialog.m_strPort = QStringLiteral("65535");  // the widest port beside the longest text
    dialog.InitForPicture();
    dialog.ShowResult(r.code);
    Save(Shown(dialog), QString::fromLatin1(r.name));
  }
  {
    // No skin bitmaps at all: the window still opens with its fields.
    const QString skin = ui::SkinBaseFolder();
    ui::SetSkinBaseFolder(QStringLiteral("/nonexistent-skin-folder"));
    LoginDialog dialog(ports::LoginEngine::Defaults());
    FillLoginFields(dialog);
    dialog.InitForPicture();
    Save(Shown(dialog), QStringLiteral("login_window_without_skin"));
    ui::SetSkinBaseFolder(skin);
  }
}

void RenderLoginSettings() {
  const struct {
    std::uint8_t transmission;
    std::uint8_t decode;
    const char* name;
  } cases[] = {{0, 0, "login_setting_udp_jpeg"}, {1, 4, "login_setting_tcp_mpeg4"}};
  for (const auto& c : cases) {
    g_lpApp->m_SettingINI.m_byTransmissionType = c.transmission;
    g_lpApp->m_SettingINI.m_byDecodeType = c.decode;
    CLoginSettingDlg dialog;
    dialog.InitForPicture();
    Save(Zoomed(Shown(dialog), 2), QString::fromLatin1(c.name));
  }
}

void RenderAddressBooks(const std::filesystem::path& folder) {
  const auto file = app::IPRecordPath(folder);
  std::vector<app::IPRecord> entries = {{"wopal", "192.168.1.100", "front door", 80},
                                        {"admin", "192.168.1.101", "warehouse", 8080},
                                        {"viewer", "cam.example.org", "roof camera", 554}};
  platform::WriteFileAtomically(file, app::WriteIPRecords(entries));
  {
    CAddressBookListDlg dialog(file);
    dialog.InitForPicture();
    Save(Shown(dialog), QStringLiteral("address_book"));
    if (auto* add = dialog.GetDlgItem(IDC_ADDRESS_EDIT))
      qobject_cast<QAbstractButton*>(add)->click();
    Save(Shown(dialog), QStringLiteral("address_book_editing"));
  }
  for (int i = 0; i < 12; ++i)
    entries.push_back({"user" + std::to_string(i), "10.0.0." + std::to_string(i + 10), "", 80});
  platform::WriteFileAtomically(file, app::WriteIPRecords(entries));
  {
    CAddressBookDialog dialog(file);
    dialog.InitForPicture();
    Save(Shown(dialog), QStringLiteral("address_book_old"));
  }
}

void RenderSmallDialogs() {
  {
    fakes::HandTicks ticks(fakes::HandTicks::RealTicks::kHold);
    CWaitDlg box;
    box.Timers().SetTimer(kWaitDotTimer, 100000);  // ticks by hand below
    for (int i = 0; i < 5; ++i)
      ticks.Fire(box, kWaitDotTimer);
    box.Timers().KillAll();
    Save(Shown(box), QStringLiteral("wait_box"));
  }
  {
    CClockDlg dialog;
    dialog.Clock().SetTimeSource([] { return QDateTime(QDate(2005, 9, 15), QTime(9, 5, 7)); });
    dialog.InitForPicture();
    Save(Zoomed(Shown(dialog), 2), QStringLiteral("clock_dialog"));
  }
  {
    CLoginAboutDlg about;
    about.InitForPicture();
    if (!about.HasPictures())
      Fail();
    Save(Shown(about), QStringLiteral("login_about"));
  }
}

net::SearchDatagram Answer(std::uint8_t kind, std::uint8_t last, std::uint16_t port) {
  net::SearchDatagram answer;
  answer.command = net::kSearchCommandText;
  answer.code = net::kSearchCode;
  answer.kindOrResult = kind;
  answer.mac = {0x00, 0x0E, 0x53, 0x12, 0xAB, last};
  answer.ip = {192, 168, 1, last};
  answer.netMask = {255, 255, 255, 0};
  answer.gateway = {192, 168, 1, 1};
  answer.dns = {168, 95, 1, 1};
  answer.port = port;
  return answer;
}

void RenderSearch() {
  {
    CSearchDlg dialog(ports::LoginEngine::Defaults());
    dialog.InitForPicture();
    dialog.AddAnswer(Answer(0x01, 100, 80));
    dialog.AddAnswer(Answer(0x77, 101, 8080));
    dialog.AddAnswer(Answer(0x32, 102, 80));
    dialog.AddAnswer(Answer(0x99, 103, 554));
    Save(Shown(dialog), QStringLiteral("search_searching"));
    dialog.EndSearch();
    if (auto* list = dialog.Controls().Get<ui::ListCtrl>(ui::login::IDC_SEARCH_LIST))
      list->SelectItem(3);
    Save(Shown(dialog), QStringLiteral("search_found"));
  }
  {
    CConfirmAuthorityDlg confirm;
    confirm.m_strUserName = QStringLiteral("admin");
    confirm.m_strPassword = QStringLiteral("secret");
    confirm.UpdateData(false);
    Save(Shown(confirm), QStringLiteral("confirm_authority"));
  }
}

void RenderFirmware() {
  {
    CConnectDlg connect(ports::LoginEngine::Defaults(), QStringLiteral("192.168.1.100"),
                        QStringLiteral("wopal"), QStringLiteral("wopal"), QStringLiteral("80"));
    connect.m_strText = QStringLiteral("Connect 192.168.1.100 ...");
    connect.InitForPicture();
    Save(Shown(connect), QStringLiteral("connect_dialog"));
  }
  const std::string version = "2.1.0.7";
  g_lpApp->m_szFirmwareVersion.fill('\0');
  std::copy(version.begin(), version.end(), g_lpApp->m_szFirmwareVersion.begin());
  g_lpApp->m_SettingINI.m_strUpgradePath = "/home/operator/firmware/kv604-2.2.0.1.bin";
  {
    UpgradeFWDlg upgrade(ports::LoginEngine::Defaults());
    upgrade.InitForPicture();
    Save(Shown(upgrade), QStringLiteral("upgrade_firmware_idle"));
    upgrade.ShowProgress(49);
    if (QWidget* button = upgrade.GetDlgItem(ui::login::IDC_FW_UPGRADE))
      button->setEnabled(false);
    Save(Shown(upgrade), QStringLiteral("upgrade_firmware_uploading"));
  }
}

// The browser's top level at a folder of the gallery's own.
class GalleryFolders final : public ui::IFolderSource {
 public:
  explicit GalleryFolders(std::string root) : m_root(std::move(root)) {}
  std::vector<ui::FolderRoot> Roots() override {
    return {{QStringLiteral("/"), m_root, ui::kImageFixedDrive}};
  }
  std::vector<std::string> SubFolders(const std::string& path) override {
    return ui::FileSystemFolders()->SubFolders(path);
  }

 private:
  std::string m_root;
};

void RenderFolderAndCopy(const std::filesystem::path& folder) {
  const std::filesystem::path root = folder / "browse";
  for (const char* path : {"home/operator/Records", "home/operator/Snapshots", "home/guest",
                           "opt/MPEG4 Telvora/BMP/LOGIN", "media/USB", "srv", "var/log"}) {
    std::filesystem::create_directories(root / path);
  }
  {
    CDestinationPathDlg browser(nullptr, std::make_shared<GalleryFolders>(root.string() + "/"));
    browser.SetPath(root.string() + "/home/operator");
    browser.InitForPicture();
    if (QTreeWidgetItem* top = browser.Tree()->topLevelItem(0)) {
      if (QTreeWidgetItem* opt = browser.FindChild(top, "opt"))
        opt->setExpanded(true);
      if (QTreeWidgetItem* home = browser.FindChild(top, "home")) {
        if (QTreeWidgetItem* operatorFolder = browser.FindChild(home, "operator")) {
          if (QTreeWidgetItem* records = browser.FindChild(operatorFolder, "Records"))
            browser.Tree()->setCurrentItem(records);
        }
      }
    }
    Save(Shown(browser), QStringLiteral("destination_path"));
    Save(Zoomed(ui::FolderImageStrip().toImage(), 4), QStringLiteral("folder_images_x4"));
  }
  {
    CCopyProgramDlg copy(folder, folder / "copy");
    copy.InitForPicture(50);
    Save(Shown(copy), QStringLiteral("copy_program_half"));
    copy.InitForPicture(100);
    Save(Shown(copy), QStringLiteral("copy_program_done"));
  }
}

}  // namespace

void RenderLogin() {
  // A data block and a program folder of their own, as start-up would give the windows.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "kavelin-gallery-login";
  std::filesystem::create_directories(folder);
  const bool ownData = !g_lpApp;
  if (ownData)
    g_lpApp = std::make_unique<CAppData>();
  g_lpApp->m_SettingINI.m_strProgramDir = folder.string() + "/";
  RenderLoginWindow();
  RenderLoginSettings();
  RenderAddressBooks(folder);
  RenderSmallDialogs();
  RenderSearch();
  RenderFirmware();
  RenderFolderAndCopy(folder);
  if (ownData)
    g_lpApp.reset();
  std::filesystem::remove_all(folder);
}

}  // namespace gallery
