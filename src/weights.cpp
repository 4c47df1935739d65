// Reading the weights of a vector text.
#include "weights.hpp"

#include <optional>

#include "exact.hpp"
#include "valued.hpp"
#include "numbers.hpp"
#include "pieces.hpp"

namespace initform {

namespace {

// The text between a vector's brackets, cut at ',' into the texts of its
// weights (for a text of fewer than 3 characters, one empty piece). The
// pieces are taken one at a time, never listed: a vector may be long.
std::string_view weightsText(std::string_view arg) {
    return arg.size() < 2 ? std::string_view{} : arg.substr(1, arg.size() - 2);
}

// Weights that are fractions or leave 64 bits: scaled by the least common
// multiple of their denominators to integers, kept as GMP integers unless
// they all fit in 64 bits after all.
WeightsOf<Exact> readRationalWeights(std::string_view text, std::size_t limit) {
    std::vector<mpq_class> exact;
    mpz_class scale = 1;  // the least common multiple of the denominators
    std::size_t count = 0;
    for (Pieces pieces(text, ','); pieces.next(); ++count) {
        mpq_class q = readRational(pieces.piece());
        if (count >= limit) continue;
        mpz_lcm(scale.get_mpz_t(), scale.get_mpz_t(), q.get_den_mpz_t());
        exact.push_back(std::move(q));
    }
    WeightsOf<Exact> w;
    w.scale = scale;
    w.count = count;
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
WeightsOf<Wrapping> readWeights<Wrapping>(std::string_view arg, WrapNotes* notes, std::size_t limit) {
    WeightsOf<Wrapping> w;
    for (Pieces pieces(weightsText(arg), ','); pieces.next(); ++w.count) {
        const std::int64_t v = readNumber64(pieces.piece());
        const auto low = static_cast<std::int32_t>(v);
        if (v != low) noteWrap(notes);
        if (w.count < limit) w.values.push_back(low);
    }
    return w;
}

template <>
WeightsOf<Exact> readWeights<Exact>(std::string_view arg, WrapNotes*, std::size_t limit) {
    WeightsOf<Exact> w;
    for (Pieces pieces(weightsText(arg), ','); pieces.next(); ++w.count) {
        // The usual weights, integers of 64 bits, need no rational arithmetic
        // (without a '/' a piece reads as the same integer either way).
        const std::string_view piece = pieces.piece();
        const std::optional<std::int64_t> v = piece.find('/') == npos ? readExact64(piece) : std::nullopt;
        if (!v) return readRationalWeights(weightsText(arg), limit);
        if (w.count < limit) w.values.push_back(*v);
    }
    return w;
}

template <>
WeightsOf<Valued> readWeights<Valued>(std::string_view arg, WrapNotes* notes, std::size_t limit) {
    WeightsOf<Exact> w = readWeights<Exact>(arg, notes, limit);
    return {std::move(w.values), std::move(w.big), std::move(w.scale), w.count};
}

}  // namespace initform
