#include "ui/common/button_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr std::array<int, 4> kInsets = {0, 1, 2, 4};

int RoundHalfUp(double v) {
  return static_cast<int>(std::floor(v + 0.5));
}

struct Box {
  int left, top, right, bottom;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// The box made square on its shorter side, centred on the longer one.
Box Square(Box b) {
  const int w = b.Width();
  const int h = b.Height();
  if (w > h) {
    b.left += RoundHalfUp((w - h) / 2.0);
    b.right = b.left + h;
  } else if (h > w) {
    b.top += RoundHalfUp((h - w) / 2.0);
    b.bottom = b.top + w;
  }
  return b;
}

void Close(std::vector<CShapePoint>& outline) {
  if (!outline.empty() && !(outline.back() == outline.front()))
    outline.push_back(outline.front());
}

void Arc(std::vector<CShapePoint>& out, double cx, double cy, double radius, int from, int to,
         int n, double start) {
  for (int k = from; k <= to; ++k) {
    const double angle = 2.0 * std::numbers::pi * k / n + start;
    out.push_back(
        {RoundHalfUp(cx + radius * std::cos(angle)), RoundHalfUp(cy + radius * std::sin(angle))});
  }
}

}  // namespace

bool CButtonShape::Make(int kind, int pointCount, int clientWidth, int clientHeight) {
  if (kind < SHAPE_RECTANGLE || kind > SHAPE_ROUNDED_BAR)
    return false;
  const Box client{0, 0, clientWidth - 1, clientHeight - 1};
  for (std::size_t i = 0; i < m_outlines.size(); ++i) {
    const int d = kInsets[i];
    std::vector<CShapePoint>& out = m_outlines[i];
    out.clear();
    switch (kind) {
      case SHAPE_RECTANGLE: {
        const Box& b = client;
        out = {{b.left + d, b.top + d},
               {b.left + d, b.bottom - d},
               {b.right - d, b.bottom - d},
               {b.right - d, b.top + d}};
        break;
      }
      case SHAPE_DIAMOND: {
        const Box b = Square(client);
        const int w = b.Width();
        const int h = b.Height();
        out = {{b.left + d, b.top + h / 2},
               {b.left + w / 2, b.top + d},
               {b.right - d, b.top + h / 2},
               {b.left + w / 2, b.bottom - d}};
        break;
      }
      case SHAPE_CIRCLE: {
        const Box b = Square(client);
        const double r = b.Width() / 2.0;
        const int n = pointCount >= 2 ? pointCount : std::max(1, RoundHalfUp(r));
        Arc(out, b.left + b.Width() / 2.0, b.top + b.Height() / 2.0, r - d, 0, n - 1, n, 0.0);
        break;
      }
      case SHAPE_ROUNDED_BAR: {
        const Box& b = client;
        const bool wide = b.Width() > b.Height();
        const double r = std::min(b.Width(), b.Height()) / 2.0;
        const int n = pointCount >= 1 ? pointCount : std::max(1, RoundHalfUp(r));
        const double start = wide ? 3.0 * std::numbers::pi / 2.0 : 0.0;
        const double radius = r - d;
        if (wide) {
          Arc(out, b.right - r, b.top + r, radius, 0, n / 2, n, start);
          Arc(out, b.left + r, b.top + r, radius, n / 2, n, n, start);
        } else {
          Arc(out, b.left + r, b.bottom - r, radius, 0, n / 2, n, start);
          Arc(out, b.left + r, b.top + r, radius, n / 2, n, n, start);
        }
        break;
      }
      default:
        return false;
    }
    Close(out);
  }
  return true;
}

QPolygon CButtonShape::RegionPolygon() const {
  QPolygon polygon;
  const auto& outline = m_outlines[0];
  const std::size_t count = std::min(outline.size(), kMaxRegionPoints);
  for (std::size_t i = 0; i < count; ++i)
    polygon << QPoint(outline[i].x, outline[i].y);
  return polygon;
}

QColor CButtonShape::ShadeEdge(CShapePoint a, CShapePoint b, const QColor& c1, const QColor& c2) {
  const double edge = std::atan2(static_cast<double>(b.y - a.y), static_cast<double>(b.x - a.x));
  const double f = (std::cos(edge - 3.0 * std::numbers::pi / 4.0) + 1.0) / 2.0;
  const auto mix = [f](int x, int y) {
    return std::clamp(RoundHalfUp(x * f + y * (1.0 - f)), 0, 255);
  };
  return QColor(mix(c1.red(), c2.red()), mix(c1.green(), c2.green()), mix(c1.blue(), c2.blue()));
}
