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
#include <cstdint>
#include <utility>
#include <vector>

#include "document.hpp"
#include "linear.hpp"
#include "numbers.hpp"

namespace initform {

// A bounding vector, sparse: its nonzero entries (variable, value) in the
// order of the variables. A difference of two 64-bit exponents fits 128 bits.
using SparseVector = std::vector<std::pair<std::uint32_t, Int128>>;

// The bounding vectors of the marked basis of a framed document: each
// marked exponent minus each other exponent of its polynomial (the other
// way round for the smallest degree), primitive, without zero vectors and
// repeats, in the order they first come. Exponents are read as with
// --exact. Throws BadInput for a polynomial that is 0 or whose marked term
// cancels, naming it by its position from 1.
std::vector<SparseVector> boundingVectors(const Document& d, bool smallest);

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

// How far the walk's step from `from` (in the cone) toward `to` goes: the
// largest t in [0, 1] for which (1 - t)·from + t·to stays in the cone. A
// bounding vector orthogonal to the segment never bounds it.
mpq_class stepLength(const std::vector<SparseVector>& bounding, const IntVector& from, const IntVector& to);

}  // namespace initform
