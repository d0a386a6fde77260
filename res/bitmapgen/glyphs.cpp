#include "glyphs.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>
#include <functional>
#include <map>
#include <string>

#include "palette.h"

namespace skin {
namespace {

using Draw = std::function<void(QPainter&, const QColor&)>;

// Glyphs are drawn in a unit square: (0, 0) top left, (1, 1) bottom right.
void Fill(QPainter& p, const QPainterPath& path, const QColor& c) {
  p.fillPath(path, c);
}

void Stroke(QPainter& p, const QPainterPath& path, const QColor& c, qreal width) {
  QPen pen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.strokePath(path, pen);
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QList<QPointF>(points)));
  path.closeSubpath();
  return path;
}

QPainterPath Line(QPointF a, QPointF b) {
  QPainterPath path(a);
  path.lineTo(b);
  return path;
}

QPainterPath Circle(QPointF c, qreal r) {
  QPainterPath path;
  path.addEllipse(c, r, r);
  return path;
}

QPainterPath Rounded(QRectF r, qreal radius) {
  QPainterPath path;
  path.addRoundedRect(r, radius, radius);
  return path;
}

QPainterPath Arc(QPointF c, qreal r, qreal startDeg, qreal spanDeg) {
  QPainterPath path;
  const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
  path.arcMoveTo(box, startDeg);
  path.arcTo(box, startDeg, spanDeg);
  return path;
}

QPainterPath Triangle(char direction, QRectF r) {
  switch (direction) {
    case 'l':
      return Polygon({{r.right(), r.top()}, {r.right(), r.bottom()}, {r.left(), r.center().y()}});
    case 'r':
      return Polygon({{r.left(), r.top()}, {r.left(), r.bottom()}, {r.right(), r.center().y()}});
    case 'u':
      return Polygon({{r.left(), r.bottom()}, {r.right(), r.bottom()}, {r.center().x(), r.top()}});
    default:
      return Polygon({{r.left(), r.top()}, {r.right(), r.top()}, {r.center().x(), r.bottom()}});
  }
}

void Arrow(QPainter& p, const QColor& c, char direction) {
  const QRectF r = direction == 'l' || direction == 'r' ? QRectF(0.26, 0.16, 0.48, 0.68)
                                                        : QRectF(0.16, 0.26, 0.68, 0.48);
  Fill(p, Triangle(direction, r), c);
}

void DoubleArrow(QPainter& p, const QColor& c, char direction) {
  if (direction == 'l' || direction == 'r') {
    Fill(p, Triangle(direction, QRectF(0.1, 0.2, 0.4, 0.6)), c);
    Fill(p, Triangle(direction, QRectF(0.5, 0.2, 0.4, 0.6)), c);
  } else {
    Fill(p, Triangle(direction, QRectF(0.2, 0.1, 0.6, 0.4)), c);
    Fill(p, Triangle(direction, QRectF(0.2, 0.5, 0.6, 0.4)), c);
  }
}

// An arrow pointing in direction with two speed lines trailing behind it.
void SpeedArrow(QPainter& p, const QColor& c, char direction) {
  p.save();
  // Drawn pointing right, then turned.
  p.translate(0.5, 0.5);
  p.rotate(direction == 'l' ? 180 : direction == 'u' ? -90 : direction == 'd' ? 90 : 0);
  p.translate(-0.5, -0.5);
  Fill(p, Triangle('r', QRectF(0.48, 0.08, 0.46, 0.84)), c);
  Stroke(p, Line({0.08, 0.32}, {0.38, 0.32}), c, 0.13);
  Stroke(p, Line({0.2, 0.68}, {0.38, 0.68}), c, 0.13);
  p.restore();
}

// A magnifier with a plus or a minus in its lens; run up against a stop (a bar beyond the
// handle) for the keys that zoom all the way.
void ZoomGlass(QPainter& p, const QColor& c, bool plus, bool toTheStop) {
  const qreal shift = toTheStop ? -0.08 : 0.0;
  const QPointF lens(0.42 + shift, 0.42);
  Stroke(p, Circle(lens, 0.25), c, 0.1);
  Stroke(p, Line({0.6 + shift, 0.6}, {0.8 + shift, 0.8}), c, 0.14);
  Stroke(p, Line({lens.x() - 0.12, lens.y()}, {lens.x() + 0.12, lens.y()}), c, 0.09);
  if (plus)
    Stroke(p, Line({lens.x(), lens.y() - 0.12}, {lens.x(), lens.y() + 0.12}), c, 0.09);
  if (toTheStop)
    Fill(p, Rounded(QRectF(0.84, 0.08, 0.1, 0.84), 0.03), c);
}

void Magnifier(QPainter& p, const QColor& c) {
  Stroke(p, Circle({0.42, 0.42}, 0.24), c, 0.1);
  Stroke(p, Line({0.6, 0.6}, {0.84, 0.84}), c, 0.14);
}

void PlusMinus(QPainter& p, const QColor& c, QPointF at, qreal half, bool plus) {
  Stroke(p, Line({at.x() - half, at.y()}, {at.x() + half, at.y()}), c, 0.08);
  if (plus)
    Stroke(p, Line({at.x(), at.y() - half}, {at.x(), at.y() + half}), c, 0.08);
}

void Brackets(QPainter& p, const QColor& c) {
  const qreal a = 0.14;
  const qreal b = 0.86;
  const qreal l = 0.22;
  QPainterPath path;
  for (const auto& [x, y, dx, dy] : {std::tuple{a, a, 1, 1}, std::tuple{b, a, -1, 1},
                                     std::tuple{a, b, 1, -1}, std::tuple{b, b, -1, -1}}) {
    path.moveTo(x + dx * l, y);
    path.lineTo(x, y);
    path.lineTo(x, y + dy * l);
  }
  Stroke(p, path, c, 0.09);
}

void Grid(QPainter& p, const QColor& c, int n) {
  const qreal from = 0.14;
  const qreal size = 0.72;
  const qreal gap = n == 2 ? 0.08 : n == 3 ? 0.06 : 0.05;
  const qreal cell = (size - gap * (n - 1)) / n;
  for (int row = 0; row < n; ++row) {
    for (int col = 0; col < n; ++col) {
      Fill(p,
           Rounded(QRectF(from + col * (cell + gap), from + row * (cell + gap), cell, cell), 0.02),
           c);
    }
  }
}

void Pip(QPainter& p, const QColor& c) {
  Stroke(p, Rounded(QRectF(0.1, 0.2, 0.8, 0.6), 0.06), c, 0.08);
  Fill(p, Rounded(QRectF(0.5, 0.46, 0.3, 0.24), 0.03), c);
}

void VideoCamera(QPainter& p, const QColor& c, QRectF r) {
  const auto at = [&](qreal x, qreal y) {
    return QPointF(r.x() + x * r.width(), r.y() + y * r.height());
  };
  QPainterPath body;
  body.addRoundedRect(QRectF(at(0.08, 0.28), at(0.66, 0.74)), 0.06 * r.width(), 0.06 * r.width());
  Fill(p, body, c);
  Fill(p, Polygon({at(0.7, 0.5), at(0.94, 0.3), at(0.94, 0.72)}), c);
}

void Speaker(QPainter& p, const QColor& c, QRectF r) {
  const auto at = [&](qreal x, qreal y) {
    return QPointF(r.x() + x * r.width(), r.y() + y * r.height());
  };
  Fill(p,
       Polygon({at(0.12, 0.38), at(0.3, 0.38), at(0.52, 0.18), at(0.52, 0.82), at(0.3, 0.62),
                at(0.12, 0.62)}),
       c);
  Stroke(p, Arc(at(0.52, 0.5), 0.16 * r.width(), -45, 90), c, 0.08 * r.width());
  Stroke(p, Arc(at(0.52, 0.5), 0.32 * r.width(), -45, 90), c, 0.08 * r.width());
}

void Gear(QPainter& p, const QColor& c) {
  QPainterPath gear;
  const QPointF centre(0.5, 0.5);
  const int teeth = 8;
  QPolygonF outline;
  for (int i = 0; i < teeth * 4; ++i) {
    const qreal angle = (i / (teeth * 4.0)) * 2 * M_PI;
    const bool tooth = (i % 4) == 1 || (i % 4) == 2;
    const qreal r = tooth ? 0.42 : 0.32;
    outline << QPointF(centre.x() + r * std::cos(angle - M_PI / (teeth * 4.0)),
                       centre.y() + r * std::sin(angle - M_PI / (teeth * 4.0)));
  }
  gear.addPolygon(outline);
  gear.closeSubpath();
  gear.addEllipse(centre, 0.14, 0.14);
  gear.setFillRule(Qt::OddEvenFill);
  Fill(p, gear, c);
}

void Chain(QPainter& p, const QColor& c, bool broken) {
  if (!broken) {
    p.save();
    p.translate(0.5, 0.5);
    p.rotate(-45);
    Stroke(p, Rounded(QRectF(-0.4, -0.13, 0.46, 0.26), 0.13), c, 0.09);
    Stroke(p, Rounded(QRectF(-0.06, -0.13, 0.46, 0.26), 0.13), c, 0.09);
    p.restore();
    return;
  }
  p.save();
  p.translate(0.5, 0.5);
  p.rotate(-45);
  Stroke(p, Rounded(QRectF(-0.46, -0.13, 0.36, 0.26), 0.13), c, 0.09);
  Stroke(p, Rounded(QRectF(0.1, -0.13, 0.36, 0.26), 0.13), c, 0.09);
  p.restore();
  Stroke(p, Line({0.3, 0.22}, {0.36, 0.32}), c, 0.06);
  Stroke(p, Line({0.7, 0.78}, {0.64, 0.68}), c, 0.06);
}

void Bell(QPainter& p, const QColor& c) {
  QPainterPath bell;
  bell.moveTo(0.18, 0.72);
  bell.cubicTo(0.26, 0.62, 0.26, 0.5, 0.28, 0.4);
  bell.cubicTo(0.3, 0.22, 0.42, 0.16, 0.5, 0.16);
  bell.cubicTo(0.58, 0.16, 0.7, 0.22, 0.72, 0.4);
  bell.cubicTo(0.74, 0.5, 0.74, 0.62, 0.82, 0.72);
  bell.closeSubpath();
  Fill(p, bell, c);
  Fill(p, Circle({0.5, 0.82}, 0.08), c);
}

void Person(QPainter& p, const QColor& c) {
  Fill(p, Circle({0.5, 0.32}, 0.17), c);
  QPainterPath shoulders;
  shoulders.moveTo(0.16, 0.9);
  shoulders.cubicTo(0.16, 0.62, 0.3, 0.54, 0.5, 0.54);
  shoulders.cubicTo(0.7, 0.54, 0.84, 0.62, 0.84, 0.9);
  shoulders.closeSubpath();
  Fill(p, shoulders, c);
}

std::map<std::string, Draw, std::less<>> MakeGlyphs() {
  std::map<std::string, Draw, std::less<>> g;
  g["play"] = [](QPainter& p, const QColor& c) {
    Fill(p, Triangle('r', QRectF(0.3, 0.18, 0.5, 0.64)), c);
  };
  g["pause"] = [](QPainter& p, const QColor& c) {
    Fill(p, Rounded(QRectF(0.24, 0.2, 0.17, 0.6), 0.02), c);
    Fill(p, Rounded(QRectF(0.59, 0.2, 0.17, 0.6), 0.02), c);
  };
  g["stop"] = [](QPainter& p, const QColor& c) {
    Fill(p, Rounded(QRectF(0.24, 0.24, 0.52, 0.52), 0.04), c);
  };
  g["record"] = [](QPainter& p, const QColor& c) {
    Fill(p, Circle({0.5, 0.5}, 0.27), c == palette::kInkMuted ? c : palette::kRecord);
  };
  g["recording"] = [](QPainter& p, const QColor& c) {
    const QColor red = c == palette::kInkMuted ? c : palette::kRecord;
    Fill(p, Circle({0.5, 0.5}, 0.22), red);
    Stroke(p, Circle({0.5, 0.5}, 0.38), red, 0.08);
  };
  // The recording mark in the ink given, for the face that is lit red itself.
  g["recording_mark"] = [](QPainter& p, const QColor& c) {
    Fill(p, Circle({0.5, 0.5}, 0.2), c);
    Stroke(p, Circle({0.5, 0.5}, 0.37), c, 0.09);
  };
  g["rew"] = [](QPainter& p, const QColor& c) { DoubleArrow(p, c, 'l'); };
  g["fast"] = [](QPainter& p, const QColor& c) { DoubleArrow(p, c, 'r'); };
  g["slow"] = [](QPainter& p, const QColor& c) {
    Fill(p, Rounded(QRectF(0.2, 0.22, 0.12, 0.56), 0.02), c);
    Fill(p, Triangle('r', QRectF(0.4, 0.22, 0.42, 0.56)), c);
  };
  g["left"] = [](QPainter& p, const QColor& c) { Arrow(p, c, 'l'); };
  g["right"] = [](QPainter& p, const QColor& c) { Arrow(p, c, 'r'); };
  g["up"] = [](QPainter& p, const QColor& c) { Arrow(p, c, 'u'); };
  g["down"] = [](QPainter& p, const QColor& c) { Arrow(p, c, 'd'); };
  // The direction keys in turbo: the arrow with speed lines behind it, never the doubled
  // triangles of rewind and fast forward.
  g["left_turbo"] = [](QPainter& p, const QColor& c) { SpeedArrow(p, c, 'l'); };
  g["right_turbo"] = [](QPainter& p, const QColor& c) { SpeedArrow(p, c, 'r'); };
  g["up_turbo"] = [](QPainter& p, const QColor& c) { SpeedArrow(p, c, 'u'); };
  g["down_turbo"] = [](QPainter& p, const QColor& c) { SpeedArrow(p, c, 'd'); };
  g["menu"] = [](QPainter& p, const QColor& c) {
    for (qreal y : {0.28, 0.5, 0.72})
      Stroke(p, Line({0.22, y}, {0.78, y}), c, 0.1);
  };
  g["enter"] = [](QPainter& p, const QColor& c) {
    QPainterPath path;
    path.moveTo(0.76, 0.2);
    path.lineTo(0.76, 0.58);
    path.lineTo(0.3, 0.58);
    Stroke(p, path, c, 0.1);
    Fill(p, Triangle('l', QRectF(0.14, 0.42, 0.2, 0.32)), c);
  };
  g["lock"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Arc({0.5, 0.42}, 0.17, 0, 180), c, 0.09);
    Stroke(p, Line({0.33, 0.42}, {0.33, 0.48}), c, 0.09);
    Stroke(p, Line({0.67, 0.42}, {0.67, 0.48}), c, 0.09);
    QPainterPath body = Rounded(QRectF(0.22, 0.46, 0.56, 0.42), 0.06);
    body.addEllipse(QPointF(0.5, 0.64), 0.06, 0.06);
    body.setFillRule(Qt::OddEvenFill);
    Fill(p, body, c);
  };
  g["search"] = [](QPainter& p, const QColor& c) { Magnifier(p, c); };
  // ZOOM Tele and Wide: the magnifier with plus and minus. Max zoom in and out: the same
  // magnifier run up against a stop, all the way. FOCUS Near and Far: the close-up flower and the
  // distant mountains of a camera's focus scale. ZOOM of a recorder: the frame it enlarges.
  g["zoom_in"] = [](QPainter& p, const QColor& c) { ZoomGlass(p, c, true, false); };
  g["zoom_out"] = [](QPainter& p, const QColor& c) { ZoomGlass(p, c, false, false); };
  g["zoom_max_in"] = [](QPainter& p, const QColor& c) { ZoomGlass(p, c, true, true); };
  g["zoom_max_out"] = [](QPainter& p, const QColor& c) { ZoomGlass(p, c, false, true); };
  g["zoom"] = [](QPainter& p, const QColor& c) {
    Brackets(p, c);
    PlusMinus(p, c, {0.5, 0.5}, 0.14, true);
  };
  g["focus_near"] = [](QPainter& p, const QColor& c) {
    // A tulip: the cup of three petals on its stem, a leaf at the side.
    QPainterPath cup;
    cup.moveTo(0.22, 0.08);
    cup.lineTo(0.37, 0.22);
    cup.lineTo(0.5, 0.04);
    cup.lineTo(0.63, 0.22);
    cup.lineTo(0.78, 0.08);
    cup.cubicTo(0.82, 0.42, 0.7, 0.56, 0.5, 0.56);
    cup.cubicTo(0.3, 0.56, 0.18, 0.42, 0.22, 0.08);
    cup.closeSubpath();
    Fill(p, cup, c);
    Stroke(p, Line({0.5, 0.56}, {0.5, 0.94}), c, 0.11);
    QPainterPath leaf;
    leaf.moveTo(0.5, 0.92);
    leaf.cubicTo(0.32, 0.9, 0.18, 0.78, 0.16, 0.62);
    leaf.cubicTo(0.34, 0.64, 0.46, 0.74, 0.5, 0.92);
    Fill(p, leaf, c);
  };
  g["focus_far"] = [](QPainter& p, const QColor& c) {
    // Two peaks, the far one behind the near one.
    Fill(p, Polygon({{0.06, 0.8}, {0.38, 0.24}, {0.62, 0.64}, {0.5, 0.8}}), c);
    Fill(p, Polygon({{0.4, 0.8}, {0.66, 0.4}, {0.94, 0.8}}), c);
  };
  g["grid2"] = [](QPainter& p, const QColor& c) { Grid(p, c, 2); };
  g["grid3"] = [](QPainter& p, const QColor& c) { Grid(p, c, 3); };
  g["grid4"] = [](QPainter& p, const QColor& c) { Grid(p, c, 4); };
  g["pip"] = [](QPainter& p, const QColor& c) { Pip(p, c); };
  g["pip_plus"] = [](QPainter& p, const QColor& c) {
    Pip(p, c);
    PlusMinus(p, c, {0.3, 0.38}, 0.09, true);
  };
  g["quad_minus"] = [](QPainter& p, const QColor& c) { Grid(p, c, 2); };
  g["pop"] = [](QPainter& p, const QColor& c) {
    Fill(p, Rounded(QRectF(0.08, 0.28, 0.38, 0.44), 0.04), c);
    Stroke(p, Rounded(QRectF(0.56, 0.3, 0.36, 0.4), 0.04), c, 0.07);
  };
  g["mosaic"] = [](QPainter& p, const QColor& c) {
    Fill(p, Rounded(QRectF(0.14, 0.14, 0.46, 0.46), 0.03), c);
    for (const QRectF& r :
         {QRectF(0.66, 0.14, 0.2, 0.2), QRectF(0.66, 0.4, 0.2, 0.2), QRectF(0.14, 0.66, 0.2, 0.2),
          QRectF(0.4, 0.66, 0.2, 0.2), QRectF(0.66, 0.66, 0.2, 0.2)}) {
      Fill(p, Rounded(r, 0.02), c);
    }
  };
  g["auto"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Arc({0.5, 0.52}, 0.28, 110, 290), c, 0.09);
    Fill(p, Polygon({{0.28, 0.14}, {0.5, 0.28}, {0.3, 0.42}}), c);
  };
  g["reboot"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Arc({0.5, 0.54}, 0.28, 130, 280), c, 0.09);
    Fill(p, Polygon({{0.2, 0.16}, {0.42, 0.3}, {0.18, 0.4}}), c);
  };
  g["freeze"] = [](QPainter& p, const QColor& c) {
    for (int i = 0; i < 3; ++i) {
      p.save();
      p.translate(0.5, 0.5);
      p.rotate(60.0 * i);
      Stroke(p, Line({0, -0.36}, {0, 0.36}), c, 0.08);
      Stroke(p, Line({-0.1, -0.3}, {0, -0.2}), c, 0.06);
      Stroke(p, Line({0.1, -0.3}, {0, -0.2}), c, 0.06);
      Stroke(p, Line({-0.1, 0.3}, {0, 0.2}), c, 0.06);
      Stroke(p, Line({0.1, 0.3}, {0, 0.2}), c, 0.06);
      p.restore();
    }
  };
  g["remote_rec"] = [](QPainter& p, const QColor& c) {
    const QColor red = c == palette::kInkMuted ? c : palette::kRecord;
    Fill(p, Circle({0.36, 0.58}, 0.16), red);
    Stroke(p, Arc({0.36, 0.58}, 0.3, -10, 80), c, 0.07);
    Stroke(p, Arc({0.36, 0.58}, 0.46, -10, 80), c, 0.07);
  };
  g["stop_rec"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Circle({0.5, 0.5}, 0.36), c == palette::kInkMuted ? c : palette::kRecord, 0.08);
    Fill(p, Rounded(QRectF(0.36, 0.36, 0.28, 0.28), 0.03), c);
  };
  g["camera"] = [](QPainter& p, const QColor& c) {
    QPainterPath body = Rounded(QRectF(0.1, 0.3, 0.8, 0.52), 0.08);
    body.addRect(QRectF(0.34, 0.2, 0.3, 0.12));
    body.addEllipse(QPointF(0.5, 0.56), 0.17, 0.17);
    body.setFillRule(Qt::OddEvenFill);
    Fill(p, body, c);
    Fill(p, Circle({0.5, 0.56}, 0.08), c);
  };
  g["video"] = [](QPainter& p, const QColor& c) { VideoCamera(p, c, QRectF(0, 0.04, 1, 1)); };
  g["speaker"] = [](QPainter& p, const QColor& c) { Speaker(p, c, QRectF(0, 0, 1, 1)); };
  g["av"] = [](QPainter& p, const QColor& c) {
    VideoCamera(p, c, QRectF(0.0, -0.06, 0.62, 0.7));
    Speaker(p, c, QRectF(0.42, 0.38, 0.58, 0.6));
  };
  g["link"] = [](QPainter& p, const QColor& c) { Chain(p, c, false); };
  g["link_off"] = [](QPainter& p, const QColor& c) { Chain(p, c, true); };
  g["contrast"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Circle({0.5, 0.5}, 0.32), c, 0.08);
    QPainterPath half;
    half.moveTo(0.5, 0.18);
    half.arcTo(QRectF(0.18, 0.18, 0.64, 0.64), 90, -180);
    half.closeSubpath();
    Fill(p, half, c);
  };
  g["gear"] = [](QPainter& p, const QColor& c) { Gear(p, c); };
  g["power"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Arc({0.5, 0.54}, 0.3, 120, -300), c, 0.1);
    Stroke(p, Line({0.5, 0.14}, {0.5, 0.48}), c, 0.1);
  };
  g["minimise"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Line({0.28, 0.66}, {0.72, 0.66}), c, 0.13);
  };
  g["fullscreen"] = [](QPainter& p, const QColor& c) {
    QPainterPath path;
    for (const auto& [x, y, dx, dy] :
         {std::tuple{0.24, 0.24, 1, 1}, std::tuple{0.76, 0.24, -1, 1},
          std::tuple{0.24, 0.76, 1, -1}, std::tuple{0.76, 0.76, -1, -1}}) {
      path.moveTo(x + dx * 0.2, y);
      path.lineTo(x, y);
      path.lineTo(x, y + dy * 0.2);
    }
    Stroke(p, path, c, 0.12);
  };
  g["close"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Line({0.3, 0.3}, {0.7, 0.7}), c, 0.13);
    Stroke(p, Line({0.7, 0.3}, {0.3, 0.7}), c, 0.13);
  };
  g["help"] = [](QPainter& p, const QColor& c) {
    QPainterPath hook;
    hook.moveTo(0.32, 0.36);
    hook.cubicTo(0.32, 0.16, 0.68, 0.16, 0.68, 0.36);
    hook.cubicTo(0.68, 0.5, 0.5, 0.48, 0.5, 0.62);
    Stroke(p, hook, c, 0.12);
    Fill(p, Circle({0.5, 0.8}, 0.07), c);
  };
  g["expand"] = [](QPainter& p, const QColor& c) {
    QPainterPath path;
    path.moveTo(0.3, 0.42);
    path.lineTo(0.5, 0.62);
    path.lineTo(0.7, 0.42);
    Stroke(p, path, c, 0.1);
  };
  g["collapse"] = [](QPainter& p, const QColor& c) {
    QPainterPath path;
    path.moveTo(0.3, 0.58);
    path.lineTo(0.5, 0.38);
    path.lineTo(0.7, 0.58);
    Stroke(p, path, c, 0.1);
  };
  g["tri_left"] = [](QPainter& p, const QColor& c) {
    Fill(p, Triangle('l', QRectF(0.15, 0.3, 0.7, 0.4)), c);
  };
  g["tri_right"] = [](QPainter& p, const QColor& c) {
    Fill(p, Triangle('r', QRectF(0.15, 0.3, 0.7, 0.4)), c);
  };
  g["turbo"] = [](QPainter& p, const QColor& c) {
    // A lightning bolt: the speed the direction, zoom and focus keys take while it is on.
    Fill(p,
         Polygon(
             {{0.58, 0.08}, {0.24, 0.56}, {0.46, 0.56}, {0.38, 0.92}, {0.76, 0.42}, {0.54, 0.42}}),
         c);
  };
  g["ptz"] = [](QPainter& p, const QColor& c) {
    Fill(p, Rounded(QRectF(0.16, 0.18, 0.68, 0.12), 0.03), c);
    QPainterPath dome;
    dome.moveTo(0.24, 0.32);
    dome.arcTo(QRectF(0.24, 0.06, 0.52, 0.52), 180, 180);
    dome.closeSubpath();
    dome.addEllipse(QPointF(0.5, 0.5), 0.09, 0.09);
    dome.setFillRule(Qt::OddEvenFill);
    Fill(p, dome, c);
    Fill(p, Circle({0.5, 0.5}, 0.04), c);
  };
  g["user"] = [](QPainter& p, const QColor& c) { Person(p, c); };
  g["bell"] = [](QPainter& p, const QColor& c) { Bell(p, c); };
  g["motion"] = [](QPainter& p, const QColor& c) {
    Fill(p, Circle({0.5, 0.5}, 0.11), c);
    Stroke(p, Arc({0.5, 0.5}, 0.26, 130, 100), c, 0.08);
    Stroke(p, Arc({0.5, 0.5}, 0.26, -50, 100), c, 0.08);
    Stroke(p, Arc({0.5, 0.5}, 0.42, 135, 90), c, 0.08);
    Stroke(p, Arc({0.5, 0.5}, 0.42, -45, 90), c, 0.08);
  };
  g["key"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Circle({0.32, 0.5}, 0.16), c, 0.09);
    Stroke(p, Line({0.48, 0.5}, {0.86, 0.5}), c, 0.09);
    Stroke(p, Line({0.74, 0.5}, {0.74, 0.64}), c, 0.09);
    Stroke(p, Line({0.84, 0.5}, {0.84, 0.62}), c, 0.09);
  };
  g["globe"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Circle({0.5, 0.5}, 0.34), c, 0.07);
    QPainterPath meridian;
    meridian.addEllipse(QPointF(0.5, 0.5), 0.14, 0.34);
    Stroke(p, meridian, c, 0.06);
    Stroke(p, Line({0.16, 0.5}, {0.84, 0.5}), c, 0.06);
    Stroke(p, Line({0.22, 0.34}, {0.78, 0.34}), c, 0.05);
    Stroke(p, Line({0.22, 0.66}, {0.78, 0.66}), c, 0.05);
  };
  g["plug"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Line({0.4, 0.14}, {0.4, 0.3}), c, 0.08);
    Stroke(p, Line({0.6, 0.14}, {0.6, 0.3}), c, 0.08);
    QPainterPath body;
    body.moveTo(0.26, 0.3);
    body.lineTo(0.74, 0.3);
    body.lineTo(0.74, 0.46);
    body.cubicTo(0.74, 0.6, 0.6, 0.66, 0.5, 0.66);
    body.cubicTo(0.4, 0.66, 0.26, 0.6, 0.26, 0.46);
    body.closeSubpath();
    Fill(p, body, c);
    Stroke(p, Line({0.5, 0.66}, {0.5, 0.88}), c, 0.08);
  };
  g["book"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Rounded(QRectF(0.24, 0.14, 0.54, 0.72), 0.05), c, 0.07);
    Fill(p, QPainterPath(Rounded(QRectF(0.24, 0.14, 0.1, 0.72), 0.03)), c);
    for (qreal y : {0.36, 0.5})
      Stroke(p, Line({0.44, y}, {0.68, y}), c, 0.06);
  };
  g["broadcast"] = [](QPainter& p, const QColor& c) {
    Fill(p, Circle({0.5, 0.62}, 0.08), c);
    Stroke(p, Arc({0.5, 0.62}, 0.22, 40, 100), c, 0.08);
    Stroke(p, Arc({0.5, 0.62}, 0.38, 40, 100), c, 0.08);
    Stroke(p, Line({0.5, 0.7}, {0.5, 0.88}), c, 0.08);
  };
  g["film"] = [](QPainter& p, const QColor& c) {
    QPainterPath strip = Rounded(QRectF(0.12, 0.2, 0.76, 0.6), 0.06);
    for (int i = 0; i < 4; ++i) {
      strip.addRect(QRectF(0.18 + i * 0.17, 0.24, 0.08, 0.06));
      strip.addRect(QRectF(0.18 + i * 0.17, 0.7, 0.08, 0.06));
    }
    strip.addPolygon(QPolygonF({QPointF(0.42, 0.38), QPointF(0.42, 0.62), QPointF(0.62, 0.5)}));
    strip.closeSubpath();
    strip.setFillRule(Qt::OddEvenFill);
    Fill(p, strip, c);
  };
  g["download"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Line({0.5, 0.14}, {0.5, 0.56}), c, 0.1);
    Fill(p, Triangle('d', QRectF(0.32, 0.46, 0.36, 0.2)), c);
    QPainterPath tray;
    tray.moveTo(0.18, 0.6);
    tray.lineTo(0.18, 0.82);
    tray.lineTo(0.82, 0.82);
    tray.lineTo(0.82, 0.6);
    Stroke(p, tray, c, 0.09);
  };
  g["copy"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Rounded(QRectF(0.18, 0.14, 0.44, 0.54), 0.05), c, 0.07);
    Fill(p, Rounded(QRectF(0.38, 0.32, 0.44, 0.54), 0.05), c);
  };
  g["arrow_right"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Line({0.22, 0.5}, {0.68, 0.5}), c, 0.11);
    QPainterPath head;
    head.moveTo(0.5, 0.3);
    head.lineTo(0.72, 0.5);
    head.lineTo(0.5, 0.7);
    Stroke(p, head, c, 0.11);
  };
  g["sun"] = [](QPainter& p, const QColor& c) {
    Fill(p, Circle({0.5, 0.5}, 0.18), c);
    for (int i = 0; i < 8; ++i) {
      const qreal a = i * M_PI / 4;
      Stroke(p,
             Line({0.5 + 0.28 * std::cos(a), 0.5 + 0.28 * std::sin(a)},
                  {0.5 + 0.4 * std::cos(a), 0.5 + 0.4 * std::sin(a)}),
             c, 0.07);
    }
  };
  g["hue"] = [](QPainter& p, const QColor&) {
    const QColor colours[6] = {QColor(0xe5, 0x48, 0x4d), QColor(0xe8, 0xb3, 0x30),
                               QColor(0x6c, 0xc2, 0x4a), QColor(0x2b, 0xb3, 0xe3),
                               QColor(0x4a, 0x5c, 0xd8), QColor(0xb0, 0x4a, 0xc8)};
    for (int i = 0; i < 6; ++i) {
      QPainterPath slice;
      slice.moveTo(0.5, 0.5);
      slice.arcTo(QRectF(0.14, 0.14, 0.72, 0.72), 90 - i * 60, -60);
      slice.closeSubpath();
      Fill(p, slice, colours[i]);
    }
  };
  g["droplet"] = [](QPainter& p, const QColor& c) {
    QPainterPath drop;
    drop.moveTo(0.5, 0.12);
    drop.cubicTo(0.62, 0.32, 0.78, 0.46, 0.78, 0.62);
    drop.cubicTo(0.78, 0.78, 0.65, 0.88, 0.5, 0.88);
    drop.cubicTo(0.35, 0.88, 0.22, 0.78, 0.22, 0.62);
    drop.cubicTo(0.22, 0.46, 0.38, 0.32, 0.5, 0.12);
    Stroke(p, drop, c, 0.07);
    QPainterPath lower;
    lower.addRect(QRectF(0, 0.58, 1, 0.42));
    Fill(p, drop.intersected(lower), c);
  };
  g["lens"] = [](QPainter& p, const QColor& c) {
    Stroke(p, Circle({0.5, 0.5}, 0.38), c, 0.1);
    Fill(p, Circle({0.5, 0.5}, 0.18), palette::kAccent);
  };
  return g;
}

}  // namespace

bool DrawGlyph(QPainter& painter, std::string_view name, const QRectF& box, const QColor& ink) {
  static const std::map<std::string, Draw, std::less<>> glyphs = MakeGlyphs();
  const auto it = glyphs.find(name);
  if (it == glyphs.end())
    return false;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.translate(box.topLeft());
  painter.scale(box.width(), box.height());
  it->second(painter, ink);
  painter.restore();
  return true;
}

namespace {

QFont FittedFont() {
  QFont font;
  font.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
  font.setBold(true);
  return font;
}

}  // namespace

int FittedPixels(const QString& text, const QRectF& box, int maxPixels) {
  QFont font = FittedFont();
  int pixels = maxPixels;
  for (; pixels > 5; --pixels) {
    font.setPixelSize(pixels);
    const QFontMetricsF metrics(font);
    if (metrics.horizontalAdvance(text) <= box.width() && metrics.height() <= box.height() + 2)
      break;
  }
  return pixels;
}

void DrawFittedText(QPainter& painter, const QString& text, const QRectF& box, const QColor& ink,
                    int maxPixels) {
  QFont font = FittedFont();
  font.setPixelSize(FittedPixels(text, box, maxPixels));
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setFont(font);
  painter.setPen(ink);
  painter.drawText(box, Qt::AlignCenter, text);
  painter.restore();
}

void DrawLensMark(QPainter& painter, const QRectF& box, const QColor& ring, const QColor& centre,
                  bool glint) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.translate(box.topLeft());
  painter.scale(box.width(), box.height());
  Stroke(painter, Circle({0.5, 0.5}, 0.4), ring, 0.12);
  Fill(painter, Circle({0.5, 0.5}, 0.2), centre);
  if (glint)
    Fill(painter, Circle({0.43, 0.43}, 0.06), QColor(255, 255, 255, 180));
  painter.restore();
}

}  // namespace skin
