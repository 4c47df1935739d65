// Sets of small numbers as bits: which generators of a polyhedron lie on a
// face. The faces of the cone and of the tropical hypersurfaces are told
// apart by these sets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace initform {

// A set of the numbers below 64 times its size.
using BitSet = std::vector<std::uint64_t>;

// The empty set of numbers below `count`.
inline BitSet emptySet(std::size_t count) { return BitSet((count + 63) / 64, 0); }

inline void insert(BitSet& s, std::size_t k) { s[k / 64] |= std::uint64_t{1} << (k % 64); }

inline bool has(const BitSet& s, std::size_t k) { return (s[k / 64] >> (k % 64) & 1) != 0; }

inline bool isSubset(const BitSet& a, const BitSet& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if ((a[i] & ~b[i]) != 0) return false;
    }
    return true;
}

inline BitSet intersection(const BitSet& a, const BitSet& b) {
    BitSet c(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) c[i] = a[i] & b[i];
    return c;
}

// The smallest number of the set (64 times its size when it is empty).
inline std::size_t firstOf(const BitSet& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != 0) return i * 64 + static_cast<std::size_t>(__builtin_ctzll(s[i]));
    }
    return s.size() * 64;
}

}  // namespace initform
