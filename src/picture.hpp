// Pictures of plane tropical curves (--svg): one self-contained SVG file.
// With --tropical, a panel where every curve is drawn (segments, rays cut
// at a frame around every vertex and marked as going on, vertices as dots,
// multiplicities above 1 written beside their edges), and beside or below
// it each polynomial's Newton polygon with the subdivision dual to its
// curve. With --prevariety, the hypersurfaces thin and the prevariety bold
// on top. Plane means 2 variables, or 3 when every polynomial is
// homogeneous, drawn in the chart of the first coordinate,
// (w2 - w1, w3 - w1). The same input gives the same bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "complex.hpp"

namespace initform {

// What a picture shows: the curves of a document's polynomials, and with
// --prevariety their prevariety.
struct PlaneDrawing {
    // One polynomial: its text (for the legend), its hypersurface in Q^n,
    // the pair of terms that tie on each of its cells (the subdivision's
    // edge dual to the cell), and each term's exponent in the plane.
    struct Curve {
        std::string text;
        PolyhedralComplex cells;
        std::vector<std::pair<std::size_t, std::size_t>> duals;
        std::vector<std::pair<mpz_class, mpz_class>> support;
    };
    std::size_t n = 2;               // the variables: 2, or 3 drawn in a chart
    std::vector<std::string> names;  // the variables' names
    std::string heading;             // the picture's first line: the mode and its switches
    std::vector<Curve> curves;
    std::optional<PolyhedralComplex> prevariety;
};

// The point of the plane that stands for w in Q^n: w itself for 2
// variables, (w2 - w1, w3 - w1) for 3.
std::pair<mpq_class, mpq_class> inPlane(const QVector& w);

// The picture, as the bytes of an SVG 1.1 file.
std::string svgOf(const PlaneDrawing& d);

}  // namespace initform
