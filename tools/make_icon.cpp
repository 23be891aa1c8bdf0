// make_icon: draws the program's icon, a ship on its range rings off a grey coast, as
// one SVG file and as PNG files of the usual sizes, from one set of shapes:
//
//   make_icon --out DIR
//
// writes DIR/aismon.svg and DIR/hicolor/NxN/apps/aismon.png. Exit status 0 when all
// were written, 1 when a file could not be, 2 on bad arguments.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kCanvas = 256;  // the shapes' own units; the SVG's view box
constexpr int kPngSizes[] = {16, 24, 32, 48, 64, 128, 256};

struct Shape {
  QPainterPath path;
  std::optional<QColor> fill;
  std::optional<QColor> stroke;
  double width = 0;
};

QPainterPath Polygon(std::initializer_list<QPointF> points) {
  QPainterPath p;
  p.addPolygon(QPolygonF(QList<QPointF>(points)));
  p.closeSubpath();
  return p;
}

// The tile everything is clipped to.
QPainterPath Background() {
  QPainterPath p;
  p.addRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
  return p;
}

std::vector<Shape> IconShapes() {
  std::vector<Shape> shapes;
  shapes.push_back({Background(), QColor(0x0b, 0x2a, 0x5b), std::nullopt, 0});
  // The coast, the chart's land grey with its silver shoreline.
  const QPainterPath land = Polygon({{0, 160}, {30, 150}, {52, 164}, {78, 146}, {100, 152}, {112, 178}, {96, 200},
                                     {104, 226}, {92, 256}, {0, 256}});
  shapes.push_back({land, QColor(128, 128, 128), QColor(192, 192, 192), 5});
  // Range rings round the ship.
  const QPointF centre(156, 112);
  for (const double r : {46.0, 82.0}) {
    QPainterPath ring;
    ring.addEllipse(centre, r, r);
    shapes.push_back({ring, std::nullopt, QColor(0x5f, 0xb4, 0xe6), 6});
  }
  // The course line ahead of the ship, then the ship, bow to the north-east.
  QTransform turn;
  turn.translate(centre.x(), centre.y());
  turn.rotate(35);
  QPainterPath course;
  course.moveTo(turn.map(QPointF(0, -30)));
  course.lineTo(turn.map(QPointF(0, -96)));
  shapes.push_back({course, std::nullopt, QColor(255, 255, 255), 7});
  const QPainterPath hull = turn.map(Polygon({{0, -40}, {20, -8}, {20, 34}, {-20, 34}, {-20, -8}}));
  shapes.push_back({hull, QColor(0xff, 0xd2, 0x3f), QColor(0x1a, 0x1a, 0x1a), 5});
  return shapes;
}

std::string Number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

std::string PathData(const QPainterPath& path) {
  std::string d;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    const std::string xy = Number(e.x) + " " + Number(e.y);
    switch (e.type) {
      case QPainterPath::MoveToElement: d += "M" + xy; break;
      case QPainterPath::LineToElement: d += "L" + xy; break;
      case QPainterPath::CurveToElement: d += "C" + xy; break;
      case QPainterPath::CurveToDataElement: d += " " + xy; break;
    }
  }
  return d;
}

std::string ColourText(const QColor& c) { return c.name().toStdString(); }

bool WriteSvg(const fs::path& file, const std::vector<Shape>& shapes) {
  std::ofstream out(file, std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
      << "  <defs><clipPath id=\"tile\"><path d=\"" << PathData(Background()) << "\"/></clipPath></defs>\n"
      << "  <g clip-path=\"url(#tile)\" stroke-linejoin=\"round\" stroke-linecap=\"round\">\n";
  for (const Shape& s : shapes) {
    out << "    <path d=\"" << PathData(s.path) << "\" fill=\"" << (s.fill ? ColourText(*s.fill) : "none") << "\"";
    if (s.stroke) out << " stroke=\"" << ColourText(*s.stroke) << "\" stroke-width=\"" << Number(s.width) << "\"";
    out << "/>\n";
  }
  out << "  </g>\n</svg>\n";
  return static_cast<bool>(out);
}

QImage Paint(const std::vector<Shape>& shapes, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / kCanvas, size / kCanvas);
  p.setClipPath(Background());
  for (const Shape& s : shapes) {
    p.setBrush(s.fill ? QBrush(*s.fill) : QBrush(Qt::NoBrush));
    if (s.stroke)
      p.setPen(QPen(*s.stroke, s.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    else
      p.setPen(Qt::NoPen);
    p.drawPath(s.path);
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::string_view(argv[1]) != "--out") {
    std::fprintf(stderr, "usage: make_icon --out DIR\n");
    return 2;
  }
  const fs::path out = argv[2];
  const std::vector<Shape> shapes = IconShapes();
  std::error_code ec;
  fs::create_directories(out, ec);
  if (!WriteSvg(out / "aismon.svg", shapes)) {
    std::fprintf(stderr, "make_icon: cannot write %s\n", (out / "aismon.svg").c_str());
    return 1;
  }
  for (const int size : kPngSizes) {
    const std::string n = std::to_string(size);
    const fs::path folder = out / "hicolor" / (n + "x" + n) / "apps";
    fs::create_directories(folder, ec);
    const fs::path file = folder / "aismon.png";
    if (!Paint(shapes, size).save(QString::fromStdString(file.string()), "PNG")) {
      std::fprintf(stderr, "make_icon: cannot write %s\n", file.c_str());
      return 1;
    }
  }
  return 0;
}
