// CButtonShape: four point outlines of a button (inset by 0, 1, 2 and 4 pixels) for a
// non-rectangular window region: rectangle, diamond, circle or rounded bar. The region is the
// polygon of the first outline. No window of the program sets a shape; the buttons keep their
// rectangles.
#pragma once

#include <QColor>
#include <QPolygon>
#include <QRect>
#include <array>
#include <cstdint>
#include <vector>

struct CShapePoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const CShapePoint&) const = default;
};

inline constexpr int SHAPE_RECTANGLE = 0;
inline constexpr int SHAPE_DIAMOND = 1;
inline constexpr int SHAPE_CIRCLE = 2;
inline constexpr int SHAPE_ROUNDED_BAR = 3;

// Most points the region polygon takes.
inline constexpr std::size_t kMaxRegionPoints = 1024;

class CButtonShape {
 public:
  // Builds the four outlines of kind for a client rectangle (its right and bottom edges are the
  // last pixel column and row plus one, as a window reports them). pointCount is the caller's
  // point count for the circle and the bar (0: from the radius). False for an unknown kind.
  bool Make(int kind, int pointCount, int clientWidth, int clientHeight);
  void CopyFrom(const CButtonShape& other) { m_outlines = other.m_outlines; }
  bool IsEmpty() const { return m_outlines[0].empty(); }
  const std::vector<CShapePoint>& Outline(int index) const {
    return m_outlines[static_cast<std::size_t>(index)];
  }
  // The polygon of outline 0 (at most kMaxRegionPoints points).
  QPolygon RegionPolygon() const;

  // The colour of an edge from a to b lit from 3pi/4: c1 * f + c2 * (1 - f) per channel, with
  // f = (cos(edge angle - light) + 1) / 2.
  static QColor ShadeEdge(CShapePoint a, CShapePoint b, const QColor& c1, const QColor& c2);

 private:
  std::array<std::vector<CShapePoint>, 4> m_outlines;
};
