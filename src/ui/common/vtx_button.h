// CVtxButton: the owner-drawn bitmap button of every skinned window. It has no text or frame:
// it always shows one bitmap, chosen by its type, its current state and the mouse. The host
// loads the bitmaps and picks the type; the button then follows the mouse by itself.
#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>
#include <vector>

#include "ui/common/button_shape.h"

// Button types (the host gives exactly one).
inline constexpr std::uint16_t VTX_PLAIN = 0x0000;
inline constexpr std::uint16_t VTX_HOVER = 0x0001;
inline constexpr std::uint16_t VTX_PRESS = 0x0002;
inline constexpr std::uint16_t VTX_THREE_LOOKS = 0x0004;
inline constexpr std::uint16_t VTX_CYCLE_LOOKS = 0x0008;
inline constexpr std::uint16_t VTX_FRAMES = 0x0010;
inline constexpr std::uint16_t VTX_PRESS_HOVER = 0x0020;
inline constexpr std::uint16_t VTX_STATES_HOVER = 0x0040;
inline constexpr std::uint16_t VTX_SINGLE = 0x0080;
inline constexpr std::uint16_t VTX_STATES = 0x0100;

class CVtxButton : public QAbstractButton {
  Q_OBJECT

 public:
  // What the button shows right now; for tests and the gallery.
  enum class Look { None, Flat, Focus, Selected, State, Hover };

  explicit CVtxButton(QWidget* parent = nullptr);
  ~CVtxButton() override;

  // Three looks (flat, focus, selected). The first file that fails stops the load: FALSE, the
  // type stays, the looks loaded so far stay.
  bool LoadButtonBitmap(const QString& flat, const QString& focus, const QString& selected,
                        std::uint16_t type);
  // One bitmap as state bitmap 0 (state count 0).
  bool LoadButtonBitmap(const QString& single, std::uint16_t type);
  // count states; names[2i] is state i's bitmap and names[2i+1] its hover bitmap.
  bool LoadButtonBitmap(int count, std::span<const QString> names, std::uint16_t type);
  bool LoadButtonBitmap(int count, const QStringList& names, std::uint16_t type) {
    return LoadButtonBitmap(count, std::span<const QString>(names.constData(), names.size()), type);
  }

  // -1: returns the state before the current one (wrapping) and changes nothing; 0..count-1:
  // makes it current; then paints the current state: 1, or -1 without state bitmaps.
  int SetButtonState(int state);
  // Step to the next or previous state and paint it: 1; -1 and nothing done on a button that
  // has no states.
  int ShowNextFrame();
  int ShowPreviousFrame();
  // Look 1, 2 or 3: paint flat, focus or selected and make it the current state.
  void SetLook(int look);
  // Gives the button a polygon region of a shape kind (see CButtonShape); false for an
  // unknown kind.
  bool SetShape(int kind, int pointCount = 0);
  bool SetShapeFrom(const CVtxButton& other);
  const CButtonShape& Shape() const { return m_shape; }

  std::uint16_t ButtonType() const { return m_nType; }
  int CurrentState() const { return m_nState; }
  int StateCount() const { return m_nStateCount; }
  bool IsReleased() const { return m_bReleased; }
  bool IsHoverArmed() const { return m_bHover; }
  Look ShownLook() const { return m_shownLook; }
  int ShownIndex() const { return m_shownIndex; }
  // The bitmap painted now (null when nothing is painted).
  QPixmap ShownBitmap() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  bool HasHoverBehaviour() const;
  bool UsesStateBitmaps() const;
  void OnMouseOver(const QPoint& pos);
  void Show(Look look, int index = 0);
  // The choice a full redraw makes, by type.
  void Redraw();

  CButtonShape m_shape;
  QPixmap m_hFlatBitmap;
  QPixmap m_hFocusBitmap;
  QPixmap m_hSelectedBitmap;
  bool m_bHover = false;
  std::uint16_t m_nType = VTX_PLAIN;
  bool m_bReleased = true;
  std::uint16_t m_nState = 0;
  std::uint16_t m_nStateCount = 0;
  std::vector<QPixmap> m_StateBitmaps;
  std::vector<QPixmap> m_HoverBitmaps;
  Look m_shownLook = Look::None;
  int m_shownIndex = 0;
};
