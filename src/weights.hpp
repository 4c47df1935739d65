// The weights of a vector text, as either arithmetic holds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
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
// `dropped`, when given, stands for weights read earlier that followed the
// first `limit` in the text (see WeightsCarry).
template <class A>
WeightsOf<A> readWeights(std::string_view arg, WrapNotes* notes = nullptr, std::size_t limit = SIZE_MAX,
                         const struct WeightsCarry* dropped = nullptr);

// Weights of a line too long for its ring that were read as the line came
// in and dropped from it: their number, and what reading them said first
// (a bad input's message). They stand after the ring's first weights.
struct WeightsCarry {
    std::size_t count = 0;
    std::optional<std::string> error;
};

// Reads a weight only for what reading it says: a wrap-around noted, or
// the first bad input kept; and counts it.
template <class A>
void dropWeight(std::string_view piece, WrapNotes* notes, WeightsCarry& carry);

}  // namespace initform
