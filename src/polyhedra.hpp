// The polyhedral computations of the Gröbner cone, done by cddlib in exact
// rational arithmetic; this unit converts to and from it. cddlib is loaded
// when a cone is first asked for, so that runs without --cone or --toward
// neither load it nor need it.
#pragma once

#include <cstddef>
#include <vector>

#include "linear.hpp"

namespace initform {

// A cone given by generators: extreme rays, and a basis of its lineality
// space (lines).
struct ConeGenerators {
    std::vector<IntVector> rays;
    std::vector<IntVector> lines;
};

// The generators of {w in Q^n : v·w >= 0 for every v of `inequalities`}.
// Throws SystemFailure when cddlib cannot be loaded.
ConeGenerators coneGenerators(const std::vector<IntVector>& inequalities, std::size_t n);
// The irredundant inequalities v·w >= 0 of the cone the generators span in
// Q^n, without its equations (each normal determined up to them).
std::vector<IntVector> coneFacets(const ConeGenerators& cone, std::size_t n);

}  // namespace initform
