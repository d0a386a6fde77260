// Writes the program's skin bitmaps into <folder>/BMP and <folder>/BMP/LOGIN, drawn in one
// palette: dark keys with anti-aliased glyphs on the dark window ground, an accent outline and
// glyph under the mouse, a pressed face a shade deeper, refused faces muted; window backgrounds
// laid out from the skin tables; the login window's and the image-adjust dialog's frames drawn
// whole and cut into their pieces, so the pieces join without seams.
// Usage: kavelin_bitmapgen <program folder>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>

#include "glyphs.h"
#include "key_face.h"
#include "palette.h"
#include "skin/skin_bitmap_list.h"
#include "ui/main/skin_tables.h"

namespace {

namespace pal = skin::palette;

enum class Variant { Normal, Over, Down, Disabled };

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

bool StartsWith(std::string_view s, std::string_view head) {
  return s.substr(0, head.size()) == head;
}

// File stem as spelled, without folders and extension.
std::string Stem(const std::string& path) {
  const std::string name = path.substr(path.find_last_of('\\') + 1);
  return name.substr(0, name.rfind('.'));
}

Variant VariantOf(const std::string& spelled) {
  const std::string stem = Lower(spelled);
  if (EndsWith(stem, "_n") || stem.find("disable") != std::string::npos)
    return Variant::Disabled;
  // "_down" and "_Down" mark a pressed image; "_DOWN" is the direction key.
  if (EndsWith(spelled, "_down") || EndsWith(spelled, "_Down"))
    return Variant::Down;
  if (EndsWith(stem, "_over") || EndsWith(stem, "_a"))
    return Variant::Over;
  return Variant::Normal;
}

// The stem without its variant suffix, lower case.
std::string FamilyOf(const std::string& spelled) {
  std::string stem = Lower(spelled);
  const Variant variant = VariantOf(spelled);
  for (const char* tail : {"_over", "_down", "_a", "_n"}) {
    if (std::string_view(tail) == "_down" && variant != Variant::Down)
      continue;
    if (EndsWith(stem, tail)) {
      stem.resize(stem.size() - std::string_view(tail).size());
      break;
    }
  }
  return stem;
}

QImage NewImage(int w, int h, const QColor& fill) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(fill);
  return image;
}

// ---- Faces of keys ---------------------------------------------------------------------------

enum class Shape { Key, Circle };

skin::KeyState StateOf(Variant variant) {
  switch (variant) {
    case Variant::Over:
      return skin::KeyState::Over;
    case Variant::Down:
      return skin::KeyState::Down;
    case Variant::Disabled:
      return skin::KeyState::Disabled;
    default:
      return skin::KeyState::Normal;
  }
}

// Draws a key's face (the kit every button shares) on its surround and returns the colour its
// glyph takes.
QColor DrawFace(QPainter& p, QRectF bounds, Variant variant, Shape shape, bool active = false) {
  QPainterPath face;
  if (shape == Shape::Circle) {
    face.addEllipse(bounds.adjusted(0.5, 0.5, -0.5, -0.5));
  } else {
    face = skin::KeyFacePath(bounds);
  }
  return skin::DrawKeyFace(p, face, bounds, {StateOf(variant), active, false});
}

QColor DrawFace(QPainter& p, QSizeF size, Variant variant, Shape shape, bool active = false) {
  return DrawFace(p, QRectF(QPointF(0, 0), size), variant, shape, active);
}

QRectF GlyphBox(QSizeF size, double share, bool pressed) {
  const qreal side = std::min(size.width(), size.height()) * share;
  QRectF box((size.width() - side) / 2, (size.height() - side) / 2, side, side);
  if (pressed)
    box.translate(0, 0.6);
  return box;
}

// A key of any size: its face, then its glyph (or, failing that, its text).
QImage Key(int w, int h, const QColor& surround, Variant variant, const std::string& glyph,
           const QString& text, Shape shape = Shape::Key, bool active = false,
           double glyphShare = 0.68) {
  QImage image = NewImage(w, h, surround);
  QPainter p(&image);
  const QColor ink = DrawFace(p, QSizeF(w, h), variant, shape, active);
  const bool pressed = variant == Variant::Down;
  if (glyph.empty() ||
      !skin::DrawGlyph(p, glyph, GlyphBox(QSizeF(w, h), glyphShare, pressed), ink)) {
    QRectF box(3, 2, w - 6, h - 4);
    if (pressed)
      box.translate(0, 0.6);
    skin::DrawFittedText(p, text, box, ink, std::min(12, h - 6));
  }
  return image;
}

// A mark that sits on a background of its own colour (no face).
QImage Mark(int w, int h, const QColor& surround, const std::string& glyph, const QColor& ink,
            double share = 1.0) {
  QImage image = NewImage(w, h, surround);
  QPainter p(&image);
  skin::DrawGlyph(p, glyph, GlyphBox(QSizeF(w, h), share, false), ink);
  return image;
}

// ---- The main window -------------------------------------------------------------------------

void DrawRim(QPainter& p, QSize size, qreal radius) {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(pal::kEdgeLight, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), radius, radius);
  p.setRenderHint(QPainter::Antialiasing, false);
}

void DrawWordmark(QPainter& p, QPointF at, int pixels) {
  skin::DrawLensMark(p, QRectF(at.x(), at.y(), pixels + 3, pixels + 3), pal::kInk, pal::kAccent);
  QFont font;
  font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Sans")});
  font.setBold(true);
  font.setPixelSize(pixels);
  font.setLetterSpacing(QFont::AbsoluteSpacing, pixels * 0.18);
  p.setFont(font);
  p.setPen(pal::kInk);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.drawText(QRectF(at.x() + pixels + 9, at.y() - 2, 200, pixels + 8),
             Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KAVELIN"));
}

// A groove: a dark line with a light one under it.
void Groove(QPainter& p, int x1, int x2, int y) {
  p.setPen(pal::kEdgeDark);
  p.drawLine(x1, y, x2, y);
  p.setPen(pal::kEdgeLight);
  p.drawLine(x1, y + 1, x2, y + 1);
}

QImage MainBackground(int skinIndex, bool open) {
  const mainwin::SkinLayoutRecord& r = mainwin::SkinRecord(skinIndex);
  const mainwin::TableRect closed = r.ClosedWindow();
  const mainwin::TableRect window = open ? r.OpenWindow() : closed;
  QImage image = NewImage(window.Width(), window.Height(), pal::kGround);
  QPainter p(&image);
  const int w = window.Width();
  // Title band, the wordmark at its left.
  const int titleBottom = 29;
  p.fillRect(0, 0, w, titleBottom, pal::kTitle);
  Groove(p, 0, w, titleBottom);
  DrawWordmark(p, QPointF(12, 7), 13);
  // The status strip's slot.
  const mainwin::TableRect strip = r.Strip();
  p.setPen(pal::kEdgeDark);
  p.drawLine(strip.left - 1, strip.top - 1, strip.right, strip.top - 1);
  p.drawLine(strip.left - 1, strip.top - 1, strip.left - 1, strip.bottom);
  // The picture's well, with the mark in its middle while it is empty.
  const mainwin::TableRect video = r.Video();
  p.fillRect(video.left - 2, video.top - 2, video.Width() + 4, video.Height() + 4, pal::kWell);
  const int markSide = std::min(video.Width(), video.Height()) / 4;
  skin::DrawLensMark(p,
                     QRectF(video.left + (video.Width() - markSide) / 2.0,
                            video.top + (video.Height() - markSide) / 2.0, markSide, markSide),
                     pal::kWellMark, pal::kWellMark.lighter(120), false);
  // Footer: one unbroken groove through the panel button's middle, as a rail the button sits
  // on. It is whole because the button is not always there (a guest has none, and the open
  // window moves it to the foot of the tray); where it is, its face covers the groove.
  const mainwin::TableRect up = r.PanelUp();
  const int handleY = up.top + up.Height() / 2 - 1;
  Groove(p, 18, w - 19, handleY);
  if (open) {
    // The tray of the panel keys.
    p.fillRect(0, closed.bottom, w, window.bottom - closed.bottom, pal::kTray);
    Groove(p, 0, w, closed.bottom - 1);
  }
  DrawRim(p, image.size(), 7.5);
  return image;
}

QImage StatusStrip(int w, int h) {
  QImage image = NewImage(w, h, pal::kPaper);
  QPainter p(&image);
  p.setPen(pal::kPaper.darker(135));
  p.drawLine(0, 0, w - 1, 0);
  p.setPen(pal::kPaper.darker(112));
  p.drawLine(0, h - 1, w - 1, h - 1);
  return image;
}

// ---- Frames cut into pieces ------------------------------------------------------------------

// The login window whole (304 x 341): the title band with the wordmark over the accent line, the
// dark ground of the main window below it and a footer band; the pieces are cut from it.
QImage LoginFrame() {
  QImage image = NewImage(304, 341, pal::kGround);
  QPainter p(&image);
  p.fillRect(0, 0, 304, 33, pal::kTitle);
  p.setPen(pal::kAccent);
  p.drawLine(0, 33, 303, 33);
  DrawWordmark(p, QPointF(30, 11), 13);
  p.fillRect(0, 320, 304, 21, pal::kTitle);
  Groove(p, 0, 303, 319);
  DrawRim(p, image.size(), 5);
  return image;
}

// The image-adjust dialog's frame (304 x 236): the title band over the accent line and the dark
// ground, the same as the login window's.
QImage AdjustFrame() {
  QImage image = NewImage(304, 236, pal::kGround);
  QPainter p(&image);
  p.fillRect(0, 0, 304, 31, pal::kTitle);
  p.setPen(pal::kAccent);
  p.drawLine(0, 31, 303, 31);
  DrawRim(p, image.size(), 2.5);
  return image;
}

struct Piece {
  const char* stem;
  QRect source;  // in the frame image
};

QImage Cut(const QImage& frame, QRect source) {
  return frame.copy(source);
}

// ---- Faces of single bitmaps -----------------------------------------------------------------

// The status strip's icons (13 x 16): the online users in the paper's ink; alarm and motion red
// badges while raised, the plain glyph in the accent while quiet.
QImage InfoIcon(const std::string& family, int w, int h) {
  QImage image = NewImage(w, h, pal::kPaper);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  const QRectF box(0, (h - w) / 2.0, w, w);
  if (family == "infoonlineuser") {
    skin::DrawGlyph(p, "user", box, pal::kPaperInk);
    return image;
  }
  const std::string glyph = family.find("alarm") != std::string::npos ? "bell" : "motion";
  if (family.find("red") == std::string::npos) {
    skin::DrawGlyph(p, glyph, box, pal::kAccentDeep);
    return image;
  }
  p.setPen(Qt::NoPen);
  p.setBrush(pal::kRecord);
  p.drawRoundedRect(box.adjusted(0.25, 0.25, -0.25, -0.25), 3, 3);
  skin::DrawGlyph(p, glyph, box.adjusted(1.5, 1.5, -1.5, -1.5), Qt::white);
  return image;
}

// RECORD while recording: the whole face lit red with a white record mark, so a running
// recording is seen from across the room and never taken for the idle key's red dot.
QImage RecordingKey(int w, int h, Variant variant) {
  QImage image = NewImage(w, h, pal::kGround);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  const QRectF bounds(0, 0, w, h);
  const QPainterPath face = skin::KeyFacePath(bounds);
  const bool refused = variant == Variant::Disabled;
  QColor top = refused ? pal::kGround.lighter(118) : pal::kRecord.lighter(112);
  QColor bottom = refused ? pal::kGround.lighter(112) : pal::kRecord.darker(118);
  if (variant == Variant::Over) {
    top = top.lighter(112);
    bottom = bottom.lighter(112);
  }
  QLinearGradient fill(0, 0, 0, h);
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  p.fillPath(face, fill);
  p.setPen(QPen(variant == Variant::Over ? QColor(Qt::white) : pal::kRecord.darker(170), 1));
  p.setBrush(Qt::NoBrush);
  p.drawPath(face);
  skin::DrawGlyph(p, "recording_mark", GlyphBox(QSizeF(w, h), 0.68, false),
                  refused ? pal::kInkMuted : QColor(Qt::white));
  return image;
}

// The image-adjust dialog's OK, Cancel and Default. Their rectangles differ in width (Cancel is
// half as wide as the others), so each bitmap carries a face of one common width, Cancel's, placed
// so that the three stand evenly spaced about the dialog's middle; the rest of the bitmap is the
// ground they stand on. The faces stop short of the rectangles' bottom, which overlaps the frame.
struct AdjustKey {
  const char* family;
  const char* text;
  int rectLeft;  // the button's left edge in the dialog (its layout table)
};
constexpr AdjustKey kAdjustKeys[] = {
    {"dialog_default", "Default", 34}, {"dialog_apply", "OK", 125}, {"dialog_ok", "Cancel", 216}};
constexpr int kAdjustDialogWidth = 304;
constexpr int kAdjustFaceWidth = 44;  // Cancel's rectangle, 216 to 260
constexpr int kAdjustFaceHeight = 22;
constexpr int kAdjustFaceGap =
    (kAdjustDialogWidth - 2 * (kAdjustDialogWidth - 260) - 3 * kAdjustFaceWidth) / 2;

const AdjustKey* FindAdjustKey(const std::string& family) {
  for (const AdjustKey& key : kAdjustKeys) {
    if (family == key.family)
      return &key;
  }
  return nullptr;
}

QImage AdjustKeyFace(const AdjustKey& key, Variant variant, int w, int h) {
  const int index = static_cast<int>(&key - kAdjustKeys);
  const int faceLeft = (kAdjustDialogWidth - 260) + index * (kAdjustFaceWidth + kAdjustFaceGap);
  QImage image = NewImage(w, h, pal::kGround);
  QPainter p(&image);
  const QRectF face(faceLeft - key.rectLeft, 0, kAdjustFaceWidth, kAdjustFaceHeight);
  const QColor ink = DrawFace(p, face, variant, Shape::Key);
  QRectF textBox = face.adjusted(2, 2, -2, -2);
  // One size for the three texts: the one at which the longest fits.
  int pixels = 11;
  for (const AdjustKey& each : kAdjustKeys)
    pixels = std::min(pixels, skin::FittedPixels(QString::fromLatin1(each.text), textBox, 11));
  if (variant == Variant::Down)
    textBox.translate(0, 0.6);
  skin::DrawFittedText(p, QString::fromLatin1(key.text), textBox, ink, pixels);
  return image;
}

// ---- Dispatch --------------------------------------------------------------------------------

std::string AfterPrefix(const std::string& family) {
  for (const char* prefix : {"n_vga_", "n_qvga_", "p_vga_", "p_qvga_"}) {
    if (StartsWith(family, prefix))
      return family.substr(std::string_view(prefix).size());
  }
  return family;
}

// Glyph or text of a panel key's face family (without "BMP\" and the variant).
std::pair<std::string, QString> PanelFace(const std::string& family) {
  static const std::map<std::string, std::string> glyphs = {{"pip_quad", "pip"},
                                                            {"quad_key", "grid2"},
                                                            {"cut4", "grid2"},
                                                            {"cut9", "grid3"},
                                                            {"cut16", "grid4"},
                                                            {"pip", "pip"},
                                                            {"pop", "pop"},
                                                            {"multicut", "mosaic"},
                                                            {"auto", "auto"},
                                                            {"quad", "grid2"},
                                                            {"freeze", "freeze"},
                                                            {"pip_plus", "pip_plus"},
                                                            {"quad_minus", "grid2"},
                                                            {"remote_rec", "remote_rec"},
                                                            {"reboot", "reboot"},
                                                            {"ptz_enter", "enter"},
                                                            {"stop_rec", "stop_rec"},
                                                            {"rec", "record"},
                                                            {"zoom", "zoom"},
                                                            {"lock", "lock"},
                                                            {"search", "search"},
                                                            {"enter", "enter"},
                                                            {"stop", "stop"},
                                                            {"record", "record"},
                                                            {"rew", "rew"},
                                                            {"fast", "fast"},
                                                            {"pause", "pause"},
                                                            {"slow", "slow"},
                                                            {"play", "play"},
                                                            {"menu", "menu"},
                                                            {"turbo", "turbo"},
                                                            {"ptz_control", "ptz"},
                                                            {"max_zoom_in", "zoom_max_in"},
                                                            {"max_zoom_out", "zoom_max_out"},
                                                            {"2col_zoom_in", "zoom_in"},
                                                            {"2col_zoom_out", "zoom_out"},
                                                            {"2col_focus_in", "focus_near"},
                                                            {"2col_focus_out", "focus_far"},
                                                            {"2col_zoom_turbo_in", "zoom_in"},
                                                            {"2col_zoom_turbo_out", "zoom_out"},
                                                            {"2col_focus_turbo_in", "focus_near"},
                                                            {"2col_focus_turbo_out", "focus_far"}};
  static const std::map<std::string, QString> texts = {
      {"esc", "ESC"},    {"escape", "ESC"}, {"vcr", "VCR"},         {"live", "LIVE"},
      {"select", "SEL"}, {"retr", "RETR"},  {"digital_zoom", "D.Z"}};
  if (const auto it = glyphs.find(family); it != glyphs.end())
    return {it->second, {}};
  if (const auto it = texts.find(family); it != texts.end())
    return {{}, it->second};
  if (StartsWith(family, "ch"))
    return {{}, QString::fromStdString(family.substr(2))};
  return {{}, QString::fromStdString(family).toUpper()};
}

class Generator {
 public:
  explicit Generator(QDir root) : m_root(std::move(root)) {
    m_login = LoginFrame();
    m_adjust = AdjustFrame();
  }

  QImage Draw(const skin::SkinBitmap& bmp) {
    const std::string stem = Stem(bmp.path);
    const std::string family = FamilyOf(stem);
    const Variant variant = VariantOf(stem);
    const int w = bmp.width;
    const int h = bmp.height;
    const bool login = bmp.path.find("\\LOGIN\\") != std::string::npos;
    if (login)
      return DrawLogin(stem, Lower(stem), variant, w, h);
    if (bmp.tone == "adjust_frame")
      return DrawAdjustPiece(Lower(stem), w, h);
    // Window backgrounds and status strips.
    for (int skin = 0; skin < 4; ++skin) {
      const std::string prefix = Lower(mainwin::SkinFilePrefix(skin));
      if (family == prefix + "_bg")
        return MainBackground(skin, false);
      if (family == prefix + "_bg_ex")
        return MainBackground(skin, true);
    }
    if (family == "vga_status_bar" || family == "statusbar")
      return StatusStrip(w, h);
    // Icons of the status strip, on its paper. A raised alarm or motion state is a red badge
    // with a white glyph, so it shows at a glance; the quiet state is the glyph alone.
    if (StartsWith(family, "info"))
      return InfoIcon(family, w, h);
    // Title-bar buttons: small round faces; under the mouse the accent (red for Close).
    if (StartsWith(family, "title_bar_")) {
      const std::string glyph = family == "title_bar_hide"         ? "minimise"
                                : family == "title_bar_fullscreen" ? "fullscreen"
                                : family == "title_bar_close"      ? "close"
                                                                   : "help";
      QImage image = NewImage(w, h, pal::kTitle);
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing, true);
      const bool over = variant == Variant::Over;
      const QColor fill = !over ? pal::kKey : glyph == "close" ? pal::kRecord : pal::kAccent;
      p.setPen(QPen(over ? fill.darker(130) : pal::kEdgeDark, 1));
      p.setBrush(fill);
      p.drawEllipse(QRectF(0.5, 0.5, w - 1, h - 1));
      skin::DrawGlyph(p, glyph, QRectF(2, 2, w - 4, h - 4), over ? QColor(Qt::white) : pal::kInk);
      return image;
    }
    // The panel's open and close buttons: round, with a chevron.
    if (EndsWith(family, "_panelup") || EndsWith(family, "_paneldown")) {
      const bool up = EndsWith(family, "_panelup");
      return Key(w, h, up ? pal::kGround : pal::kTray, variant, up ? "expand" : "collapse", {},
                 Shape::Circle, false, 0.9);
    }
    // Channel strip.
    if (family == "channel_left" || family == "channel_right") {
      return Mark(w, h, pal::kGround, family == "channel_left" ? "tri_left" : "tri_right",
                  variant == Variant::Down ? pal::kAccent : pal::kInk);
    }
    if (StartsWith(family, "channel_")) {
      std::string name = family.substr(8);
      name = name.substr(0, name.find('_'));
      const bool over = EndsWith(Lower(stem), "_over");
      const Variant look = variant == Variant::Disabled ? Variant::Disabled
                           : over                       ? Variant::Over
                                                        : Variant::Normal;
      return Key(w, h, pal::kGround, look, {},
                 name == "dvr" ? QStringLiteral("DVR") : QString::fromStdString(name));
    }
    // Image-adjust dialog's pieces on the ground.
    if (family == "player_logo") {
      QImage image = NewImage(w, h, pal::kTitle);
      QPainter p(&image);
      skin::DrawLensMark(p, QRectF((w - h) / 2.0, 0, h, h), pal::kInk, pal::kAccent);
      return image;
    }
    if (const AdjustKey* key = FindAdjustKey(family))
      return AdjustKeyFace(*key, variant, w, h);
    if (StartsWith(family, "dialog_")) {
      const std::string glyph = family == "dialog_brightness" ? "sun"
                                : family == "dialog_contrast" ? "contrast"
                                : family == "dialog_hue"      ? "hue"
                                                              : "droplet";
      return Mark(w, h, pal::kGround, glyph, pal::kInk);
    }
    // The login window's about box.
    if (family == "login_background")
      return LoginAbout(w, h);
    if (family == "varnel_logo")
      return Logo(w, h);
    if (family == "login_ok")
      return Key(w, h, pal::kGround, variant, {}, QStringLiteral("OK"));
    // The button bar, power, and the panel keys.
    return DrawKey(stem, family, variant, w, h);
  }

 private:
  QImage DrawKey(const std::string& stem, const std::string& family, Variant variant, int w,
                 int h) {
    static const std::map<std::string, std::string> bar = {
        {"00_audiovideo", "av"},    {"00_audio", "speaker"},     {"00_video", "video"},
        {"link", "link"},           {"link_off", "link_off"},    {"image_quality", "contrast"},
        {"snapshoot", "camera"},    {"record_button", "record"}, {"recording_button", "recording"},
        {"system_setting", "gear"}, {"power", "power"}};
    if (family == "recording_button")
      return RecordingKey(w, h, variant);
    if (const auto it = bar.find(family); it != bar.end())
      return Key(w, h, pal::kGround, variant, it->second, {});
    // Panel keys: the state pairs show "on" as an active face.
    std::string base = AfterPrefix(family);
    bool active = false;
    if (EndsWith(base, "_on")) {
      base.resize(base.size() - 3);
      active = true;
    } else if (EndsWith(base, "_off")) {
      base.resize(base.size() - 4);
    }
    // Turbo faces of the zoom and focus keys carry an accent bar under the glyph; the
    // direction keys' turbo glyph is doubled.
    const bool turboBar = base.find("_turbo_") != std::string::npos;
    auto [glyph, text] = PanelFace(base);
    if (glyph.empty() && text.isEmpty())
      text = QString::fromStdString(stem);
    if (glyph.empty() && (base == "left" || base == "right" || base == "up" || base == "down" ||
                          EndsWith(base, "_turbo")))
      glyph = base;
    QImage image = Key(w, h, pal::kTray, variant, glyph, text, Shape::Key, active, 0.74);
    if (turboBar) {
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setPen(Qt::NoPen);
      p.setBrush(variant == Variant::Disabled ? pal::kInkMuted : pal::kAccent);
      p.drawRoundedRect(QRectF(w / 2.0 - 6, h - 4.5, 12, 2), 1, 1);
    }
    return image;
  }

  QImage DrawLogin(const std::string& stem, const std::string& lower, Variant variant, int w,
                   int h) {
    static const std::map<std::string, QRect> pieces = {
        {"spacer", QRect(100, 100, 8, 8)},        {"left_top", QRect(0, 0, 21, 34)},
        {"right_top", QRect(278, 0, 26, 34)},     {"top_middle1", QRect(21, 0, 257, 12)},
        {"top_middle2", QRect(21, 12, 257, 22)},  {"left_middle", QRect(0, 100, 21, 8)},
        {"right_middle", QRect(278, 100, 26, 8)}, {"left_down", QRect(0, 319, 25, 22)},
        {"right_down", QRect(280, 319, 24, 22)},  {"down_middle", QRect(25, 319, 255, 22)}};
    if (const auto it = pieces.find(lower); it != pieces.end())
      return Cut(m_login, it->second);
    if (lower == "running") {
      QImage image = NewImage(w, h, pal::kLoginAnimation);
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setPen(Qt::NoPen);
      p.setBrush(pal::kAccentDeep);
      p.drawEllipse(QRectF(1, 1, h - 2, h - 2));
      p.setBrush(pal::kAccentDeep.lighter(140));
      p.drawEllipse(QRectF(w / 2.0 + 1, 1.5, h - 3, h - 3));
      return image;
    }
    if (StartsWith(lower, "login_") && lower != "login_radio_select" &&
        lower != "login_radio_unselect") {
      const std::string what = lower.substr(6);
      QImage image = NewImage(w, h, pal::kTitle);
      QPainter p(&image);
      QFont font;
      font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
      font.setBold(true);
      font.setPixelSize(15);
      p.setFont(font);
      p.setPen(pal::kInk);
      p.setRenderHint(QPainter::TextAntialiasing, true);
      p.drawText(QRectF(0, 0, w, h), Qt::AlignCenter,
                 what == "point" ? QStringLiteral(".") : QString::fromStdString(what));
      return image;
    }
    if (lower == "login_radio_select" || lower == "login_radio_unselect") {
      // The login settings' radio buttons, as the application style draws every other one.
      QImage image = NewImage(w, h, pal::kGround);
      QPainter p(&image);
      skin::DrawIndicator(p, QRect(0, 0, w, h), {.on = lower == "login_radio_select"});
      return image;
    }
    const std::string family = FamilyOf(stem);
    static const std::map<std::string, std::string> tools = {
        {"address", "book"},      {"search", "broadcast"}, {"player", "film"},
        {"download", "download"}, {"copy", "copy"},        {"s", "gear"}};
    if (const auto it = tools.find(family); it != tools.end())
      return Key(w, h, pal::kGround, variant, it->second, {}, Shape::Key, false, 0.62);
    if (family == "enter" || family == "cancel") {
      const bool enter = family == "enter";
      QImage image = NewImage(w, h, pal::kGround);
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing, true);
      QColor fill = enter ? pal::kAccentDeep : pal::kKey;
      if (variant == Variant::Over)
        fill = enter ? pal::kAccent.darker(115) : pal::kRecord;
      if (variant == Variant::Down)
        fill = fill.darker(130);
      p.setPen(QPen(variant == Variant::Over ? pal::kAccent : pal::kEdgeDark, 1));
      p.setBrush(fill);
      p.drawEllipse(QRectF(0.5, 0.5, w - 1, h - 1));
      skin::DrawGlyph(p, enter ? "arrow_right" : "close",
                      GlyphBox(QSizeF(w, h), 0.72, variant == Variant::Down), Qt::white);
      return image;
    }
    // The fields' icons are labels, not keys: a glyph on a tile of the fields' own tone.
    static const std::map<std::string, std::string> icons = {
        {"name", "user"}, {"password", "key"}, {"ip", "globe"}, {"port", "plug"}};
    if (const auto it = icons.find(family); it != icons.end()) {
      QImage image = NewImage(w, h, pal::kGround);
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setPen(QPen(pal::kEdgeLight, 1));
      p.setBrush(pal::kTitle);
      p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 4, 4);
      skin::DrawGlyph(p, it->second, GlyphBox(QSizeF(w, h), 0.62, false), pal::kInk);
      return image;
    }
    return Key(w, h, pal::kGround, variant, {}, QString::fromStdString(stem));
  }

  QImage DrawAdjustPiece(const std::string& lower, int w, int h) {
    static const std::map<std::string, QRect> pieces = {
        {"titleleft", QRect(0, 0, 10, 32)},        {"titleright", QRect(294, 0, 10, 32)},
        {"tiltebar_ess", QRect(100, 0, 8, 32)},    {"leftside_ess", QRect(0, 100, 10, 8)},
        {"rightside_ess", QRect(294, 100, 10, 8)}, {"bottomleft", QRect(0, 223, 10, 13)},
        {"bottomright", QRect(294, 223, 10, 13)},  {"bottom_ess", QRect(100, 223, 8, 13)}};
    if (const auto it = pieces.find(lower); it != pieces.end())
      return Cut(m_adjust, it->second);
    return NewImage(w, h, pal::kGround);
  }

  // The login about box (304 x 238): the title band with the wordmark, the ground, and a paper
  // plate under the version text, which the box writes in black.
  QImage LoginAbout(int w, int h) {
    QImage image = NewImage(w, h, pal::kGround);
    QPainter p(&image);
    p.fillRect(0, 0, w, 33, pal::kTitle);
    p.setPen(pal::kAccent);
    p.drawLine(0, 33, w, 33);
    DrawWordmark(p, QPointF(14, 10), 13);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(pal::kPaper.darker(135), 1));
    p.setBrush(pal::kPaper);
    p.drawRoundedRect(QRectF(kVersionPlate).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setRenderHint(QPainter::Antialiasing, false);
    DrawRim(p, image.size(), 5);
    return image;
  }

  // The about box's logo (71 x 74) on the ground: the lens and the name on a tile.
  QImage Logo(int w, int h) {
    QImage image = NewImage(w, h, pal::kGround);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(pal::kEdgeLight, 1));
    p.setBrush(pal::kTitle);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 10, 10);
    const qreal side = w * 0.62;
    skin::DrawLensMark(p, QRectF((w - side) / 2, 8, side, side), pal::kInk, pal::kAccent);
    skin::DrawFittedText(p, QStringLiteral("KAVELIN"), QRectF(4, h - 22, w - 8, 16), pal::kInk, 11);
    return image;
  }

  // Where the about box writes its version text (from 160, 50), with room round it.
  static constexpr QRect kVersionPlate{150, 44, 144, 26};

  QDir m_root;
  QImage m_login;
  QImage m_adjust;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <program folder>\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QDir root(QString::fromLocal8Bit(argv[1]));
  Generator generator(root);
  int failures = 0;
  for (const skin::SkinBitmap& bmp : skin::AllSkinBitmaps()) {
    QImage image = generator.Draw(bmp);
    if (image.size() != QSize(bmp.width, bmp.height))
      image = image.scaled(bmp.width, bmp.height);
    QString relative = QString::fromStdString(bmp.path);
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString file = root.filePath(relative);
    QDir().mkpath(QFileInfo(file).path());
    if (!image.convertToFormat(QImage::Format_RGB888).save(file, "BMP")) {
      std::fprintf(stderr, "kavelin_bitmapgen: cannot write %s\n", qPrintable(file));
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
