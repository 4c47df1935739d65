// The weights of a vector text, as either arithmetic holds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "polynomial.hpp"
#include "wrapping.hpp"

namespace initform {

// The weights of one query.
template <class A>
struct WeightsOf {
    WeightVectorOf<A> values;
    // Exact mode: the weights, scaled to integers, when one of them leaves
    // 64 bits (`values` then holds zeros).
    std::vector<typename A::BigWeight> big;
    // Exact mode: the factor fractions were scaled by (1 without them).
    typename A::BigWeight scale = 1;
    // The number of weights in the text; only the first `limit` are kept.
    std::size_t count = 0;
};

// The weights of a vector text: the text without its first and last
// character, cut at ','. Each piece is read like a C integer; in the
// default mode only its low 32 bits stay (a weight that wraps is noted);
// with --exact it may be a fraction p/q and of any size, and the weights
// are scaled by the least common multiple of their denominators (which
// changes no initial form). Throws ZeroDenominator for a piece such as 1/0.
// Weights beyond `limit` (the ring's length, where it is known) are read
// and counted but not kept: such a vector is refused for its length.
template <class A>
WeightsOf<A> readWeights(std::string_view arg, WrapNotes* notes = nullptr, std::size_t limit = SIZE_MAX);

}  // namespace initform
