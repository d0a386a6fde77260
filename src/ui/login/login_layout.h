// The login window's layout as data: the frame pieces and their bitmaps, the tool and icon
// buttons, the edit fields, the version digits, the animation strip and the result texts.
// Rectangles are client pixels (left, top, right, bottom as the tables give them).
#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/window_message.h"

namespace ui::login {

inline constexpr int kLoginWidth = 304;
inline constexpr int kLoginHeight = 341;
inline constexpr int kLoginCornerEllipse = 10;

// Control ids.
inline constexpr int IDC_LOGIN_USER = 1040;
inline constexpr int IDC_LOGIN_ADDRESS = 1042;
inline constexpr int IDC_LOGIN_PASSWORD = 1043;
inline constexpr int IDC_LOGIN_PORT = 1044;
inline constexpr int IDC_LOGIN_BITRATE = 1376;
inline constexpr int IDC_TOOL_ADDRESS = 8600;
inline constexpr int IDC_TOOL_SEARCH = 8601;
inline constexpr int IDC_TOOL_PLAYER = 8602;
inline constexpr int IDC_TOOL_COPY = 8603;
inline constexpr int IDC_CONNECT = 8604;
inline constexpr int IDC_CANCEL_LOGIN = 8605;
inline constexpr int IDC_TOOL_UPGRADE = 8607;
inline constexpr int IDC_TOOL_LOGIN_SETTING = 8608;

// Messages of the window.
inline constexpr std::uint32_t WM_LOGIN_RESULT = platform::WM_USER + 15;     // 0x40F
inline constexpr std::uint32_t WM_LOGIN_ANIMATION = platform::WM_USER + 16;  // 0x410
inline constexpr std::uint32_t WM_LOGIN_ENTER = platform::WM_USER + 33;      // 0x421

// Text limits of the fields.
inline constexpr int kHostChars = 31;
inline constexpr int kUserChars = 31;
inline constexpr int kPasswordChars = 31;
inline constexpr int kPortChars = 5;

// The frame: a piece drawn stretched into its rectangle.
struct FramePiece {
  const char* bitmap;  // "BMP\\LOGIN\\..."
  QRect rect;
};
// In the order of painting: the spacer over the whole window, then the frame pieces.
const std::vector<FramePiece>& FramePieces();

// The bitmaps the window loads at initialisation, in loading order: the spacer and the frame
// pieces, the running bitmap, then the digits and the point. The first that fails to load ends
// the initialisation.
const std::vector<const char*>& InitBitmaps();
inline constexpr const char* kRunningBitmap = "BMP\\LOGIN\\running.bmp";

struct ToolButton {
  int id;
  QRect rect;
  const char* flat;
  const char* focus;
  const char* selected;
};
const std::vector<ToolButton>& ToolButtons();

struct IconButton {
  int id;
  QRect rect;
  const char* bitmap;
  int fieldId;      // the edit beside it
  QRect fieldRect;  // x, y, width, height
};
const std::vector<IconButton>& IconButtons();

// Version digits: one 10 x 20 glyph per character at x = 182 + 10 i, y = 13, at most 9.
inline constexpr int kVersionX = 182;
inline constexpr int kVersionY = 13;
inline constexpr int kVersionGlyphWidth = 10;
inline constexpr int kVersionGlyphHeight = 20;
inline constexpr int kVersionMaxChars = 9;
// The glyph of each character: 0..9 for the digits, 10 (the point bitmap) for anything else.
inline constexpr int kPointGlyph = 10;
std::vector<int> VersionGlyphs(std::string_view version);
QString GlyphBitmap(int glyph);  // "BMP\\LOGIN\\login_<d>.bmp" or "...login_point.bmp"

// The animation: positions 0..17, the running bitmap stepped by half its width from (74, 245).
inline constexpr int kAnimationX = 74;
inline constexpr int kAnimationY = 245;
inline constexpr int kAnimationPositions = 18;
inline constexpr int kAnimationPeriodMs = 350;
constexpr int NextAnimationPosition(int position) {
  return position + 1 >= kAnimationPositions ? 0 : position + 1;
}
// The strip the animation repaints, for a running bitmap of that size.
QRect AnimationStrip(int runningWidth, int runningHeight);

// Result texts by code: nullopt for the codes that change no text (4..16, above 25, below 0).
std::optional<QString> ResultText(int code);
// Where the result text is drawn (the animation's place).
inline constexpr int kResultTextX = 74;
inline constexpr int kResultTextY = 245;
inline constexpr int kResultTextRight = 278;  // the right side piece
inline constexpr int kResultTextHeight = 30;  // down to the Connect and Cancel buttons

}  // namespace ui::login
