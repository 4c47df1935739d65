// The tropical prevariety of a list of polynomials: the intersection of
// their hypersurfaces, with the cells of their common refinement. A maximal
// cell is a nonempty intersection of one maximal cell from each hypersurface
// that lies in no other such intersection.
#pragma once

#include <cstddef>
#include <vector>

#include "complex.hpp"
#include "hypersurface.hpp"

namespace initform {

// The prevariety of the polynomials' terms in Q^n (a polynomial without
// terms is 0, whose hypersurface is the whole space).
PolyhedralComplex prevariety(const std::vector<std::vector<TropicalTerm>>& polynomials, std::size_t n);

}  // namespace initform
