// The gallery's pictures of the login window and its tools: the login window idle, logging in,
// with result texts and without its skin; the login settings; both address books; the wait
// box, the clock dialog and the login about box.
#include <QAbstractButton>
#include <QLineEdit>
#include <QPainter>
#include <QTreeWidget>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/app_data.h"
#include "app/ip_record.h"
#include "platform/folders.h"
#include "ui/common/skin_loader.h"
#include "ui/login/address_book_dialog.h"
#include "ui/login/address_book_list_dlg.h"
#include "ui/login/clock_dlg.h"
#include "ui/login/login_about_dlg.h"
#include "ui/login/login_dialog.h"
#include "ui/login/login_layout.h"
#include "ui/login/login_setting_dlg.h"
#include "ui/login/wait_dlg.h"
#include "ui/main/clock_st.h"

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
    LoginDialog dialog;
    FillLoginFields(dialog);
    dialog.InitForPicture();
    if (!dialog.IsSkinLoaded())
      Fail();
    Save(Shown(dialog), QStringLiteral("login_window"));
    Save(Zoomed(Shown(dialog), 2), QStringLiteral("login_window_x2"));
  }
  {
    LoginDialog dialog;
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
    LoginDialog dialog;
    FillLoginFields(dialog);
    dialog.InitForPicture();
    dialog.ShowResult(r.code);
    Save(Shown(dialog), QString::fromLatin1(r.name));
  }
  {
    // No skin bitmaps at all: the window still opens with its fields.
    const QString skin = ui::SkinBaseFolder();
    ui::SetSkinBaseFolder(QStringLiteral("/nonexistent-skin-folder"));
    LoginDialog dialog;
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
    CWaitDlg box;
    box.Timers().SetTimer(kWaitDotTimer, 100000);  // ticks by hand below
    for (int i = 0; i < 5; ++i)
      box.Timers().FireForTest(kWaitDotTimer);
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
  if (ownData)
    g_lpApp.reset();
  std::filesystem::remove_all(folder);
}

}  // namespace gallery
