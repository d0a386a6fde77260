// The window foundation's pieces: bitmap buttons in every state, the clock, the tree sheet with
// sample pages, the panel keys of a device over a skin background, the login window's skin
// pieces and a few skin bitmaps.
#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <array>
#include <cstdio>
#include <functional>

#include "ui/common/clock_st.h"
#include "ui/common/skin_loader.h"
#include "ui/common/string_table.h"
#include "ui/common/tree_prop_sheet.h"
#include "ui/common/vtx_button.h"
#include "ui/main/panel_table.h"

#include "gallery_sections.h"

namespace gallery {
namespace {

// One row per look of a button: rest, under the mouse, pressed, released, left.
void RenderButtonStates() {
  struct Sample {
    const char* name;
    std::uint16_t type;
    std::function<bool(CVtxButton&)> load;
  };
  const std::array<QString, 4> record = {"BMP\\Record_Button.bmp", "BMP\\Record_Button_over.bmp",
                                         "BMP\\Recording_Button.bmp",
                                         "BMP\\Recording_Button_over.bmp"};
  const std::array<QString, 4> channel = {
      "BMP\\Channel_1_Enable.bmp", "BMP\\Channel_1_Enable_over.bmp", "BMP\\Channel_1_Disable.bmp",
      "BMP\\Channel_1_Disable_over.bmp"};
  const Sample samples[] = {
      {"snapshot_press_hover", VTX_PRESS_HOVER,
       [](CVtxButton& b) {
         return b.LoadButtonBitmap("BMP\\snapshoot.bmp", "BMP\\snapshoot_over.bmp",
                                   "BMP\\snapshoot_down.bmp", VTX_PRESS_HOVER);
       }},
      {"close_hover", VTX_HOVER,
       [](CVtxButton& b) {
         return b.LoadButtonBitmap("BMP\\Title_Bar_Close.bmp", "BMP\\Title_Bar_Close_a.bmp",
                                   "BMP\\Title_Bar_Close_a.bmp", VTX_HOVER);
       }},
      {"record_states_hover", VTX_STATES_HOVER,
       [&](CVtxButton& b) { return b.LoadButtonBitmap(2, record, VTX_STATES_HOVER); }},
      {"channel_frames", VTX_FRAMES,
       [&](CVtxButton& b) { return b.LoadButtonBitmap(2, channel, VTX_FRAMES); }},
      {"login_enter", VTX_PRESS_HOVER,
       [](CVtxButton& b) {
         return b.LoadButtonBitmap("BMP\\LOGIN\\enter.bmp", "BMP\\LOGIN\\enter_over.bmp",
                                   "BMP\\LOGIN\\enter_down.bmp", VTX_PRESS_HOVER);
       }},
      {"login_name_single", VTX_SINGLE,
       [](CVtxButton& b) {
         return b.LoadButtonBitmap(QString("BMP\\LOGIN\\name.BMP"), VTX_SINGLE);
       }},
  };
  for (const Sample& s : samples) {
    CVtxButton button;
    if (!s.load(button)) {
      std::fprintf(stderr, "kavelin_gallery: %s: bitmaps missing\n", s.name);
      Fail();
      continue;
    }
    const QSize size = button.ShownBitmap().size();
    button.resize(size);
    button.show();
    const int cell = size.width() + 8;
    QImage sheet(cell * 5, size.height() + 8, QImage::Format_RGB32);
    sheet.fill(QColor(60, 60, 60));
    QPainter p(&sheet);
    const QPointF inside(size.width() / 2.0, size.height() / 2.0);
    for (int i = 0; i < 5; ++i) {
      if (i == 1) {
        QMouseEvent move(QEvent::MouseMove, inside, button.mapToGlobal(inside), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&button, &move);
      } else if (i == 2 || i == 3) {
        QMouseEvent press(i == 2 ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, inside,
                          button.mapToGlobal(inside), Qt::LeftButton,
                          i == 2 ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&button, &press);
      } else if (i == 4) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&button, &leave);
      }
      p.drawPixmap(i * cell + 4, 4, button.grab());
    }
    p.end();
    Save(sheet, QStringLiteral("button_%1").arg(s.name));
  }
}

void RenderClock() {
  QWidget host;
  CClockST clock(&host);
  clock.SetTimeSource([] { return QDateTime(QDate(2005, 9, 15), QTime(9, 5, 7)); });
  if (clock.Create(IDB_CLOCK_BACKGROUND, IDB_CLOCK_LARGE_DIGITS, IDB_CLOCK_SMALL_DIGITS,
                   QRect(0, 0, 1, 1), &host) != 0) {
    Fail();
    return;
  }
  Save(clock.Compose().scaled(clock.width() * 3, clock.height() * 3), "clock_2005-09-15_09-05-07");
}

class SamplePage final : public ui::CPropertyPage {
 public:
  explicit SamplePage(const QString& caption) : CPropertyPage(caption) {}

 protected:
  void CreateControls(QWidget* window) override {
    auto* form = new QFormLayout(window);
    auto* server = new QLineEdit(QStringLiteral("mail.example.net"), window);
    RegisterControl(1044, server);
    form->addRow(QStringLiteral("Server"), server);
    form->addRow(QStringLiteral("Page"), new QLabel(GetCaption(), window));
  }
};

void RenderTreeSheet() {
  SamplePage network("Network"), mail("Network::Mail"), ftp("Network::FTP"), accounts("Accounts"),
      escaped("Tools::A\\::B");
  for (bool nodeSelected : {false, true}) {
    CTreePropSheet sheet(QStringLiteral("System Config"));
    sheet.SetTreeMode(true, true, false);
    sheet.SetTreeTitle(QStringLiteral("Please select a child item of '%s'."));
    for (ui::CPropertyPage* page :
         std::initializer_list<ui::CPropertyPage*>{&network, &mail, &ftp, &accounts, &escaped}) {
      sheet.AddPage(page);
    }
    sheet.SetStartPage(1);
    sheet.resize(560, 320);
    QTimer::singleShot(0, &sheet, [&] {
      if (nodeSelected) {
        const auto tools =
            sheet.GetPageTreeControl()->findItems(QStringLiteral("Tools"), Qt::MatchExactly);
        if (!tools.isEmpty())
          sheet.GetPageTreeControl()->setCurrentItem(tools.front());
      }
      QCoreApplication::processEvents();
      Save(sheet.grab().toImage(), nodeSelected ? "tree_sheet_node" : "tree_sheet_mail");
      sheet.EndDialog(0);
    });
    sheet.DoModal();
  }
}

// The panel keys of one device type, each in its rectangle over the open-panel background.
void RenderPanel(int deviceType, int layoutSkin, const char* background, const QString& name) {
  QImage canvas = ui::LoadSkinImage(QString::fromLatin1(background));
  if (canvas.isNull()) {
    Fail();
    return;
  }
  canvas = canvas.convertToFormat(QImage::Format_RGB32);
  QPainter p(&canvas);
  const bool small = layoutSkin == 1 || layoutSkin == 3;
  for (const auto& rec : panel::PanelEntry(deviceType).buttons) {
    if (!(rec.flags & panel::kFlagShown))
      continue;
    const auto& r = rec.rects[static_cast<std::size_t>(layoutSkin)];
    const std::string& image = rec.images[small && rec.imageKind == panel::kKindSinglePair ? 3 : 0];
    // A button shows its bitmap clipped to its own rectangle.
    p.drawImage(QPoint(r.left, r.top), ui::LoadSkinImage(QString::fromStdString(image)),
                QRect(0, 0, r.Width(), r.Height()));
  }
  p.end();
  Save(canvas, name);
}

// The login window's skin pieces at the places its layout table gives, to check their sizes.
void RenderLoginPieces() {
  QImage canvas(304, 341, QImage::Format_RGB32);
  canvas.fill(Qt::black);
  QPainter p(&canvas);
  const auto piece = [&](const char* file, QRect rect, bool stretch) {
    const QImage image = ui::LoadSkinImage(QStringLiteral("BMP\\LOGIN\\") + QLatin1String(file));
    if (image.isNull()) {
      Fail();
      return;
    }
    if (stretch) {
      p.drawImage(rect, image);
    } else {
      p.drawImage(rect.topLeft(), image);
    }
  };
  const auto box = [](int l, int t, int r, int b) {
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
  };
  piece("spacer.bmp", box(0, 0, 304, 341), true);
  piece("left_top.bmp", box(0, 0, 21, 34), true);
  piece("right_top.bmp", box(278, 0, 304, 34), true);
  piece("top_middle1.bmp", box(21, 0, 278, 12), true);
  piece("top_middle2.bmp", box(21, 12, 278, 34), true);
  piece("left_middle.bmp", box(0, 34, 21, 319), true);
  piece("right_middle.bmp", box(278, 34, 304, 319), true);
  piece("left_down.bmp", box(0, 319, 25, 341), true);
  piece("right_down.bmp", box(280, 319, 304, 341), true);
  piece("down_middle.bmp", box(25, 319, 280, 341), true);
  const char* tools[] = {"address.bmp",  "search.bmp", "player.bmp",
                         "download.BMP", "copy.bmp",   "s.bmp"};
  for (int i = 0; i < 6; ++i)
    piece(tools[i], QRect(30 + 40 * i, 50, 34, 34), false);
  const char* icons[] = {"name.BMP", "password.BMP", "ip.BMP", "port.BMP"};
  for (int i = 0; i < 4; ++i)
    piece(icons[i], QRect(30, 100 + 36 * i, 28, 28), false);
  piece("enter.bmp", QRect(70, 275, 32, 32), false);
  piece("cancel.bmp", QRect(195, 275, 32, 32), false);
  piece("running.bmp", QRect(74, 245, 16, 8), false);
  const char* version[] = {"login_1.bmp", "login_point.bmp", "login_0.bmp", "login_point.bmp",
                           "login_1.bmp", "login_point.bmp", "login_7.bmp"};
  for (int i = 0; i < 7; ++i)
    piece(version[i], QRect(182 + 10 * i, 13, 10, 20), false);
  p.end();
  Save(canvas.scaled(canvas.size() * 2), "login_pieces");
}

void RenderSkinBitmaps() {
  const char* names[] = {"BMP\\N_VGA_BG.bmp",           "BMP\\VGA_Status_Bar.bmp",
                         "BMP\\Channel_dvr_Enable.bmp", "BMP\\Channel_16_Disable_over.bmp",
                         "BMP\\00_AudioVideo.bmp",      "BMP\\LOGIN\\download.BMP",
                         "BMP\\LOGIN\\top_middle2.bmp", "BMP\\N_VGA_UP_TURBO.bmp",
                         "BMP\\VARNEL_LOGO.bmp",        "BMP\\Dialog_default.bmp"};
  for (const char* name : names) {
    const QImage image = ui::LoadSkinImage(QString::fromLatin1(name));
    QString file = QString::fromLatin1(name);
    file.replace(QLatin1Char('\\'), QLatin1Char('_'));
    file.chop(4);
    const int zoom = image.width() < 100 ? 4 : 1;
    Save(image.scaled(image.size() * zoom), QStringLiteral("skin_%1").arg(file));
  }
}

}  // namespace

void RenderFoundation() {
  RenderButtonStates();
  RenderClock();
  RenderTreeSheet();
  RenderPanel(6, 0, "BMP\\N_VGA_BG_EX.bmp", "panel_type6_n_vga");
  RenderPanel(8, 1, "BMP\\N_QVGA_BG_EX.bmp", "panel_type8_n_qvga");
  RenderLoginPieces();
  RenderSkinBitmaps();
}

}  // namespace gallery
