// Where the initial forms of a marked basis stay the same: its Gröbner cone,
// and the step of a Gröbner walk that leaves it.
//
// A marked basis is a list of polynomials, each with a marked term, the
// first as written. Its Gröbner cone C holds the weights under which every
// marked term has the largest weighted degree (with --min, the smallest):
// w·v >= 0 for each bounding vector v = a - b of a marked exponent a and
// another exponent b of the same polynomial.
#pragma once

#include <cstddef>
#include <vector>

#include "linear.hpp"
#include "marked.hpp"

namespace initform {

// The Gröbner cone, each vector a primitive integer vector.
struct GroebnerCone {
    std::size_t dimension = 0;
    std::vector<IntVector> equations;  // C lies in w·v = 0 (reduced row echelon form)
    std::vector<IntVector> lineality;  // a basis of C's lineality space (reduced row echelon form)
    std::vector<IntVector> facets;     // the irredundant w·v >= 0, in C's span, sorted
    IntVector interior;                // a point of C's relative interior
};

// The cone of the (distinct, primitive, nonzero) bounding vectors in Q^n.
GroebnerCone groebnerCone(const std::vector<SparseVector>& bounding, std::size_t n);

// Whether w lies in the cone: w·v >= 0 for every bounding vector.
bool inCone(const std::vector<SparseVector>& bounding, const IntVector& w);

// The walk's step from `from` (in the cone) toward `to`: the last point of
// the segment between them that stays in the cone, as a primitive vector.
IntVector nextWeight(const std::vector<SparseVector>& bounding, const IntVector& from, const IntVector& to);

}  // namespace initform
