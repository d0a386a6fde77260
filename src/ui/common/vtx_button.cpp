#include "ui/common/vtx_button.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/trace.h"
#include "ui/common/skin_loader.h"

CVtxButton::CVtxButton(QWidget* parent) : QAbstractButton(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::TabFocus);
}

CVtxButton::~CVtxButton() = default;

bool CVtxButton::LoadButtonBitmap(const QString& flat, const QString& focus,
                                  const QString& selected, std::uint16_t type) {
  m_hFlatBitmap = QPixmap();
  m_hFocusBitmap = QPixmap();
  m_hSelectedBitmap = QPixmap();
  const struct {
    const QString* name;
    QPixmap* target;
    const char* field;
  } looks[] = {{&flat, &m_hFlatBitmap, "m_hFlatBitmap"},
               {&focus, &m_hFocusBitmap, "m_hFocusBitmap"},
               {&selected, &m_hSelectedBitmap, "m_hSelectedBitmap"}};
  for (const auto& look : looks) {
    *look.target = ui::LoadSkinBitmap(*look.name);
    if (look.target->isNull()) {
      DebugPrint("CVtxButton::LoadButtonBitmap : load the %s image is failed \n", look.field);
      Redraw();
      return false;
    }
  }
  m_nType = type;
  Redraw();
  return true;
}

bool CVtxButton::LoadButtonBitmap(const QString& single, std::uint16_t type) {
  m_StateBitmaps.clear();
  m_HoverBitmaps.clear();
  m_nStateCount = 0;
  m_nState = 0;
  QPixmap bitmap = ui::LoadSkinBitmap(single);
  if (bitmap.isNull()) {
    Redraw();
    return false;
  }
  m_StateBitmaps.push_back(bitmap);
  m_HoverBitmaps.push_back(bitmap);
  m_nType = type;
  Redraw();
  return true;
}

bool CVtxButton::LoadButtonBitmap(int count, std::span<const QString> names, std::uint16_t type) {
  m_StateBitmaps.clear();
  m_HoverBitmaps.clear();
  m_nState = 0;
  m_nStateCount = 0;
  if (count < 0 || names.size() < static_cast<std::size_t>(count) * 2) {
    Redraw();
    return false;
  }
  std::vector<QPixmap> states;
  std::vector<QPixmap> hovers;
  for (int i = 0; i < count; ++i) {
    QPixmap state = ui::LoadSkinBitmap(names[static_cast<std::size_t>(2 * i)]);
    QPixmap hover =
        state.isNull() ? QPixmap() : ui::LoadSkinBitmap(names[static_cast<std::size_t>(2 * i + 1)]);
    if (state.isNull() || hover.isNull()) {
      // The states loaded so far stay, and the count covers only them, so that no later
      // operation reaches a state without its bitmaps.
      m_StateBitmaps = std::move(states);
      m_HoverBitmaps = std::move(hovers);
      m_nStateCount = static_cast<std::uint16_t>(m_StateBitmaps.size());
      Redraw();
      return false;
    }
    states.push_back(std::move(state));
    hovers.push_back(std::move(hover));
  }
  m_StateBitmaps = std::move(states);
  m_HoverBitmaps = std::move(hovers);
  m_nStateCount = static_cast<std::uint16_t>(count);
  m_nType = type;
  Redraw();
  return true;
}

int CVtxButton::SetButtonState(int state) {
  if (state == -1) {
    if (m_nStateCount == 0)
      return -1;
    return m_nState == 0 ? m_nStateCount - 1 : m_nState - 1;
  }
  if (state >= 0 && state < m_nStateCount)
    m_nState = static_cast<std::uint16_t>(state);
  if (m_StateBitmaps.empty())
    return -1;
  Show(Look::State, m_nState);
  return 1;
}

int CVtxButton::ShowNextFrame() {
  if (m_nStateCount == 0)
    return -1;
  m_nState = static_cast<std::uint16_t>(m_nState + 1 >= m_nStateCount ? 0 : m_nState + 1);
  Show(Look::State, m_nState);
  return 1;
}

int CVtxButton::ShowPreviousFrame() {
  if (m_nStateCount == 0)
    return -1;
  m_nState = static_cast<std::uint16_t>(m_nState == 0 ? m_nStateCount - 1 : m_nState - 1);
  Show(Look::State, m_nState);
  return 1;
}

void CVtxButton::SetLook(int look) {
  switch (look) {
    case 1:
      Show(Look::Flat);
      break;
    case 2:
      Show(Look::Focus);
      break;
    case 3:
      Show(Look::Selected);
      break;
    default:
      return;
  }
  m_nState = static_cast<std::uint16_t>(look);
}

bool CVtxButton::SetShape(int kind, int pointCount) {
  if (!m_shape.Make(kind, pointCount, width(), height()))
    return false;
  setMask(QRegion(m_shape.RegionPolygon(), Qt::OddEvenFill));
  update();
  return true;
}

bool CVtxButton::SetShapeFrom(const CVtxButton& other) {
  m_shape.CopyFrom(other.m_shape);
  if (m_shape.IsEmpty())
    return false;
  setMask(QRegion(m_shape.RegionPolygon(), Qt::OddEvenFill));
  update();
  return true;
}

QPixmap CVtxButton::ShownBitmap() const {
  const auto at = [](const std::vector<QPixmap>& list, int i) {
    return (i >= 0 && static_cast<std::size_t>(i) < list.size()) ? list[static_cast<std::size_t>(i)]
                                                                 : QPixmap();
  };
  switch (m_shownLook) {
    case Look::Flat:
      return m_hFlatBitmap;
    case Look::Focus:
      return m_hFocusBitmap;
    case Look::Selected:
      return m_hSelectedBitmap;
    case Look::State:
      return at(m_StateBitmaps, m_shownIndex);
    case Look::Hover:
      return at(m_HoverBitmaps, m_shownIndex);
    case Look::None:
      break;
  }
  return {};
}

QSize CVtxButton::sizeHint() const {
  const QPixmap shown = ShownBitmap();
  return shown.isNull() ? QSize(16, 16) : shown.size() / shown.devicePixelRatio();
}

void CVtxButton::paintEvent(QPaintEvent*) {
  // The bitmap at its own size in the top left corner, clipped to the button; the rest of the
  // button is left as the parent painted it.
  const QPixmap shown = ShownBitmap();
  if (shown.isNull())
    return;
  QPainter painter(this);
  painter.drawPixmap(0, 0, shown);
}

bool CVtxButton::HasHoverBehaviour() const {
  return m_nType == VTX_HOVER || m_nType == VTX_FRAMES || m_nType == VTX_PRESS_HOVER ||
         m_nType == VTX_STATES_HOVER;
}

bool CVtxButton::UsesStateBitmaps() const {
  return m_nType == VTX_FRAMES || m_nType == VTX_STATES_HOVER;
}

void CVtxButton::OnMouseOver(const QPoint& pos) {
  if (m_bHover || !HasHoverBehaviour() || !rect().contains(pos))
    return;
  m_bHover = true;
  if (UsesStateBitmaps()) {
    Show(Look::Hover, m_nState);
  } else {
    Show(Look::Focus);
  }
}

void CVtxButton::mouseMoveEvent(QMouseEvent* event) {
  QAbstractButton::mouseMoveEvent(event);
  OnMouseOver(event->position().toPoint());
}

void CVtxButton::enterEvent(QEnterEvent* event) {
  QAbstractButton::enterEvent(event);
  OnMouseOver(event->position().toPoint());
}

void CVtxButton::leaveEvent(QEvent* event) {
  QAbstractButton::leaveEvent(event);
  if (!m_bHover || !HasHoverBehaviour())
    return;
  m_bHover = false;
  if (UsesStateBitmaps()) {
    Show(Look::State, m_nState);
  } else {
    Show(Look::Flat);
  }
}

void CVtxButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    if ((m_nType == VTX_PRESS || m_nType == VTX_PRESS_HOVER) && m_bReleased) {
      m_bReleased = false;
      Show(Look::Selected);
    } else if (m_nType == VTX_CYCLE_LOOKS) {
      if (m_nState == 0) {
        Show(Look::Focus);
        m_nState = 1;
      } else if (m_nState == 1) {
        Show(Look::Selected);
        m_nState = 2;
      } else {
        Show(Look::Flat);
        m_nState = 0;
      }
    } else if (m_nType == VTX_FRAMES) {
      ShowNextFrame();
    }
  }
  QAbstractButton::mousePressEvent(event);
}

void CVtxButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && (m_nType == VTX_PRESS || m_nType == VTX_PRESS_HOVER) &&
      !m_bReleased) {
    m_bReleased = true;
    Show(Look::Flat);
  }
  QAbstractButton::mouseReleaseEvent(event);
}

void CVtxButton::changeEvent(QEvent* event) {
  QAbstractButton::changeEvent(event);
  if (event->type() == QEvent::EnabledChange && !isEnabled() && m_bHover) {
    // A disabled button gets no leave notice; drop the hover so it is armed again later.
    m_bHover = false;
    Redraw();
  }
}

void CVtxButton::Show(Look look, int index) {
  m_shownLook = look;
  m_shownIndex = index;
  update();
}

void CVtxButton::Redraw() {
  switch (m_nType) {
    case VTX_THREE_LOOKS:
      Show(m_nState == 1   ? Look::Flat
           : m_nState == 2 ? Look::Focus
           : m_nState == 3 ? Look::Selected
                           : Look::None);
      return;
    case VTX_PRESS:
    case VTX_PRESS_HOVER:
      Show(m_bReleased ? Look::Flat : Look::Selected);
      return;
    case VTX_CYCLE_LOOKS:
      Show(m_nState == 0 ? Look::Flat : m_nState == 1 ? Look::Focus : Look::Selected);
      return;
    case VTX_FRAMES:
    case VTX_STATES_HOVER:
    case VTX_STATES:
    case VTX_SINGLE:
      Show(Look::State, m_nState);
      return;
    default:
      Show(m_bReleased ? Look::Flat : Look::Selected);
      return;
  }
}
