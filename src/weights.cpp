// Reading the weights of a vector text.
#include "weights.hpp"

#include <optional>

#include "exact.hpp"
#include "valued.hpp"
#include "numbers.hpp"
#include "pieces.hpp"

namespace initform {

namespace {

// The texts of the weights of a vector: the pieces between its brackets
// (none for a text of fewer than 3 characters: one empty piece).
StringList weightTexts(std::string_view arg) {
    StringList pieces;
    populate(pieces, arg.size() < 2 ? std::string_view{} : arg.substr(1, arg.size() - 2), ',');
    return pieces;
}

// Weights that are fractions or leave 64 bits: scaled by the least common
// multiple of their denominators to integers, kept as GMP integers unless
// they all fit in 64 bits after all.
WeightsOf<Exact> readRationalWeights(const StringList& pieces) {
    std::vector<mpq_class> exact;
    exact.reserve(pieces.size());
    mpz_class scale = 1;  // the least common multiple of the denominators
    for (std::string_view piece : pieces) {
        exact.push_back(readRational(piece));
        mpz_lcm(scale.get_mpz_t(), scale.get_mpz_t(), exact.back().get_den_mpz_t());
    }
    WeightsOf<Exact> w;
    w.scale = scale;
    w.big.reserve(exact.size());
    bool fits = true;
    for (const mpq_class& q : exact) {
        w.big.push_back(q.get_num() * (scale / q.get_den()));
        fits = fits && w.big.back().fits_slong_p();
    }
    if (fits) {
        for (const mpz_class& v : w.big) w.values.push_back(v.get_si());
        w.big.clear();
    } else {
        w.values.assign(w.big.size(), 0);
    }
    return w;
}

}  // namespace

template <>
WeightsOf<Wrapping> readWeights<Wrapping>(std::string_view arg, WrapNotes* notes) {
    const StringList pieces = weightTexts(arg);
    WeightsOf<Wrapping> w;
    w.values.reserve(pieces.size());
    for (std::string_view piece : pieces) {
        const std::int64_t v = readNumber64(piece);
        w.values.push_back(static_cast<std::int32_t>(v));
        if (v != w.values.back()) noteWrap(notes);
    }
    return w;
}

template <>
WeightsOf<Exact> readWeights<Exact>(std::string_view arg, WrapNotes*) {
    const StringList pieces = weightTexts(arg);
    WeightsOf<Exact> w;
    w.values.reserve(pieces.size());
    for (std::string_view piece : pieces) {
        // The usual weights, integers of 64 bits, need no rational arithmetic
        // (without a '/' a piece reads as the same integer either way).
        const std::optional<std::int64_t> v = piece.find('/') == npos ? readExact64(piece) : std::nullopt;
        if (!v) return readRationalWeights(pieces);
        w.values.push_back(*v);
    }
    return w;
}

template <>
WeightsOf<Valued> readWeights<Valued>(std::string_view arg, WrapNotes* notes) {
    WeightsOf<Exact> w = readWeights<Exact>(arg, notes);
    return {std::move(w.values), std::move(w.big), std::move(w.scale)};
}

}  // namespace initform
