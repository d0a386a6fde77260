#include "ui/login/login_layout.h"

#include "ui/common/string_table.h"

namespace ui::login {
namespace {

// A rectangle given as left, top, right, bottom.
constexpr QRect Ltrb(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace

const std::vector<FramePiece>& FramePieces() {
  static const std::vector<FramePiece> pieces = {
      {"BMP\\LOGIN\\spacer.bmp", Ltrb(0, 0, 304, 341)},
      {"BMP\\LOGIN\\left_top.bmp", Ltrb(0, 0, 21, 34)},
      {"BMP\\LOGIN\\right_top.bmp", Ltrb(278, 0, 304, 34)},
      {"BMP\\LOGIN\\top_middle1.bmp", Ltrb(21, 0, 278, 12)},
      {"BMP\\LOGIN\\top_middle2.bmp", Ltrb(21, 12, 278, 34)},
      {"BMP\\LOGIN\\left_middle.bmp", Ltrb(0, 34, 21, 319)},
      {"BMP\\LOGIN\\right_middle.bmp", Ltrb(278, 34, 304, 319)},
      {"BMP\\LOGIN\\left_down.bmp", Ltrb(0, 319, 25, 341)},
      {"BMP\\LOGIN\\right_down.bmp", Ltrb(280, 319, 304, 341)},
      {"BMP\\LOGIN\\down_middle.bmp", Ltrb(25, 319, 280, 341)},
  };
  return pieces;
}

const std::vector<const char*>& InitBitmaps() {
  static const std::vector<const char*> names = [] {
    std::vector<const char*> list;
    for (const FramePiece& piece : FramePieces())
      list.push_back(piece.bitmap);
    list.push_back(kRunningBitmap);
    for (const char* digit :
         {"BMP\\LOGIN\\login_0.bmp", "BMP\\LOGIN\\login_1.bmp", "BMP\\LOGIN\\login_2.bmp",
          "BMP\\LOGIN\\login_3.bmp", "BMP\\LOGIN\\login_4.bmp", "BMP\\LOGIN\\login_5.bmp",
          "BMP\\LOGIN\\login_6.bmp", "BMP\\LOGIN\\login_7.bmp", "BMP\\LOGIN\\login_8.bmp",
          "BMP\\LOGIN\\login_9.bmp", "BMP\\LOGIN\\login_point.bmp"})
      list.push_back(digit);
    return list;
  }();
  return names;
}

const std::vector<ToolButton>& ToolButtons() {
  static const std::vector<ToolButton> buttons = {
      {IDC_TOOL_ADDRESS, Ltrb(30, 50, 64, 84), "BMP\\LOGIN\\address.bmp",
       "BMP\\LOGIN\\address_over.bmp", "BMP\\LOGIN\\address_down.bmp"},
      {IDC_TOOL_SEARCH, Ltrb(70, 50, 104, 84), "BMP\\LOGIN\\search.bmp",
       "BMP\\LOGIN\\search_over.bmp", "BMP\\LOGIN\\search_down.bmp"},
      {IDC_TOOL_PLAYER, Ltrb(110, 50, 144, 84), "BMP\\LOGIN\\player.bmp",
       "BMP\\LOGIN\\player_over.bmp", "BMP\\LOGIN\\player_down.bmp"},
      {IDC_TOOL_UPGRADE, Ltrb(150, 50, 184, 84), "BMP\\LOGIN\\download.BMP",
       "BMP\\LOGIN\\download_over.bmp", "BMP\\LOGIN\\download_down.bmp"},
      {IDC_TOOL_COPY, Ltrb(190, 50, 224, 84), "BMP\\LOGIN\\copy.bmp", "BMP\\LOGIN\\copy_over.bmp",
       "BMP\\LOGIN\\copy_down.bmp"},
      {IDC_TOOL_LOGIN_SETTING, Ltrb(230, 50, 264, 84), "BMP\\LOGIN\\s.bmp",
       "BMP\\LOGIN\\s_over.bmp", "BMP\\LOGIN\\s_down.bmp"},
      {IDC_CONNECT, Ltrb(70, 275, 102, 307), "BMP\\LOGIN\\enter.bmp", "BMP\\LOGIN\\enter_over.bmp",
       "BMP\\LOGIN\\enter_down.bmp"},
      {IDC_CANCEL_LOGIN, Ltrb(195, 275, 227, 307), "BMP\\LOGIN\\cancel.bmp",
       "BMP\\LOGIN\\cancel_over.bmp", "BMP\\LOGIN\\cancel_down.bmp"},
  };
  return buttons;
}

const std::vector<IconButton>& IconButtons() {
  static const std::vector<IconButton> buttons = {
      {8528, Ltrb(30, 100, 58, 128), "BMP\\LOGIN\\name.BMP", IDC_LOGIN_USER,
       QRect(70, 100, 180, 30)},
      {8529, Ltrb(30, 136, 58, 164), "BMP\\LOGIN\\password.BMP", IDC_LOGIN_PASSWORD,
       QRect(70, 136, 180, 30)},
      {8530, Ltrb(30, 172, 58, 200), "BMP\\LOGIN\\ip.BMP", IDC_LOGIN_ADDRESS,
       QRect(70, 172, 180, 30)},
      // Wide enough for "65535" in the fields' font with their padding and frame.
      {8531, Ltrb(30, 208, 58, 236), "BMP\\LOGIN\\port.BMP", IDC_LOGIN_PORT,
       QRect(70, 208, 80, 30)},
  };
  return buttons;
}

std::vector<int> VersionGlyphs(std::string_view version) {
  std::vector<int> glyphs;
  for (std::size_t i = 0; i < version.size() && i < static_cast<std::size_t>(kVersionMaxChars);
       ++i) {
    const char c = version[i];
    glyphs.push_back(c >= '0' && c <= '9' ? c - '0' : kPointGlyph);
  }
  return glyphs;
}

QString GlyphBitmap(int glyph) {
  if (glyph >= 0 && glyph <= 9)
    return QStringLiteral("BMP\\LOGIN\\login_%1.bmp").arg(glyph);
  return QStringLiteral("BMP\\LOGIN\\login_point.bmp");
}

QRect AnimationStrip(int runningWidth, int runningHeight) {
  return QRect(kAnimationX, kAnimationY, kAnimationPositions * (runningWidth / 2), runningHeight);
}

std::optional<QString> ResultText(int code) {
  switch (code) {
    case 0:
      return QStringLiteral("Login procedure is failed");
    case 1:
      return QStringLiteral("Login procedure is success");
    case 2:
      return QStringLiteral("Login device is failed");
    case 3:
      return QStringLiteral("Firware is not to be suitable");
    default:
      break;
  }
  if (code >= 17 && code <= 25)
    return LoadString(8533 + (code - 17));
  return std::nullopt;
}

}  // namespace ui::login
