// The tropical hypersurface of one polynomial: the weight vectors w at which
// the minimum of lift + w·exponent over its terms is attained at least
// twice (the terms of largest degree are taken as the smallest of the
// negated exponents). Its maximal cells are dual to the edges of the lower
// hull of the exponents lifted by their lifts (with no lifts, the edges of
// the Newton polytope): one hull, computed by the double description in
// machine words (GMP's integers when they overflow) in the coordinates of
// the span of the exponents' differences, so that its size follows the
// terms, not the variables.
#pragma once

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "complex.hpp"
#include "linear.hpp"

namespace initform {

// A term as the rule reads it: its exponent (negated for the largest
// degree) and its lift (the valuation of its coefficient, 0 without one).
struct TropicalTerm {
    IntVector exponent;
    mpq_class lift;
};

// The span of a polynomial's exponents less its first: the complement of
// its lineality space.
Span differenceSpan(const std::vector<TropicalTerm>& terms, std::size_t n);

// A polynomial's maximal cells as the pairs of terms that tie on each, and
// the terms that are lowest alone somewhere (its cells' other constraints).
struct Ties {
    std::vector<std::size_t> facets;
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
};

// The ties of distinct terms (none for fewer than two).
Ties tiesOf(const std::vector<TropicalTerm>& terms, const Span& span);

// The hypersurface of distinct terms in Q^n, as printed (for no terms, 0,
// the whole space). Where `duals` is given, it gets the pair of terms that
// tie on each cell, in the cells' order.
PolyhedralComplex hypersurface(const std::vector<TropicalTerm>& terms, std::size_t n,
                               std::vector<std::pair<std::size_t, std::size_t>>* duals = nullptr);

// The whole space Q^n as a complex: the set of a polynomial that is 0.
PolyhedralComplex wholeSpace(std::size_t n);

// A ray projected onto the complement of the lineality space, primitive;
// none when it lies in the lineality space.
std::optional<IntVector> projectedRay(const QVector& ray, const Projection& onto);

}  // namespace initform
