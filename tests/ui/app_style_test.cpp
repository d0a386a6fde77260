// The application's look: the palette built from the skin's colours keeps every text readable on
// its surface, InstallAppStyle puts it on the application, and the windows Qt draws itself
// (message boxes, the file chooser) then show light ink on the dark ground.
#include "ui/common/app_style.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeView>
#include <memory>

#include "bitmapgen/key_face.h"
#include "bitmapgen/palette.h"
#include "gui_test_support.h"
#include "ui/login/login_look.h"

namespace {

// Body text needs 4.5:1; muted (refused) text only needs to stay visible.
constexpr double kReadable = 4.5;
constexpr double kVisible = 2.5;

struct ColourPair {
  const char* what;
  QPalette::ColorGroup group;
  QPalette::ColorRole ink;
  QPalette::ColorRole ground;
  double least;
};

TEST(AppPalette, EveryInkReadsOnItsSurface) {
  const QPalette palette = ui::AppPalette();
  const ColourPair pairs[] = {
      {"window text", QPalette::Active, QPalette::WindowText, QPalette::Window, 7.0},
      {"field text", QPalette::Active, QPalette::Text, QPalette::Base, kReadable},
      {"alternate row text", QPalette::Active, QPalette::Text, QPalette::AlternateBase, kReadable},
      {"button text", QPalette::Active, QPalette::ButtonText, QPalette::Button, kReadable},
      {"selected text", QPalette::Active, QPalette::HighlightedText, QPalette::Highlight,
       kReadable},
      {"tool tip", QPalette::Active, QPalette::ToolTipText, QPalette::ToolTipBase, kReadable},
      {"link on a field", QPalette::Active, QPalette::Link, QPalette::Base, kReadable},
      {"link on the window", QPalette::Active, QPalette::Link, QPalette::Window, kReadable},
      {"inactive window text", QPalette::Inactive, QPalette::WindowText, QPalette::Window, 7.0},
      {"inactive selection", QPalette::Inactive, QPalette::HighlightedText, QPalette::Highlight,
       kReadable},
      {"refused label", QPalette::Disabled, QPalette::WindowText, QPalette::Window, kVisible},
      {"refused field", QPalette::Disabled, QPalette::Text, QPalette::Base, kVisible},
      {"refused button", QPalette::Disabled, QPalette::ButtonText, QPalette::Button, kVisible},
      {"placeholder", QPalette::Active, QPalette::PlaceholderText, QPalette::Base, kVisible},
  };
  for (const ColourPair& pair : pairs) {
    const QColor ink = palette.color(pair.group, pair.ink);
    const QColor ground = palette.color(pair.group, pair.ground);
    EXPECT_GE(ui::ContrastRatio(ink, ground), pair.least)
        << pair.what << ": " << qPrintable(ink.name()) << " on " << qPrintable(ground.name());
  }
  // The surfaces are the skin's dark ones, the selection is the skin's accent.
  EXPECT_EQ(palette.color(QPalette::Window), skin::palette::kGround);
  EXPECT_LT(ui::RelativeLuminance(palette.color(QPalette::Base)), 0.05);
  EXPECT_EQ(palette.color(QPalette::Highlight), skin::palette::kAccentDeep);
}

TEST(AppPalette, ContrastFollowsTheStandardFormula) {
  EXPECT_NEAR(ui::ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
  EXPECT_NEAR(ui::ContrastRatio(Qt::white, Qt::black), 21.0, 1e-9);
  EXPECT_NEAR(ui::ContrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
  EXPECT_NEAR(ui::RelativeLuminance(QColor(0xff, 0, 0)), 0.2126, 1e-9);
}

// The login window's look is the main window's: its texts read on its dark ground, its caption
// on its band, its fields' text on the fields.
TEST(LoginLook, TextsReadOnTheGround) {
  using namespace ui::login;
  struct {
    const char* what;
    QColor ink;
    QColor ground;
  } const pairs[] = {
      {"body text", kLookText, kLookBody},           {"failure text", kLookFailureText, kLookBody},
      {"success text", kLookSuccessText, kLookBody}, {"caption", kLookCaptionText, kLookCaption},
      {"edit text", kLookText, kLookField},
  };
  for (const auto& pair : pairs) {
    EXPECT_GE(ui::ContrastRatio(pair.ink, pair.ground), kReadable)
        << pair.what << ": " << qPrintable(pair.ink.name()) << " on "
        << qPrintable(pair.ground.name());
  }
  // One palette: the login window's ground, surface and accent are the main window's.
  EXPECT_EQ(kLookBody, skin::palette::kGround);
  EXPECT_EQ(kLookField, skin::palette::kTitle);
  EXPECT_EQ(kLookAccent, skin::palette::kAccent);
}

// Installs the look for one test and puts the application's own back after it, so the other
// window tests of this program keep the look they were written against.
class AppStyleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_palette = QApplication::palette();
    m_styleName = QApplication::style()->name();
    ui::InstallAppStyle(*qApp);
  }
  void TearDown() override {
    QApplication::setStyle(m_styleName);
    QApplication::setPalette(m_palette);
  }

  // The highest contrast any pixel of the widget's picture has against the ground colour:
  // the text's own ink, however it is anti-aliased.
  static double BestInkContrast(QWidget& widget, const QColor& ground) {
    const QImage image = widget.grab().toImage();
    double best = 1.0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x)
        best = std::max(best, ui::ContrastRatio(image.pixelColor(x, y), ground));
    }
    return best;
  }

  QPalette m_palette;
  QString m_styleName;
};

TEST_F(AppStyleTest, InstallsTheSkinPaletteAndFusion) {
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), skin::palette::kGround);
  EXPECT_EQ(QApplication::palette().color(QPalette::WindowText), skin::palette::kInk);
  const auto* proxy = qobject_cast<QProxyStyle*>(QApplication::style());
  ASSERT_NE(proxy, nullptr);
  EXPECT_EQ(proxy->baseStyle()->name().toLower(), QStringLiteral("fusion"));
  // A widget made afterwards takes it without asking.
  QWidget plain;
  EXPECT_EQ(plain.palette().color(QPalette::Window), skin::palette::kGround);
}

TEST_F(AppStyleTest, MessageBoxTextIsLightOnTheDarkGround) {
  for (const QMessageBox::Icon icon : {QMessageBox::Information, QMessageBox::Warning,
                                       QMessageBox::Critical, QMessageBox::Question}) {
    QMessageBox box(icon, QStringLiteral("Kavelin"),
                    QStringLiteral("The recording folder cannot be written."), QMessageBox::Ok);
    box.show();
    QCoreApplication::processEvents();
    const QColor ground = box.palette().color(QPalette::Window);
    EXPECT_LT(ui::RelativeLuminance(ground), 0.05) << "the box is dark";
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    ASSERT_NE(label, nullptr);
    const QColor ink = label->palette().color(label->foregroundRole());
    EXPECT_GE(ui::ContrastRatio(ink, ground), kReadable) << qPrintable(ink.name());
    // What is drawn, not only what the palette says: the label's pixels carry readable ink.
    EXPECT_GE(BestInkContrast(*label, ground), kReadable);
    box.hide();
  }
}

// The number of pixels of a picture close to the colour.
int PixelsNearIn(const QImage& image, const QColor& colour) {
  int near = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      near += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                          std::abs(c.blue() - colour.blue()) <
                      24
                  ? 1
                  : 0;
    }
  }
  return near;
}

int PixelsNear(QWidget& widget, const QColor& colour) {
  return PixelsNearIn(widget.grab().toImage(), colour);
}

TEST_F(AppStyleTest, ChosenRadioButtonsAndCheckBoxesShowTheAccent) {
  QWidget page;
  page.resize(160, 60);
  auto* chosen = new QRadioButton(QStringLiteral("Static IP"), &page);
  auto* other = new QRadioButton(QStringLiteral("DHCP"), &page);
  auto* ticked = new QCheckBox(QStringLiteral("Enable"), &page);
  auto* clear = new QCheckBox(QStringLiteral("Disable"), &page);
  chosen->setGeometry(0, 0, 80, 20);
  other->setGeometry(80, 0, 80, 20);
  ticked->setGeometry(0, 30, 80, 20);
  clear->setGeometry(80, 30, 80, 20);
  chosen->setChecked(true);
  ticked->setChecked(true);
  page.show();
  QCoreApplication::processEvents();
  EXPECT_GT(PixelsNear(*chosen, skin::palette::kAccent), 4);
  EXPECT_EQ(PixelsNear(*other, skin::palette::kAccent), 0);
  EXPECT_GT(PixelsNear(*ticked, skin::palette::kAccent), 4);
  EXPECT_EQ(PixelsNear(*clear, skin::palette::kAccent), 0);
}

TEST_F(AppStyleTest, DialogButtonsCarryNoStockIcons) {
  // Whatever the platform's theme says (X11 desktops ask for icons), the style refuses them.
  EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_DialogButtonBox_ButtonsHaveIcons), 0);
  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                           QDialogButtonBox::Apply);
  for (QAbstractButton* button : buttons.buttons())
    EXPECT_TRUE(button->icon().isNull()) << qPrintable(button->text());
  QMessageBox box(QMessageBox::Question, QStringLiteral("Kavelin"), QStringLiteral("Reboot?"),
                  QMessageBox::Yes | QMessageBox::No);
  for (QAbstractButton* button : box.buttons())
    EXPECT_TRUE(button->icon().isNull()) << qPrintable(button->text());
}

TEST_F(AppStyleTest, PushButtonsWearThePanelKeysFace) {
  const QSize size(80, 22);
  for (const bool enabled : {true, false}) {
    SCOPED_TRACE(enabled ? "enabled" : "refused");
    QPushButton button(QStringLiteral("OK"));
    button.setEnabled(enabled);
    button.setFixedSize(size);
    const QImage shot = button.grab().toImage();
    // The same face as the skin generator gives a key, on the window's ground.
    QImage face(size, QImage::Format_RGB32);
    face.fill(QApplication::palette().color(QPalette::Window));
    QPainter painter(&face);
    const QRectF bounds(QPointF(0, 0), size);
    const QColor ink = ::skin::DrawKeyFace(
        painter, ::skin::KeyFacePath(bounds), bounds,
        {.state = enabled ? ::skin::KeyState::Normal : ::skin::KeyState::Disabled});
    painter.end();
    // Beside the text: the face, its outline and its top line.
    for (const QPoint p : {QPoint(6, 11), QPoint(40, 0), QPoint(40, 1), QPoint(40, 20),
                           QPoint(0, 11), QPoint(74, 16)}) {
      EXPECT_EQ(shot.pixelColor(p), face.pixelColor(p)) << p.x() << "," << p.y();
    }
    // The text in the ink the face gives.
    EXPECT_GE(ui::ContrastRatio(ink, face.pixelColor(6, 11)), enabled ? kReadable : kVisible);
    EXPECT_GT(PixelsNearIn(shot, ink), 4);
  }
}

TEST_F(AppStyleTest, FileChooserListsReadOnTheirFields) {
  QFileDialog chooser(nullptr, QStringLiteral("Save the snapshot"), QDir::tempPath());
  chooser.setOption(QFileDialog::DontUseNativeDialog, true);
  chooser.show();
  QCoreApplication::processEvents();
  EXPECT_LT(ui::RelativeLuminance(chooser.palette().color(QPalette::Window)), 0.05);
  const auto views = chooser.findChildren<QAbstractItemView*>();
  ASSERT_FALSE(views.isEmpty());
  for (QAbstractItemView* view : views) {
    const QPalette p = view->palette();
    EXPECT_GE(ui::ContrastRatio(p.color(QPalette::Text), p.color(QPalette::Base)), kReadable)
        << qPrintable(view->objectName());
  }
  chooser.hide();
}

}  // namespace
