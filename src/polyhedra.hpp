// The polyhedral computations of the Gröbner cone, done by cddlib in exact
// rational arithmetic; this unit converts to and from it. cddlib is loaded
// when a cone is asked for, once, so that runs without --cone neither load
// it nor need it. cddlib does not check its allocations: each
// conversion runs in a child process, so that memory running out inside it
// is reported as such, never as a signal.
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
// Loads cddlib; throws SystemFailure with the loader's reason when it cannot.
ConeGenerators coneGenerators(const std::vector<IntVector>& inequalities, std::size_t n);

}  // namespace initform
