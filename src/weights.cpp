// Reading the weights of a vector text.
#include "weights.hpp"

#include <optional>

#include "exact.hpp"
#include "valued.hpp"
#include "numbers.hpp"
#include "pieces.hpp"
#include "errors.hpp"

namespace initform {

namespace {

// The text between a vector's brackets, cut at ',' into the texts of its
// weights (for a text of fewer than 3 characters, one empty piece). The
// pieces are taken one at a time, never listed: a vector may be long.
std::string_view weightsText(std::string_view arg) {
    return arg.size() < 2 ? std::string_view{} : arg.substr(1, arg.size() - 2);
}

// Stands the dropped weights in at the weight numbered `count`, when it is
// the first beyond the limit: they are counted, and what reading them said
// is said.
void carryIn(std::size_t& count, std::size_t limit, const WeightsCarry* dropped) {
    if (dropped == nullptr || count != limit) return;
    if (dropped->error) throw BadInput(*dropped->error);
    count += dropped->count;
}

// Weights that are fractions or leave 64 bits: scaled by the least common
// multiple of their denominators to integers, kept as GMP integers unless
// they all fit in 64 bits after all.
WeightsOf<Exact> readRationalWeights(std::string_view text, std::size_t limit, const WeightsCarry* dropped) {
    std::vector<mpq_class> exact;
    mpz_class scale = 1;  // the least common multiple of the denominators
    std::size_t count = 0;
    for (Pieces pieces(text, ','); pieces.next(); ++count) {
        carryIn(count, limit, dropped);
        mpq_class q = readRational(pieces.piece());
        if (count >= limit) continue;
        mpz_lcm(scale.get_mpz_t(), scale.get_mpz_t(), q.get_den_mpz_t());
        exact.push_back(std::move(q));
    }
    carryIn(count, limit, dropped);  // when the text ends with the first weights
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
WeightsOf<Wrapping> readWeights<Wrapping>(std::string_view arg, WrapNotes* notes, std::size_t limit,
                                          const WeightsCarry* dropped) {
    WeightsOf<Wrapping> w;
    for (Pieces pieces(weightsText(arg), ','); pieces.next(); ++w.count) {
        carryIn(w.count, limit, dropped);
        const std::int64_t v = readNumber64(pieces.piece());
        const auto low = static_cast<std::int32_t>(v);
        if (v != low) noteWrap(notes);
        if (w.count < limit) w.values.push_back(low);
    }
    carryIn(w.count, limit, dropped);
    return w;
}

template <>
WeightsOf<Exact> readWeights<Exact>(std::string_view arg, WrapNotes*, std::size_t limit, const WeightsCarry* dropped) {
    WeightsOf<Exact> w;
    for (Pieces pieces(weightsText(arg), ','); pieces.next(); ++w.count) {
        carryIn(w.count, limit, dropped);
        // The usual weights, integers of 64 bits, need no rational arithmetic
        // (without a '/' a piece reads as the same integer either way).
        const std::string_view piece = pieces.piece();
        const std::optional<std::int64_t> v = piece.find('/') == npos ? readExact64(piece) : std::nullopt;
        if (!v) return readRationalWeights(weightsText(arg), limit, dropped);
        if (w.count < limit) w.values.push_back(*v);
    }
    carryIn(w.count, limit, dropped);
    return w;
}

template <>
WeightsOf<Valued> readWeights<Valued>(std::string_view arg, WrapNotes* notes, std::size_t limit,
                                      const WeightsCarry* dropped) {
    WeightsOf<Exact> w = readWeights<Exact>(arg, notes, limit, dropped);
    return {std::move(w.values), std::move(w.big), std::move(w.scale), w.count};
}

template <>
void dropWeight<Wrapping>(std::string_view piece, WrapNotes* notes, WeightsCarry& carry) {
    const std::int64_t v = readNumber64(piece);
    if (v != static_cast<std::int32_t>(v)) noteWrap(notes);
    ++carry.count;
}

template <>
void dropWeight<Exact>(std::string_view piece, WrapNotes*, WeightsCarry& carry) {
    ++carry.count;
    // An integer of 64 bits says nothing; anything else is read as a fraction.
    if (carry.error || (piece.find('/') == npos && readExact64(piece))) return;
    try {
        readRational(piece);
    } catch (const BadInput& error) {
        carry.error = error.message;
    }
}

template <>
void dropWeight<Valued>(std::string_view piece, WrapNotes* notes, WeightsCarry& carry) {
    dropWeight<Exact>(piece, notes, carry);
}

}  // namespace initform
