// A cone of Q^d kept by its generators while constraints are added one at a
// time (the double description method): a basis of its lineality space, its
// extreme rays, and for each ray the constraints it lies on. A constraint
// that some line crosses turns that line into a ray and slides everything
// else onto the hyperplane; otherwise the rays on its wrong side go, and
// each pair of adjacent rays across the hyperplane gives a new ray on it.
// Two rays are adjacent when no third ray lies on every constraint both lie
// on. The cones of the tropical sets are small and their numbers tiny, so
// the entries are machine words, checked: a result that does not fit
// throws Overflow, and the caller starts again with GMP integers.
#pragma once

#include <gmpxx.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bitsets.hpp"

namespace initform {

// A product or sum of machine words did not fit.
struct Overflow {};

// The cone {x : row·x >= 0 (or = 0) for every row added}, in generators.
template <class Integer>
struct IncrementalCone {
    using Vector = std::vector<Integer>;

    // The whole space Q^d, with room for `capacity` constraints.
    IncrementalCone(std::size_t d, std::size_t capacity);

    // Cuts the cone by row·x >= 0, or by row·x = 0 where `equal`.
    void add(const Vector& row, bool equal);

    std::vector<Vector> lines;  // a basis of the lineality space
    std::vector<Vector> rays;   // the extreme rays, each primitive, up to the lines
    std::vector<BitSet> tight;  // for each ray, the constraints it lies on
    std::size_t added = 0;      // the number of constraints so far
    std::size_t capacity;

private:
    void cutLine(std::size_t line, const Vector& row, bool equal);
    void cutRays(const Vector& row, bool equal);
    bool adjacent(std::size_t p, std::size_t q) const;
};

extern template struct IncrementalCone<std::int64_t>;
extern template struct IncrementalCone<mpz_class>;

}  // namespace initform
