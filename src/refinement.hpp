// The tropical prevariety of a list of polynomials: the intersection of
// their hypersurfaces, with the cells of their common refinement. A maximal
// cell is a nonempty intersection of one maximal cell from each hypersurface
// that lies in no other such intersection.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "complex.hpp"
#include "hypersurface.hpp"

namespace initform {

// How the tree of the common refinement is walked: by how many threads,
// and which share of it (part of parts: the cells below every parts-th
// branch of its first levels, from the part-th on).
struct Walk {
    std::size_t threads = 1;
    std::size_t part = 1;
    std::size_t parts = 1;
    // The most cones the walk remembers, to pass over a branch it walked
    // before: memory stays bounded however large the tree.
    std::size_t remembered = std::size_t{1} << 21;
    // Where the walk counts its branches and the cells it finds, for a
    // progress report (read by another thread while it runs).
    struct Progress {
        std::atomic<std::size_t> branches{0};
        std::atomic<std::size_t> cells{0};
    };
    Progress* progress = nullptr;
};

// The prevariety of the polynomials' terms in Q^n (a polynomial without
// terms is 0, whose hypersurface is the whole space). The output is the
// same however it is walked.
PolyhedralComplex prevariety(const std::vector<std::vector<TropicalTerm>>& polynomials, std::size_t n,
                             const Walk& walk = {});

}  // namespace initform
