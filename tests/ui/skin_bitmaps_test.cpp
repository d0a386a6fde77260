#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <set>

#include "bitmapgen/key_face.h"
#include "bitmapgen/palette.h"
#include "gui_test_support.h"
#include "skin/skin_bitmap_list.h"
#include "ui/common/colorref.h"
#include "ui/common/skin_loader.h"
#include "ui/common/string_table.h"
#include "ui/main/image_adjust_dlg.h"
#include "ui/main/panel_table.h"
#include "ui/main/skin_tables.h"

namespace {

// Every bitmap name the windows quote, as they spell it.
const char* const kQuotedNames[] = {
    "BMP\\00_Audio.bmp",
    "BMP\\00_AudioVideo.bmp",
    "BMP\\00_AudioVideo_down.bmp",
    "BMP\\00_AudioVideo_n.bmp",
    "BMP\\00_Audio_down.bmp",
    "BMP\\00_Video.bmp",
    "BMP\\00_Video_down.bmp",
    "BMP\\2Col_focus_turbo_in.bmp",
    "BMP\\2Col_focus_turbo_in_a.bmp",
    "BMP\\2Col_focus_turbo_out.bmp",
    "BMP\\2Col_focus_turbo_out_a.bmp",
    "BMP\\2Col_zoom_in.bmp",
    "BMP\\2Col_zoom_turbo_in.bmp",
    "BMP\\2Col_zoom_turbo_in_a.bmp",
    "BMP\\2Col_zoom_turbo_out.bmp",
    "BMP\\2Col_zoom_turbo_out_a.bmp",
    "BMP\\BottomLeft.bmp",
    "BMP\\BottomRight.bmp",
    "BMP\\Bottom_ess.bmp",
    "BMP\\Channel_15_Enable.bmp",
    "BMP\\Channel_16_Enable.bmp",
    "BMP\\Channel_1_Enable.bmp",
    "BMP\\Channel_7_Enable.bmp",
    "BMP\\Channel_8_Enable.bmp",
    "BMP\\Channel_9_Enable.bmp",
    "BMP\\Channel_Left.bmp",
    "BMP\\Channel_Left_Down.bmp",
    "BMP\\Channel_Right.bmp",
    "BMP\\Channel_Right_Down.bmp",
    "BMP\\Channel_dvr_Disable.bmp",
    "BMP\\Channel_dvr_Disable_over.bmp",
    "BMP\\Channel_dvr_Enable.bmp",
    "BMP\\Channel_dvr_Enable_over.bmp",
    "BMP\\Dialog_Brightness.bmp",
    "BMP\\Dialog_Contrast.bmp",
    "BMP\\Dialog_Hue.bmp",
    "BMP\\Dialog_Saturation.bmp",
    "BMP\\Dialog_apply.bmp",
    "BMP\\Dialog_apply_over.bmp",
    "BMP\\Dialog_default.bmp",
    "BMP\\Dialog_default_over.bmp",
    "BMP\\Dialog_ok.bmp",
    "BMP\\Dialog_ok_over.bmp",
    "BMP\\Image_Quality.bmp",
    "BMP\\Image_Quality_n.bmp",
    "BMP\\Image_Quality_over.bmp",
    "BMP\\InfoAlarmBlue.bmp",
    "BMP\\InfoAlarmRed.bmp",
    "BMP\\InfoMotionBlue.bmp",
    "BMP\\InfoMotionRed.bmp",
    "BMP\\InfoOnlineUser.bmp",
    "BMP\\LOGIN\\Login_Radio_Select.bmp",
    "BMP\\LOGIN\\Login_Radio_UnSelect.bmp",
    "BMP\\LOGIN\\address.bmp",
    "BMP\\LOGIN\\address_down.bmp",
    "BMP\\LOGIN\\address_over.bmp",
    "BMP\\LOGIN\\cancel.bmp",
    "BMP\\LOGIN\\cancel_down.bmp",
    "BMP\\LOGIN\\cancel_over.bmp",
    "BMP\\LOGIN\\copy.bmp",
    "BMP\\LOGIN\\copy_down.bmp",
    "BMP\\LOGIN\\copy_over.bmp",
    "BMP\\LOGIN\\download.BMP",
    "BMP\\LOGIN\\download_down.bmp",
    "BMP\\LOGIN\\download_over.bmp",
    "BMP\\LOGIN\\enter.bmp",
    "BMP\\LOGIN\\enter_down.bmp",
    "BMP\\LOGIN\\enter_over.bmp",
    "BMP\\LOGIN\\ip.BMP",
    "BMP\\LOGIN\\name.BMP",
    "BMP\\LOGIN\\password.BMP",
    "BMP\\LOGIN\\player.bmp",
    "BMP\\LOGIN\\player_down.bmp",
    "BMP\\LOGIN\\player_over.bmp",
    "BMP\\LOGIN\\port.BMP",
    "BMP\\LOGIN\\s.bmp",
    "BMP\\LOGIN\\s_down.bmp",
    "BMP\\LOGIN\\s_over.bmp",
    "BMP\\LOGIN\\search.bmp",
    "BMP\\LOGIN\\search_down.bmp",
    "BMP\\LOGIN\\search_over.bmp",
    "BMP\\LeftSide_ess.bmp",
    "BMP\\N_QVGA_BG.bmp",
    "BMP\\N_QVGA_BG_EX.bmp",
    "BMP\\N_QVGA_UP_TURBO.bmp",
    "BMP\\N_VGA_BG.bmp",
    "BMP\\N_VGA_BG_EX.bmp",
    "BMP\\N_VGA_DOWN_TURBO.bmp",
    "BMP\\N_VGA_DOWN_TURBO_OVER.bmp",
    "BMP\\N_VGA_LEFT.bmp",
    "BMP\\N_VGA_LEFT_OVER.bmp",
    "BMP\\N_VGA_LEFT_TURBO.bmp",
    "BMP\\N_VGA_LEFT_TURBO_OVER.bmp",
    "BMP\\N_VGA_PANELDOWN.bmp",
    "BMP\\N_VGA_PANELDOWN_OVER.bmp",
    "BMP\\N_VGA_PANELUP.bmp",
    "BMP\\N_VGA_PANELUP_OVER.bmp",
    "BMP\\N_VGA_RIGHT_TURBO.bmp",
    "BMP\\N_VGA_RIGHT_TURBO_OVER.bmp",
    "BMP\\N_VGA_UP_TURBO.bmp",
    "BMP\\N_VGA_UP_TURBO_OVER.bmp",
    "BMP\\P_QVGA_BG.bmp",
    "BMP\\P_QVGA_BG_EX.bmp",
    "BMP\\P_VGA_BG.bmp",
    "BMP\\P_VGA_BG_EX.bmp",
    "BMP\\Player_Logo.bmp",
    "BMP\\Record_Button.bmp",
    "BMP\\Record_Button_n.bmp",
    "BMP\\Record_Button_over.bmp",
    "BMP\\Recording_Button.bmp",
    "BMP\\Recording_Button_over.bmp",
    "BMP\\RightSide_ess.bmp",
    "BMP\\StatusBar.bmp",
    "BMP\\TilteBar_ess.bmp",
    "BMP\\TitleLeft.bmp",
    "BMP\\TitleRight.bmp",
    "BMP\\Title_Bar_Close.bmp",
    "BMP\\Title_Bar_Close_a.bmp",
    "BMP\\Title_Bar_Fullscreen.bmp",
    "BMP\\Title_Bar_Fullscreen_a.bmp",
    "BMP\\Title_Bar_Help.bmp",
    "BMP\\Title_Bar_Help_a.bmp",
    "BMP\\Title_Bar_Hide.bmp",
    "BMP\\Title_Bar_Hide_a.bmp",
    "BMP\\VARNEL_LOGO.bmp",
    "BMP\\VGA_Status_Bar.bmp",
    "BMP\\ch1.bmp",
    "BMP\\ch1_a.bmp",
    "BMP\\link.bmp",
    "BMP\\link_n.bmp",
    "BMP\\link_off.bmp",
    "BMP\\link_off_n.bmp",
    "BMP\\link_off_over.bmp",
    "BMP\\link_over.bmp",
    "BMP\\login_background.bmp",
    "BMP\\login_ok.bmp",
    "BMP\\login_ok_over.bmp",
    "BMP\\power.bmp",
    "BMP\\power_down.bmp",
    "BMP\\power_over.bmp",
    "BMP\\snapshoot.bmp",
    "BMP\\snapshoot_down.bmp",
    "BMP\\snapshoot_n.bmp",
    "BMP\\snapshoot_over.bmp",
    "BMP\\system_setting.bmp",
    "BMP\\system_setting_n.bmp",
    "BMP\\system_setting_over.bmp",
};

// Names the windows build from a pattern: the skin prefixes, the channel numbers, the login
// frame pieces and digits.
std::vector<QString> PatternNames() {
  std::vector<QString> names;
  for (const char* prefix : {"N_VGA", "N_QVGA", "P_VGA", "P_QVGA"}) {
    const QString p = QString::fromLatin1(prefix);
    for (const char* suffix :
         {"_BG", "_BG_EX", "_PANELUP", "_PANELUP_OVER", "_PANELDOWN", "_PANELDOWN_OVER"}) {
      names.push_back("BMP\\" + p + suffix + ".bmp");
    }
    for (const char* dir : {"LEFT", "UP", "DOWN", "RIGHT"}) {
      const QString d = QString::fromLatin1(dir);
      for (const char* suffix : {"", "_OVER", "_TURBO", "_TURBO_OVER"}) {
        names.push_back("BMP\\" + p + "_" + d + suffix + ".bmp");
      }
    }
  }
  for (int ch = 1; ch <= 16; ++ch) {
    for (const char* v : {"Enable", "Enable_over", "Disable", "Disable_over"}) {
      names.push_back(QStringLiteral("BMP\\Channel_%1_%2.bmp").arg(ch).arg(v));
    }
  }
  for (const char* what : {"zoom", "focus"}) {
    for (const char* way : {"in", "out"}) {
      for (const char* form :
           {"2Col_%1_%2", "2Col_%1_%2_a", "2Col_%1_turbo_%2", "2Col_%1_turbo_%2_a"}) {
        names.push_back("BMP\\" + QString::fromLatin1(form).arg(what, way) + ".bmp");
      }
    }
  }
  for (const char* piece :
       {"spacer", "left_top", "right_top", "top_middle1", "top_middle2", "left_middle",
        "right_middle", "left_down", "right_down", "down_middle", "running", "login_point"}) {
    names.push_back("BMP\\LOGIN\\" + QString::fromLatin1(piece) + ".bmp");
  }
  for (int d = 0; d <= 9; ++d)
    names.push_back(QStringLiteral("BMP\\LOGIN\\login_%1.bmp").arg(d));
  return names;
}

// Names the code itself asks for: the string table's bitmap paths and every panel image.
std::vector<QString> CodeNames() {
  std::vector<QString> names;
  for (int id = 4200; id <= 4217; ++id) {
    if (ui::HasString(id))
      names.push_back(ui::LoadString(id));
  }
  for (int type = 0; type < panel::kDeviceTypeCount; ++type) {
    for (const auto& record : panel::PanelEntry(type).buttons) {
      for (const std::string& image : record.images) {
        if (!image.empty())
          names.push_back(QString::fromStdString(image));
      }
    }
  }
  return names;
}

class GeneratedSkin : public ::testing::Test {
 protected:
  // The generator writes beside the programs, so beside this test too.
  QString m_base = QCoreApplication::applicationDirPath();
};

TEST_F(GeneratedSkin, EveryNameTheWindowsUseIsGenerated) {
  std::vector<QString> names(std::begin(kQuotedNames), std::end(kQuotedNames));
  for (const QString& n : PatternNames())
    names.push_back(n);
  for (const QString& n : CodeNames())
    names.push_back(n);
  for (const QString& name : names) {
    EXPECT_FALSE(ui::ResolveSkinPath(name, m_base).isEmpty()) << name.toStdString();
  }
}

TEST_F(GeneratedSkin, EveryListedBitmapHasItsSize) {
  std::set<std::string> seen;
  for (const skin::SkinBitmap& bmp : skin::AllSkinBitmaps()) {
    SCOPED_TRACE(bmp.path);
    EXPECT_TRUE(seen.insert(bmp.path).second) << "listed twice";
    const QString file = ui::ResolveSkinPath(QString::fromStdString(bmp.path), m_base);
    ASSERT_FALSE(file.isEmpty());
    const QImage image(file);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(bmp.width, bmp.height));
  }
}

TEST_F(GeneratedSkin, VariantsHaveDistinctTints) {
  // A point of the face beside its glyph.
  const auto centre = [&](const char* name) {
    const QImage image(ui::ResolveSkinPath(QString::fromLatin1(name), m_base));
    return image.pixelColor(4, image.height() / 2);
  };
  const QColor normal = centre("BMP\\snapshoot.bmp");
  const QColor over = centre("BMP\\snapshoot_over.bmp");
  const QColor down = centre("BMP\\snapshoot_down.bmp");
  const QColor refused = centre("BMP\\snapshoot_n.bmp");
  EXPECT_NE(normal, over);
  EXPECT_NE(normal, down);
  EXPECT_NE(normal, refused);
  EXPECT_GT(over.lightness(), normal.lightness());
  EXPECT_LT(down.lightness(), normal.lightness());
  EXPECT_LT(refused.lightness(), normal.lightness());
}

TEST_F(GeneratedSkin, FooterGrooveRunsUnbrokenThroughThePanelButtonsPlace) {
  // The panel button is not always on the band (a guest has none; the open window moves it to
  // the tray's foot), so the band's groove must not leave a hole where the button stands.
  for (int skin = 0; skin < 4; ++skin) {
    const mainwin::SkinLayoutRecord& record = mainwin::SkinRecord(skin);
    const mainwin::TableRect up = record.PanelUp();
    const int grooveY = up.top + up.Height() / 2 - 1;
    for (const char* suffix : {"_BG", "_BG_EX"}) {
      const QString name =
          QStringLiteral("BMP\\%1%2.bmp").arg(mainwin::SkinFilePrefix(skin), suffix);
      SCOPED_TRACE(name.toStdString());
      const QImage image(ui::ResolveSkinPath(name, m_base));
      ASSERT_FALSE(image.isNull());
      const QColor dark = image.pixelColor(up.left + up.Width() / 2, grooveY);
      const QColor light = image.pixelColor(up.left + up.Width() / 2, grooveY + 1);
      const QColor ground = image.pixelColor(up.left + up.Width() / 2, grooveY + 4);
      EXPECT_LT(dark.lightness(), ground.lightness());
      EXPECT_GT(light.lightness(), ground.lightness());
      for (int x = 18; x <= image.width() - 19; ++x) {
        ASSERT_EQ(image.pixelColor(x, grooveY), dark) << "x " << x;
        ASSERT_EQ(image.pixelColor(x, grooveY + 1), light) << "x " << x;
      }
    }
  }
}

QImage Generated(const QString& base, const char* name) {
  return QImage(ui::ResolveSkinPath(QString::fromLatin1(name), base))
      .convertToFormat(QImage::Format_RGB32);
}

// The number of pixels in which two pictures of one size differ.
int DifferingPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size())
    return a.width() * a.height();
  int differing = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x)
      differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
  }
  return differing;
}

TEST_F(GeneratedSkin, TheImageAdjustKeysAreEvenFacesInsideTheFrame) {
  // Each key's face, found along its middle row, in dialog coordinates.
  struct Key {
    int id;
    const char* flat;
    const char* over;
  };
  const QColor ground = skin::palette::kGround;
  std::vector<std::pair<int, int>> faces;  // left, right
  for (const Key& key : {Key{CImageAdjustDlg::IDC_DEFAULT, "BMP\\Dialog_default.bmp",
                             "BMP\\Dialog_default_over.bmp"},
                         Key{1, "BMP\\Dialog_apply.bmp", "BMP\\Dialog_apply_over.bmp"},
                         Key{2, "BMP\\Dialog_ok.bmp", "BMP\\Dialog_ok_over.bmp"}}) {
    SCOPED_TRACE(key.flat);
    const auto* place =
        std::find_if(mainwin::kImageAdjustButtons.begin(), mainwin::kImageAdjustButtons.end(),
                     [&](const mainwin::ImageAdjustButton& b) { return b.id == key.id; });
    ASSERT_NE(place, mainwin::kImageAdjustButtons.end());
    for (const char* name : {key.flat, key.over}) {
      const QImage image = Generated(m_base, name);
      ASSERT_FALSE(image.isNull());
      int left = -1;
      int right = -1;
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, 11) != ground) {
          left = left < 0 ? x : left;
          right = x;
        }
      }
      ASSERT_GE(left, 0);
      // The face ends above the dialog's bottom frame (from y 223, 23 rows into the key).
      for (int y = 223 - place->rect.top; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
          ASSERT_EQ(image.pixelColor(x, y), ground) << x << "," << y;
      }
      if (name == key.flat)
        faces.emplace_back(place->rect.left + left, place->rect.left + right);
    }
  }
  ASSERT_EQ(faces.size(), 3u);
  // One width, one gap, centred in the 304 pixels of the dialog.
  const int width = faces[0].second - faces[0].first;
  for (const auto& [left, right] : faces)
    EXPECT_EQ(right - left, width);
  EXPECT_EQ(faces[1].first - faces[0].second, faces[2].first - faces[1].second);
  EXPECT_EQ(faces[0].first, 304 - 1 - faces[2].second);
}

TEST_F(GeneratedSkin, RecordingAndRaisedAlarmsShowAtAGlance) {
  // RECORD's face beside its glyph: the key's grey at rest, lit red while recording.
  for (const char* name : {"BMP\\Record_Button.bmp", "BMP\\Record_Button_over.bmp"}) {
    const QImage image = Generated(m_base, name);
    const QColor face = image.pixelColor(4, image.height() / 2);
    EXPECT_LT(std::abs(face.red() - face.green()), 24) << name;
  }
  for (const char* name : {"BMP\\Recording_Button.bmp", "BMP\\Recording_Button_over.bmp"}) {
    const QImage image = Generated(m_base, name);
    const QColor face = image.pixelColor(4, image.height() / 2);
    EXPECT_GT(face.red() - face.green(), 100) << name;
  }
  // A raised alarm or motion icon is a red badge; the quiet one has no red at all.
  const auto redPixels = [&](const char* name) {
    const QImage image = Generated(m_base, name);
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        red += c.red() > 160 && c.green() < 120 ? 1 : 0;
      }
    }
    return red;
  };
  for (const char* raised : {"BMP\\InfoAlarmRed.bmp", "BMP\\InfoMotionRed.bmp"})
    EXPECT_GT(redPixels(raised), 13 * 13 / 2) << raised;
  for (const char* quiet : {"BMP\\InfoAlarmBlue.bmp", "BMP\\InfoMotionBlue.bmp"})
    EXPECT_EQ(redPixels(quiet), 0) << quiet;
}

TEST_F(GeneratedSkin, KeysThatDoDifferentThingsLookDifferent) {
  // Pairs an operator must tell apart on one panel: turbo directions and the player's rewind
  // and fast forward, the two zoom pairs, focus against zoom.
  const std::pair<const char*, const char*> pairs[] = {
      {"BMP\\N_VGA_LEFT_TURBO.bmp", "BMP\\rew.bmp"},
      {"BMP\\N_VGA_RIGHT_TURBO.bmp", "BMP\\fast.bmp"},
      {"BMP\\N_VGA_LEFT_TURBO.bmp", "BMP\\N_VGA_LEFT.bmp"},
      {"BMP\\2Col_zoom_in.bmp", "BMP\\max_zoom_in.bmp"},
      {"BMP\\2Col_zoom_out.bmp", "BMP\\max_zoom_out.bmp"},
      {"BMP\\2Col_focus_in.bmp", "BMP\\2Col_focus_out.bmp"},
      {"BMP\\2Col_focus_in.bmp", "BMP\\zoom.bmp"},
      {"BMP\\2Col_focus_in.bmp", "BMP\\2Col_zoom_in.bmp"},
      {"BMP\\turbo_off.bmp", "BMP\\fast.bmp"},
  };
  for (const auto& [a, b] : pairs) {
    const QImage first = Generated(m_base, a);
    const QImage second = Generated(m_base, b);
    ASSERT_FALSE(first.isNull()) << a;
    ASSERT_FALSE(second.isNull()) << b;
    ASSERT_EQ(first.size(), second.size()) << a << " " << b;
    // More than a few pixels of anti-aliasing: a shape of its own.
    EXPECT_GT(DifferingPixels(first, second), first.width() * first.height() / 8) << a << " " << b;
  }
}

TEST_F(GeneratedSkin, TheLoginSettingsRadioButtonsAreTheStylesOwn) {
  for (const bool on : {false, true}) {
    const QImage file = Generated(
        m_base, on ? "BMP\\LOGIN\\Login_Radio_Select.bmp" : "BMP\\LOGIN\\Login_Radio_UnSelect.bmp");
    ASSERT_FALSE(file.isNull());
    QImage drawn(file.size(), QImage::Format_RGB32);
    drawn.fill(skin::palette::kGround);
    QPainter painter(&drawn);
    skin::DrawIndicator(painter, drawn.rect(), {.radio = true, .on = on});
    painter.end();
    EXPECT_EQ(DifferingPixels(file, drawn), 0) << (on ? "selected" : "not selected");
  }
}

TEST(SkinLoader, FindsNamesWithoutRegardToCase) {
  ui::testing::SolidBitmapFolder folder;
  ASSERT_TRUE(folder.Add("BMP\\LOGIN\\download.BMP", 4, 4, Qt::red));
  ASSERT_TRUE(folder.Add("BMP\\Title_Bar_Close.bmp", 3, 2, Qt::green));
  struct Case {
    const char* name;
    bool found;
  };
  for (const Case c :
       {Case{"BMP\\LOGIN\\download.BMP", true}, Case{"BMP\\LOGIN\\DOWNLOAD.bmp", true},
        Case{"bmp\\login\\Download.Bmp", true}, Case{"BMP/title_bar_close.BMP", true},
        Case{"BMP\\LOGIN\\nothing.bmp", false}, Case{"BMP\\LOGIN", false},
        Case{"BMP\\..\\BMP\\Title_Bar_Close.bmp", false}, Case{"", false}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(!ui::ResolveSkinPath(QString::fromLatin1(c.name)).isEmpty(), c.found);
  }
  const QPixmap close = ui::LoadSkinBitmap("BMP\\TITLE_BAR_CLOSE.bmp");
  ASSERT_FALSE(close.isNull());
  EXPECT_EQ(close.size(), QSize(3, 2));
  EXPECT_TRUE(ui::LoadSkinBitmap("BMP\\missing.bmp").isNull());
}

TEST(ColorRef, RedIsTheLowByte) {
  EXPECT_EQ(ui::FromColorRef(0x0000FF), QColor(255, 0, 0));
  EXPECT_EQ(ui::FromColorRef(0xE6BE00), QColor(0x00, 0xBE, 0xE6));
  EXPECT_EQ(ui::FromColorRef(0xF4D89D), QColor(0x9D, 0xD8, 0xF4));
  EXPECT_EQ(ui::FromColorRef(0xFF1400), QColor(0, 20, 255));
  EXPECT_EQ(ui::ToColorRef(QColor(0x9D, 0xD8, 0xF4)), 0xF4D89Du);
  static_assert(ui::ToColorRef(1, 2, 3) == 0x030201u);
}

}  // namespace
