// Sets of small numbers as bits: which generators of a polyhedron lie on a
// face. The faces of the cone and of the tropical hypersurfaces are told
// apart by these sets.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace initform {

// A set of the numbers below 64 times its size.
using BitSet = std::vector<std::uint64_t>;

// The empty set of numbers below `count`.
inline BitSet emptySet(std::size_t count) { return BitSet((count + 63) / 64, 0); }

// A set's words where they lie, in a BitSet or in a block of many sets.
using BitSpan = std::span<std::uint64_t>;
using ConstBitSpan = std::span<const std::uint64_t>;

inline void insert(BitSpan s, std::size_t k) { s[k / 64] |= std::uint64_t{1} << (k % 64); }

inline bool has(ConstBitSpan s, std::size_t k) { return (s[k / 64] >> (k % 64) & 1) != 0; }

inline bool isSubset(ConstBitSpan a, ConstBitSpan b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if ((a[i] & ~b[i]) != 0) return false;
    }
    return true;
}

// The number of numbers in the set.
inline std::size_t memberCount(ConstBitSpan s) {
    std::size_t count = 0;
    for (const std::uint64_t word : s) count += static_cast<std::size_t>(__builtin_popcountll(word));
    return count;
}

inline BitSet intersection(const BitSet& a, const BitSet& b) {
    BitSet c(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) c[i] = a[i] & b[i];
    return c;
}

// Calls f with each number of the set, in increasing order.
template <class F>
void forEachIn(ConstBitSpan s, F f) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        for (std::uint64_t word = s[i]; word != 0; word &= word - 1) f(i * 64 + static_cast<std::size_t>(__builtin_ctzll(word)));
    }
}

// For each number below `count`, the positions of the sets that hold it.
inline std::vector<std::vector<std::size_t>> holders(const std::vector<BitSet>& sets, std::size_t count) {
    std::vector<std::vector<std::size_t>> holding(count);
    for (std::size_t i = 0; i < sets.size(); ++i) forEachIn(sets[i], [&](std::size_t k) { holding[k].push_back(i); });
    return holding;
}

// The number of the set held by the fewest sets (count when it is empty).
inline std::size_t rarestIn(ConstBitSpan s, const std::vector<std::vector<std::size_t>>& holding) {
    std::size_t rarest = holding.size();
    forEachIn(s, [&](std::size_t k) {
        if (rarest == holding.size() || holding[k].size() < holding[rarest].size()) rarest = k;
    });
    return rarest;
}

// The positions of the sets that lie in no larger set of the list: of the
// faces of a polyhedron, given by the generators on each, the facets. A
// larger set holds the set's rarest number, so only its holders are tried.
inline std::vector<std::size_t> maximalSets(const std::vector<BitSet>& sets) {
    const std::size_t count = sets.empty() ? 0 : sets[0].size() * 64;
    const std::vector<std::vector<std::size_t>> holding = holders(sets, count);
    const bool anyNonEmpty = std::any_of(holding.begin(), holding.end(), [](const auto& h) { return !h.empty(); });
    std::vector<std::size_t> maximal;
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const std::size_t rarest = rarestIn(sets[i], holding);
        const bool larger = rarest == count ? anyNonEmpty : std::any_of(holding[rarest].begin(), holding[rarest].end(), [&](std::size_t k) {
            return sets[k] != sets[i] && isSubset(sets[i], sets[k]);
        });
        if (!larger) maximal.push_back(i);
    }
    return maximal;
}

// The smallest number of the set (64 times its size when it is empty).
inline std::size_t firstOf(const BitSet& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != 0) return i * 64 + static_cast<std::size_t>(__builtin_ctzll(s[i]));
    }
    return s.size() * 64;
}

}  // namespace initform
