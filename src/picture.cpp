// Drawing plane tropical curves. Each cell of a complex becomes a shape of
// the plane (a point, a segment, a ray or a line); every shape is drawn in
// its panel's own coordinates, a nested <svg> whose viewBox is the frame
// (y negated, as SVG's y runs down), so that what is drawn is the block's
// own numbers, rounded to what a pixel of a 1000-pixel picture can show.
// Texts (ticks, multiplicities, labels) stand outside, in pixels.
#include "picture.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <tuple>

namespace initform {

namespace {

// A colour-blind-safe palette (Okabe and Ito), a colour a polynomial; black
// is kept for the prevariety.
constexpr std::array<std::string_view, 7> kPalette{"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                                    "#E69F00", "#56B4E9", "#F0E442"};
constexpr std::string_view kPrevarietyColour = "#000000";

constexpr double kWidth = 1000;      // the picture's width in pixels
constexpr double kHeading = 36;      // the band of the heading
constexpr double kPanel = 500;       // the curve panel, and a lone subdivision panel beside it
constexpr double kPlotLeft = 56;     // room for the vertical axis' labels
constexpr double kPlotTop = 14;
constexpr double kPlot = 430;        // the plotted square of a large panel
constexpr double kSmallPanel = 250;  // a subdivision panel, four a row, below the curves
constexpr double kSmallPlot = 200;
constexpr std::size_t kMostLegend = 24;   // polynomials the legend names one by one
constexpr std::size_t kLegendText = 40;   // the characters of a polynomial the legend shows

struct Pt {
    double x = 0;
    double y = 0;
};

using Exact = std::pair<mpq_class, mpq_class>;

Pt toPt(const Exact& p) { return {p.first.get_d(), p.second.get_d()}; }

// A cell drawn in the plane.
struct Shape {
    enum class Kind { Point, Segment, Ray, Line, Plane } kind;
    Exact at;     // its vertex (the first, for a segment)
    Exact other;  // a segment's other vertex
    Pt dir;       // a ray's or a line's direction
    std::optional<mpz_class> multiplicity;
};

Exact inPlaneInt(const IntVector& v) {
    QVector q(v.begin(), v.end());
    return inPlane(q);
}

bool isZero(const Exact& p) { return sgn(p.first) == 0 && sgn(p.second) == 0; }

// The directions in the plane of a complex's lineality space: none, one, or
// two (the whole plane).
std::vector<Exact> planeLineality(const PolyhedralComplex& c) {
    std::vector<Exact> dirs;
    for (const IntVector& l : c.lineality) {
        const Exact d = inPlaneInt(l);
        if (isZero(d)) continue;
        if (dirs.empty() || sgn(dirs[0].first * d.second - dirs[0].second * d.first) != 0) dirs.push_back(d);
        if (dirs.size() == 2) break;
    }
    return dirs;
}

// The shapes of a complex's cells.
std::vector<Shape> shapesOf(const PolyhedralComplex& c) {
    const std::vector<Exact> lines = planeLineality(c);
    std::vector<Shape> shapes;
    for (const Cell& cell : c.cells) {
        Shape s{Shape::Kind::Point, inPlane(c.vertices[cell.vertices.at(0)]), {}, {}, cell.multiplicity};
        if (lines.size() == 2) {
            s.kind = Shape::Kind::Plane;
        } else if (cell.vertices.size() >= 2) {
            s.kind = Shape::Kind::Segment;
            s.other = inPlane(c.vertices[cell.vertices[1]]);
            if (s.other < s.at) std::swap(s.at, s.other);
        } else if (!lines.empty()) {
            s.kind = Shape::Kind::Line;
            s.dir = toPt(lines[0]);
        } else if (!cell.rays.empty()) {
            s.kind = Shape::Kind::Ray;
            s.dir = toPt(inPlaneInt(c.rays[cell.rays[0]]));
        }
        shapes.push_back(std::move(s));
        // A two-dimensional cone of the plane (no curve has one) shows its rays.
        for (std::size_t r = 1; r < cell.rays.size() && lines.empty() && cell.vertices.size() == 1; ++r) {
            shapes.push_back(Shape{Shape::Kind::Ray, shapes.back().at, {}, toPt(inPlaneInt(c.rays[cell.rays[r]])), {}});
        }
    }
    // In an order of their own: the complex's may differ from run to run
    // (a prevariety's, with the walk's threads), the picture's bytes may not.
    const auto key = [](const Shape& s) { return std::tie(s.kind, s.at, s.other, s.dir.x, s.dir.y); };
    std::sort(shapes.begin(), shapes.end(), [&](const Shape& a, const Shape& b) { return key(a) < key(b); });
    return shapes;
}

// A square of the plane and where it is drawn: its lower left corner, its
// side, and the pixel square it fills.
struct PlotFrame {
    double x0 = -1;
    double y0 = -1;
    double side = 2;
    double left = 0;  // the pixel square
    double top = 0;
    double pixels = 1;
    int decimals = 0;  // of a coordinate, so that its rounding stays within a pixel

    double scale() const { return pixels / side; }
    Pt pixel(Pt p) const { return {left + (p.x - x0) * scale(), top + (y0 + side - p.y) * scale()}; }
};

// The square around the points with a margin (around the origin when there
// are none), drawn in the pixel square at (left, top).
PlotFrame frameAround(const std::vector<Pt>& points, double margin, double left, double top, double pixels) {
    Pt lo{0, 0};
    Pt hi{0, 0};
    if (!points.empty()) lo = hi = points[0];
    for (const Pt& p : points) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
    }
    double extent = std::max(hi.x - lo.x, hi.y - lo.y);
    if (extent == 0) extent = 2;
    PlotFrame f;
    f.side = extent * (1 + 2 * margin);
    f.x0 = (lo.x + hi.x) / 2 - f.side / 2;
    f.y0 = (lo.y + hi.y) / 2 - f.side / 2;
    f.left = left;
    f.top = top;
    f.pixels = pixels;
    f.decimals = std::max(0, static_cast<int>(std::ceil(std::log10(f.scale()))));
    return f;
}

// Where a ray from p (inside the frame) along d leaves it.
Pt leaving(const PlotFrame& f, Pt p, Pt d) {
    double t = HUGE_VAL;
    if (d.x > 0) t = std::min(t, (f.x0 + f.side - p.x) / d.x);
    if (d.x < 0) t = std::min(t, (f.x0 - p.x) / d.x);
    if (d.y > 0) t = std::min(t, (f.y0 + f.side - p.y) / d.y);
    if (d.y < 0) t = std::min(t, (f.y0 - p.y) / d.y);
    if (t == HUGE_VAL || t < 0) t = 0;
    return {p.x + t * d.x, p.y + t * d.y};
}

// The text of an SVG file, built up.
class Svg {
public:
    // A number with at most `decimals` decimals, without trailing zeros.
    Svg& num(double v, int decimals) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", std::min(decimals, 12), v);
        std::string s(buf);
        if (s.find('.') != std::string::npos) {
            while (s.back() == '0') s.pop_back();
            if (s.back() == '.') s.pop_back();
        }
        if (s == "-0") s = "0";
        text_ += s;
        return *this;
    }
    Svg& px(double v) { return num(v, 1); }
    Svg& put(std::string_view s) {
        text_ += s;
        return *this;
    }
    // Text, with XML's special characters escaped.
    Svg& escaped(std::string_view s) {
        for (const char c : s) {
            if (c == '&') text_ += "&amp;";
            else if (c == '<') text_ += "&lt;";
            else if (c == '>') text_ += "&gt;";
            else if (c == '"') text_ += "&quot;";
            else text_ += c;
        }
        return *this;
    }
    // A point of a panel's plane, y negated.
    Svg& at(const char* x, const char* y, Pt p, int decimals) {
        put(" ").put(x).put("=\"").num(p.x, decimals).put("\" ").put(y).put("=\"").num(-p.y, decimals).put("\"");
        return *this;
    }
    // A text at pixel (x, y).
    Svg& label(Pt p, std::string_view text, std::string_view extra = {}) {
        put("<text x=\"").px(p.x).put("\" y=\"").px(p.y).put("\"");
        if (!extra.empty()) put(" ").put(extra);
        return put(">").escaped(text).put("</text>\n");
    }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

std::string colourOf(std::size_t k) { return std::string(kPalette[k % kPalette.size()]); }

// The nested <svg> that maps the frame onto its pixel square.
void openPlot(Svg& out, const PlotFrame& f, std::string_view id) {
    out.put("<svg id=\"").put(id).put("\" x=\"").px(f.left).put("\" y=\"").px(f.top).put("\" width=\"").px(f.pixels);
    out.put("\" height=\"").px(f.pixels).put("\" viewBox=\"").num(f.x0, f.decimals + 1).put(" ");
    out.num(-(f.y0 + f.side), f.decimals + 1).put(" ").num(f.side, f.decimals + 1).put(" ").num(f.side, f.decimals + 1);
    out.put("\" overflow=\"hidden\">\n");
}

// A step of 1, 2 or 5 times a power of ten that cuts `side` into some six parts.
double tickStep(double side) {
    const double raw = side / 6;
    const double power = std::pow(10, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw) return m * power;
    }
    return 10 * power;
}

// The frame's border, grid lines, ticks and their numbers, and the axes' titles.
void axes(Svg& out, const PlotFrame& f, std::string_view xTitle, std::string_view yTitle) {
    out.put("<rect x=\"").px(f.left).put("\" y=\"").px(f.top).put("\" width=\"").px(f.pixels).put("\" height=\"");
    out.px(f.pixels).put("\" fill=\"none\" stroke=\"#888888\"/>\n");
    const double step = tickStep(f.side);
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    for (int axis = 0; axis < 2; ++axis) {
        const double from = axis == 0 ? f.x0 : f.y0;
        for (double t = std::ceil(from / step) * step; t <= from + f.side + 1e-9 * step; t += step) {
            const Pt p = f.pixel(axis == 0 ? Pt{t, f.y0} : Pt{f.x0, t});
            Svg number;
            number.num(t, decimals);
            const std::string text = number.take();
            if (axis == 0) {
                out.put("<line x1=\"").px(p.x).put("\" y1=\"").px(f.top).put("\" x2=\"").px(p.x).put("\" y2=\"");
                out.px(f.top + f.pixels + 4).put("\" stroke=\"#e6e6e6\"/>\n");
                out.label({p.x, f.top + f.pixels + 16}, text, "text-anchor=\"middle\"");
            } else {
                out.put("<line x1=\"").px(f.left - 4).put("\" y1=\"").px(p.y).put("\" x2=\"").px(f.left + f.pixels);
                out.put("\" y2=\"").px(p.y).put("\" stroke=\"#e6e6e6\"/>\n");
                out.label({f.left - 6, p.y + 4}, text, "text-anchor=\"end\"");
            }
        }
    }
    out.label({f.left + f.pixels / 2, f.top + f.pixels + 34}, xTitle, "text-anchor=\"middle\"");
    const Pt y{f.left - 42, f.top + f.pixels / 2};
    out.put("<text x=\"").px(y.x).put("\" y=\"").px(y.y).put("\" text-anchor=\"middle\" transform=\"rotate(-90 ");
    out.px(y.x).put(" ").px(y.y).put(")\">").escaped(yTitle).put("</text>\n");
}

// A line of a panel from a to b, of a class, with an arrowhead at b when
// the shape goes on beyond the frame.
void segment(Svg& out, const PlotFrame& f, std::string_view cls, Pt a, Pt b, std::string_view marker) {
    out.put("<line class=\"").put(cls).put("\"").at("x1", "y1", a, f.decimals).at("x2", "y2", b, f.decimals);
    if (!marker.empty()) out.put(" marker-end=\"url(#").put(marker).put(")\"");
    out.put("/>\n");
}

// A dot of a panel, `radius` pixels wide.
void dot(Svg& out, const PlotFrame& f, std::string_view cls, Pt p, double radius) {
    out.put("<circle class=\"").put(cls).put("\"").at("cx", "cy", p, f.decimals).put(" r=\"");
    out.num(radius / f.scale(), f.decimals + 1).put("\"/>\n");
}

// The texts of a shape: its multiplicity above 1 beside it, or a
// prevariety point's coordinates.
struct Note {
    Pt pixel;
    std::string text;
};

// A shape's multiplicity above 1, beside the piece of it from a to b.
void noteBeside(const PlotFrame& f, Pt a, Pt b, const std::optional<mpz_class>& m, std::vector<Note>& notes) {
    if (!m || *m <= 1) return;
    const Pt pa = f.pixel(a);
    const Pt pb = f.pixel(b);
    const double dx = pb.x - pa.x;
    const double dy = pb.y - pa.y;
    const double length = std::max(std::hypot(dx, dy), 1e-9);
    notes.push_back({{(pa.x + pb.x) / 2 - dy / length * 9, (pa.y + pb.y) / 2 + dx / length * 9 + 4}, m->get_str()});
}

// One shape's lines (a point has none), cut at the frame.
void drawShape(Svg& out, const PlotFrame& f, const Shape& s, std::string_view marker, std::vector<Note>& notes) {
    const Pt a = toPt(s.at);
    switch (s.kind) {
        case Shape::Kind::Plane:
            out.put("<rect class=\"plane\" x=\"").num(f.x0, f.decimals).put("\" y=\"").num(-(f.y0 + f.side), f.decimals);
            out.put("\" width=\"").num(f.side, f.decimals).put("\" height=\"").num(f.side, f.decimals);
            out.put("\" fill-opacity=\"0.15\" stroke=\"none\"/>\n");
            break;
        case Shape::Kind::Segment:
            segment(out, f, "segment", a, toPt(s.other), {});
            noteBeside(f, a, toPt(s.other), s.multiplicity, notes);
            break;
        case Shape::Kind::Ray: {
            const Pt end = leaving(f, a, s.dir);
            segment(out, f, "ray", a, end, marker);
            noteBeside(f, a, end, s.multiplicity, notes);
            break;
        }
        case Shape::Kind::Line: {
            const Pt end = leaving(f, a, s.dir);
            segment(out, f, "line", a, end, marker);
            segment(out, f, "line", a, leaving(f, a, {-s.dir.x, -s.dir.y}), marker);
            noteBeside(f, a, end, s.multiplicity, notes);
            break;
        }
        case Shape::Kind::Point:
            break;
    }
}

// The dots of the shapes' vertices, each once (a line's point is none,
// but in a prevariety), and a prevariety's points labelled.
void drawVertices(Svg& out, const PlotFrame& f, const std::vector<Shape>& shapes, bool labelPoints,
                  std::vector<Note>& notes) {
    std::vector<Exact> vertices;
    for (const Shape& s : shapes) {
        if (s.kind == Shape::Kind::Plane || (s.kind == Shape::Kind::Line && !labelPoints)) continue;
        vertices.push_back(s.at);
        if (s.kind == Shape::Kind::Segment) vertices.push_back(s.other);
    }
    std::sort(vertices.begin(), vertices.end());
    vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
    for (const Exact& v : vertices) dot(out, f, "vertex", toPt(v), labelPoints ? 5 : 3);
    for (const Shape& s : shapes) {
        if (labelPoints && s.kind == Shape::Kind::Point) {
            const Pt p = f.pixel(toPt(s.at));
            notes.push_back({{p.x + 12, p.y - 10}, "(" + s.at.first.get_str() + ", " + s.at.second.get_str() + ")"});
        }
    }
}


// The shapes of one complex drawn in a panel, in a group of their own;
// notes beside them are collected for drawing outside the panel.
void drawShapes(Svg& out, const PlotFrame& f, const std::vector<Shape>& shapes, std::string_view id, std::string_view colour,
                double width, std::string_view marker, bool labelPoints, std::vector<Note>& notes) {
    out.put("<g id=\"").put(id).put("\" stroke=\"").put(colour).put("\" fill=\"").put(colour).put("\" stroke-width=\"");
    out.num(width / f.scale(), f.decimals + 1).put("\" stroke-linecap=\"round\">\n");
    for (const Shape& s : shapes) drawShape(out, f, s, marker, notes);
    drawVertices(out, f, shapes, labelPoints, notes);
    out.put("</g>\n");
}

// An arrowhead for the rays and lines of a colour, sized for the panel.
void marker(Svg& out, const PlotFrame& f, std::string_view id, std::string_view colour, double pixels) {
    const double size = pixels / f.scale();
    out.put("<marker id=\"").put(id).put("\" viewBox=\"0 0 10 10\" refX=\"8\" refY=\"5\" markerUnits=\"userSpaceOnUse\"");
    out.put(" markerWidth=\"").num(size, f.decimals + 1).put("\" markerHeight=\"").num(size, f.decimals + 1);
    out.put("\" orient=\"auto\"><path d=\"M0,0L10,5L0,10z\" fill=\"").put(colour).put("\"/></marker>\n");
}

// The first characters of a polynomial's text, for the legend.
std::string shortened(std::string_view text) {
    std::string s;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s += c;
    }
    if (s.size() > kLegendText) s = s.substr(0, kLegendText - 3) + "...";
    return s;
}

// The legend: a swatch and a name a polynomial (and the prevariety first).
void legend(Svg& out, const PlaneDrawing& d, Pt at) {
    double y = at.y;
    if (d.prevariety) {
        out.put("<rect x=\"").px(at.x).put("\" y=\"").px(y - 10).put("\" width=\"18\" height=\"5\" fill=\"");
        out.put(kPrevarietyColour).put("\"/>\n");
        out.label({at.x + 26, y}, "prevariety", "font-weight=\"bold\"");
        y += 22;
    }
    for (std::size_t k = 0; k < d.curves.size() && k < kMostLegend; ++k, y += 22) {
        out.put("<rect x=\"").px(at.x).put("\" y=\"").px(y - 11).put("\" width=\"18\" height=\"12\" fill=\"");
        out.put(colourOf(k)).put("\"/>\n");
        const PolyhedralComplex& c = d.curves[k].cells;
        const char* what = c.cells.empty() ? " (empty)" : (c.dimension == d.n ? " (the whole plane)" : "");
        out.label({at.x + 26, y}, "polynomial " + std::to_string(k + 1) + ": " + shortened(d.curves[k].text) + what);
    }
    if (d.curves.size() > kMostLegend) {
        out.label({at.x + 26, y}, "and " + std::to_string(d.curves.size() - kMostLegend) + " more");
    }
}

// The corners of the convex hull of integer points, counterclockwise.
std::vector<std::pair<mpz_class, mpz_class>> hullCorners(std::vector<std::pair<mpz_class, mpz_class>> points) {
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3) return points;
    const auto turn = [](const auto& o, const auto& a, const auto& b) {
        return sgn(mpz_class((a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first)));
    };
    std::vector<std::pair<mpz_class, mpz_class>> hull;
    for (int pass = 0; pass < 2; ++pass) {  // the lower chain, then the upper
        const std::size_t start = hull.size();
        for (const auto& p : points) {
            while (hull.size() >= start + 2 && turn(hull[hull.size() - 2], hull.back(), p) <= 0) hull.pop_back();
            hull.push_back(p);
        }
        hull.pop_back();
        std::reverse(points.begin(), points.end());
    }
    return hull;
}

// A polynomial's Newton polygon with the subdivision dual to its curve: the
// lattice points of its box, its support, and each cell's dual edge.
void subdivision(Svg& out, const PlaneDrawing::Curve& c, std::size_t k, double left, double top, double pixels) {
    std::vector<Pt> points;
    for (const auto& [a, b] : c.support) points.push_back({a.get_d(), b.get_d()});
    PlotFrame f = frameAround(points, 0, left, top, pixels);
    // A margin of half a lattice step, at least, around the polygon.
    const double pad = std::max(0.5, f.side * 0.06);
    f.x0 -= pad;
    f.y0 -= pad;
    f.side += 2 * pad;
    f.decimals = 2;
    out.put("<rect x=\"").px(left).put("\" y=\"").px(top).put("\" width=\"").px(pixels).put("\" height=\"").px(pixels);
    out.put("\" fill=\"none\" stroke=\"#888888\"/>\n");
    out.label({left, top - 6}, "Newton polygon of polynomial " + std::to_string(k + 1));
    openPlot(out, f, "subdivision-" + std::to_string(k + 1));
    out.put("<polygon class=\"polygon\" points=\"");
    for (const auto& [a, b] : hullCorners(c.support)) out.put(a.get_str()).put(",").put(mpz_class(-b).get_str()).put(" ");
    out.put("\" fill=\"#eef3f8\" stroke=\"none\"/>\n");
    // The lattice points, when there are not too many to see.
    const double x0 = std::ceil(f.x0);
    const double y0 = std::ceil(f.y0);
    if ((f.side + 1) * (f.side + 1) <= 5000) {
        out.put("<g class=\"lattice\" fill=\"#bbbbbb\">\n");
        for (double x = x0; x <= f.x0 + f.side; ++x) {
            for (double y = y0; y <= f.y0 + f.side; ++y) dot(out, f, "lattice", {x, y}, std::min(1.5, f.scale() / 10));
        }
        out.put("</g>\n");
    }
    out.put("<g class=\"dual\" stroke=\"").put(colourOf(k)).put("\" stroke-width=\"").num(2 / f.scale(), 4).put("\">\n");
    // In the order of their terms, not the order the hull found them in.
    std::vector<std::pair<std::size_t, std::size_t>> duals;
    for (const auto& [i, j] : c.duals) duals.emplace_back(std::min(i, j), std::max(i, j));
    std::sort(duals.begin(), duals.end());
    for (const auto& [i, j] : duals) {
        out.put("<line class=\"edge\" x1=\"").put(c.support[i].first.get_str()).put("\" y1=\"");
        out.put(mpz_class(-c.support[i].second).get_str()).put("\" x2=\"").put(c.support[j].first.get_str());
        out.put("\" y2=\"").put(mpz_class(-c.support[j].second).get_str()).put("\"/>\n");
    }
    out.put("</g>\n<g class=\"support\" fill=\"#000000\">\n");
    for (const auto& [a, b] : c.support) {
        out.put("<circle class=\"term\" cx=\"").put(a.get_str()).put("\" cy=\"").put(mpz_class(-b).get_str());
        out.put("\" r=\"").num(std::min(3.0, f.scale() / 5) / f.scale(), 4).put("\"/>\n");
    }
    out.put("</g>\n</svg>\n");
}

// The axes' titles: the variables' weights, or their differences in the chart.
std::pair<std::string, std::string> axisTitles(const PlaneDrawing& d) {
    if (d.n == 2) return {"w(" + d.names[0] + ")", "w(" + d.names[1] + ")"};
    return {"w(" + d.names[1] + ") - w(" + d.names[0] + ")", "w(" + d.names[2] + ") - w(" + d.names[0] + ")"};
}

}  // namespace

std::pair<mpq_class, mpq_class> inPlane(const QVector& w) {
    if (w.size() == 2) return {w[0], w[1]};
    return {w[1] - w[0], w[2] - w[0]};
}

std::string svgOf(const PlaneDrawing& d) {
    std::vector<std::vector<Shape>> curves;
    std::vector<Pt> corners;
    for (const PlaneDrawing::Curve& c : d.curves) {
        curves.push_back(shapesOf(c.cells));
        for (const Shape& s : curves.back()) {
            corners.push_back(toPt(s.at));
            if (s.kind == Shape::Kind::Segment) corners.push_back(toPt(s.other));
        }
    }
    std::vector<Shape> prevariety;
    if (d.prevariety) {
        prevariety = shapesOf(*d.prevariety);
        for (const Shape& s : prevariety) {
            corners.push_back(toPt(s.at));
            if (s.kind == Shape::Kind::Segment) corners.push_back(toPt(s.other));
        }
    }
    const PlotFrame f = frameAround(corners, 0.15, kPlotLeft, kHeading + kPlotTop, kPlot);
    // A lone curve's subdivision stands beside it; several stand below, four a row.
    const bool below = !d.prevariety && d.curves.size() > 1;
    const std::size_t rows = below ? (d.curves.size() + 3) / 4 : 0;
    const double height = kHeading + kPanel + static_cast<double>(rows) * (kSmallPanel + 20);

    Svg out;
    out.put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    out.put("<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"").px(kWidth).put("\" height=\"");
    out.px(height).put("\" viewBox=\"0 0 ").px(kWidth).put(" ").px(height);
    out.put("\" font-family=\"sans-serif\" font-size=\"13\">\n<title>").escaped(d.heading).put("</title>\n<defs>\n");
    for (std::size_t k = 0; k < std::min(d.curves.size(), kPalette.size()); ++k) {
        marker(out, f, "on-" + std::to_string(k % kPalette.size()), colourOf(k), 9);
    }
    marker(out, f, "on-prevariety", kPrevarietyColour, 16);
    out.put("</defs>\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n");
    out.label({12, 24}, d.heading, "font-size=\"15\"");
    const auto [xTitle, yTitle] = axisTitles(d);
    axes(out, f, xTitle, yTitle);
    openPlot(out, f, "curves");
    std::vector<Note> notes;
    for (std::size_t k = 0; k < curves.size(); ++k) {
        drawShapes(out, f, curves[k], "curve-" + std::to_string(k + 1), colourOf(k), d.prevariety ? 1.2 : 2,
                   "on-" + std::to_string(k % kPalette.size()), false, notes);
    }
    if (d.prevariety) drawShapes(out, f, prevariety, "prevariety", kPrevarietyColour, 4, "on-prevariety", true, notes);
    out.put("</svg>\n");
    for (const Note& n : notes) out.label(n.pixel, n.text, "class=\"note\" text-anchor=\"middle\"");
    if (!below && !d.prevariety && d.curves.size() == 1) {
        subdivision(out, d.curves[0], 0, kPanel + kPlotLeft, kHeading + kPlotTop, kPlot);
    } else {
        legend(out, d, {kPanel + 20, kHeading + kPlotTop + 14});
    }
    for (std::size_t k = 0; below && k < d.curves.size(); ++k) {
        const double left = static_cast<double>(k % 4) * kSmallPanel + 25;
        const double top = kHeading + kPanel + static_cast<double>(k / 4) * (kSmallPanel + 20) + 30;
        subdivision(out, d.curves[k], k, left, top, kSmallPlot);
    }
    out.put("</svg>\n");
    return out.take();
}

}  // namespace initform
