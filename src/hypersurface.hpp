// The tropical hypersurface of one polynomial: the weight vectors w at which
// the minimum of lift + w·exponent over its terms is attained at least
// twice (the terms of largest degree are taken as the smallest of the
// negated exponents). Its maximal cells are dual to the edges of the lower
// hull of the exponents lifted by their lifts (with no lifts, the edges of
// the Newton polytope): one hull, computed by cddlib.
#pragma once

#include <cstddef>
#include <vector>

#include "complex.hpp"
#include "linear.hpp"
#include "polyhedra.hpp"

namespace initform {

// A term as the rule reads it: its exponent (negated for the largest
// degree) and its lift (the valuation of its coefficient, 0 without one).
struct TropicalTerm {
    IntVector exponent;
    mpq_class lift;
};

// A maximal cell of a hypersurface as constraints on w: its two terms tie,
// and no term is below them.
struct TieCell {
    Constraints constraints;
    std::size_t first = 0;  // the two terms, by position
    std::size_t second = 0;
};

// The hypersurface of distinct terms in Q^n, and the constraints of each of
// its maximal cells. Inside Polyhedra::apart().
struct Hypersurface {
    PolyhedralComplex complex;
    std::vector<TieCell> cells;
    std::vector<IntVector> differences;  // the exponents less the first: their null space is the lineality
};
Hypersurface hypersurface(const Polyhedra& polyhedra, const std::vector<TropicalTerm>& terms, std::size_t n);

// The whole space Q^n as a complex: the set of a polynomial that is 0.
PolyhedralComplex wholeSpace(std::size_t n);

// The vertices (points) and rays of a polyhedron of Q^n in the orthogonal
// complement of a space, given by an orthogonal basis of it: points
// projected, rays projected and primitive (rays in the space dropped).
Cell projectedCell(const std::vector<QVector>& points, const std::vector<QVector>& rays,
                   const std::vector<QVector>& orthogonal);

}  // namespace initform
