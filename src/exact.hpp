// The exact arithmetic of --exact: rationals of any size, exponents and
// weights of 64 bits, weighted degrees of any size. It keeps values in
// 64-bit integers while they fit and moves them to GMP only when they must,
// so that the usual small numbers cost what the default mode's cost. This
// is the only header that includes GMP.
#pragma once

#include <gmpxx.h>

#include <compare>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "numbers.hpp"
#include "polynomial.hpp"
#include "wrapping.hpp"

namespace initform {

class Writer;

// An exact weighted degree: in 64 bits while it fits, in GMP beyond.
struct ExactDegree {
    std::int64_t small = 0;
    std::optional<mpz_class> big;  // the value, when set
};
// Compares degrees of which at least one is held in GMP.
std::strong_ordering compareBig(const ExactDegree& a, const ExactDegree& b);
inline std::strong_ordering operator<=>(const ExactDegree& a, const ExactDegree& b) {
    if (a.big || b.big) [[unlikely]] return compareBig(a, b);
    return a.small < b.small ? std::strong_ordering::less
                             : (b.small < a.small ? std::strong_ordering::greater : std::strong_ordering::equal);
}
inline bool operator==(const ExactDegree& a, const ExactDegree& b) { return (a <=> b) == 0; }
// The reader's test, written out so that it costs one comparison.
inline bool operator<(const ExactDegree& a, const ExactDegree& b) {
    if (a.big || b.big) [[unlikely]] return compareBig(a, b) < 0;
    return a.small < b.small;
}

// An exact coefficient: a 64-bit integer, or a rational kept in the
// polynomial's coefficient store. A value that fits the integer is always
// kept there, so that "is it 1?" and "is it 0?" have one answer each.
struct ExactCoeff {
    std::int64_t small = 0;
    std::uint32_t big = 0;  // 0: `small` is the value; k: store slot k - 1
};

struct Exact {
    static constexpr bool exact = true;
    using Exponent = std::int64_t;
    using Weight = std::int64_t;
    // Weights beyond 64 bits, scaled to integers.
    using BigWeight = mpz_class;
    // Coefficients carry no valuation (--valuation has an arithmetic of its
    // own, Valued): the field and a query's valuation hold nothing.
    static constexpr bool valued = false;
    struct Field {};
    struct Valuation {};
    static Valuation valuation(const Field&, const BigWeight&) { return {}; }
    using Degree = ExactDegree;
    // A degree summed factor by factor in 64 bits with wrap-around, as in
    // the default mode: it is the exact degree for a term that fastFactors
    // admits, and summed again exactly for any other.
    using DegreeSum = std::uint64_t;
    using Coeff = ExactCoeff;
    // The rationals of one polynomial. Slots are reused from one polynomial
    // to the next, so that their memory is allocated once.
    struct CoeffStore {
        std::deque<mpq_class> values;
        std::size_t used = 0;
        std::string scratch;  // digits being converted
        void clear() { used = 0; }
    };
    // Nothing wraps: there is nothing to note.
    static void routeWraps(CoeffStore&, WrapNotes*) {}

    static void addProduct(Degree& d, Exponent e, Weight w) {
        const Int128 product = static_cast<Int128>(e) * w;  // |e|, |w| <= 2^63: fits
        const Int128 sum = d.small + product;                 // and so does this
        if (d.big || sum != static_cast<std::int64_t>(sum)) [[unlikely]] {
            addBig(d, product);
        } else {
            d.small = static_cast<std::int64_t>(sum);
        }
    }
    // d += product, in GMP.
    static void addBig(Degree& d, Int128 product);
    // d += e.
    static void addDegree(Degree& d, const Degree& e);
    static void addProduct(DegreeSum& d, Exponent e, Weight w) {
        d += static_cast<std::uint64_t>(e) * static_cast<std::uint64_t>(w);
    }
    // A term's exponents are bounded while it is read: each plus
    // kBoundOffset is OR-ed into a word, its bound, which stays below
    // 2^kBoundBits while every exponent lies in [-2^32, 2^32).
    static constexpr std::uint64_t kBoundOffset = std::uint64_t{1} << 32;
    static constexpr unsigned kBoundBits = 33;
    static void widenBound(std::uint64_t& bound, Exponent e) { bound |= static_cast<std::uint64_t>(e) + kBoundOffset; }
    // The count of factors bounds the sums by itself (fastFactors).
    static void widenForManyFactors(std::uint64_t&) {}
    // An exponent that is not plain digits, read as strtol reads it;
    // nullopt beyond 64 bits.
    static std::optional<std::int64_t> readExponent(std::string_view text) { return readExact64(text); }
    // A coefficient may be a fraction, digits '/' digits.
    static constexpr bool kFractions = true;
    // Fewer than this many such exponents sum to less than 2^62 in magnitude.
    static constexpr std::size_t kBoundFactors = std::size_t{1} << 30;
    // The number of factors below which a term whose bound is in range has
    // its 64-bit DegreeSum exact, for these weights: it is 0 when the
    // weights leave [-2^31, 2^31), so that every degree is summed again.
    static std::size_t fastFactors(std::span<const Weight> weights);
    // True when the exponents of a term of `factors` factors with this
    // bound sum without leaving their range.
    static bool exponentsSafe(std::uint64_t bound, std::size_t factors) {
        return (bound >> kBoundBits) == 0 && factors < kBoundFactors;
    }
    static bool addExponent(Exponent& sum, Exponent e) { return !__builtin_add_overflow(sum, e, &sum); }
    static bool subExponent(Exponent& v, Exponent g) { return !__builtin_sub_overflow(v, g, &v); }
    static Exponent exponentFromDigits(std::uint64_t value) {
        return static_cast<Exponent>(value);  // below 10^18: exact
    }
    // Inline for the small integers of nearly every term: the reader's hot
    // loop pays a call only for the others.
    [[gnu::always_inline]] static Coeff makeCoeff(CoeffStore& store, const CoeffText& c) {
        if (c.unit) return {c.negative ? -1 : 1, 0};
        if (c.denSize == 0 && c.numSize <= kSafeDigits) {
            const auto v = static_cast<std::int64_t>(c.value);
            return {c.negative ? -v : v, 0};
        }
        return makeBigCoeff(store, c);
    }
    // A coefficient of more digits than 64 bits hold, or a fraction.
    static Coeff makeBigCoeff(CoeffStore& store, CoeffText c);
    static int unitSign(Coeff c) {
        return c.big != 0 || (c.small != 1 && c.small != -1) ? 0 : static_cast<int>(c.small);
    }
    // A rational in the store is never an integer that fits `small`, so 0 is there.
    static bool isZero(Coeff c) { return c.big == 0 && c.small == 0; }
    [[gnu::always_inline]] static Degree rank(Degree d, bool smallest) {
        if (!smallest) return d;
        if (d.big) {
            mpz_com(d.big->get_mpz_t(), d.big->get_mpz_t());
        } else {
            d.small = ~d.small;
        }
        return d;
    }
    // Where a query's floor starts for each polynomial: at 0, or at the
    // lowest 64-bit rank. Degrees below that (beyond 64 bits) are dropped by
    // the reader; a polynomial left without terms is then read again and
    // selected exactly.
    static void resetFloor(Degree& floor, bool atZero) {
        floor.small = atZero ? 0 : INT64_MIN;
        if (floor.big) floor.big.reset();
    }
    // A floor beyond 64 bits keeps in `small` the 64-bit value nearest to
    // it, so that the reader compares a 64-bit rank with `small` alone.
    // Inline, with the 64-bit case first: the reader raises the floor at
    // every new highest term.
    [[gnu::always_inline]] static void raiseFloor(Degree& floor, Degree&& rank) {
        if (!rank.big && !floor.big) [[likely]] {
            floor.small = rank.small;
            return;
        }
        floor = std::move(rank);
        if (floor.big) floor.small = sgn(*floor.big) < 0 ? INT64_MIN : INT64_MAX;
    }
    // Degrees do not wrap: there is nothing to check.
    template <class Entry>
    static void checkDegree(std::span<const Entry>, std::span<const Weight>, WrapNotes*) {}
    static void addCoeff(CoeffStore& store, Coeff& into, Coeff c);
    static Coeff copyCoeff(const CoeffStore& from, Coeff c, CoeffStore& to);
    static bool isNegative(const CoeffStore& store, Coeff c) {
        return c.big ? sgn(store.values[c.big - 1]) < 0 : c.small < 0;
    }
    static void printCoeff(const CoeffStore& store, Coeff c, Writer& out);
    // A coefficient's value, and the coefficient of a value.
    static mpq_class valueOf(const CoeffStore& store, Coeff c);
    static Coeff coeffOf(CoeffStore& store, const mpq_class& q);
    // The exact degree of a term under weights of any size.
    template <class Entry>
    static ExactDegree bigDot(std::span<const Entry> key, std::span<const mpz_class> weights) {
        ExactDegree d{0, mpz_class(0)};
        mpz_class e;
        for (const Entry& x : key) {
            e = static_cast<long>(x.exp);
            mpz_addmul(d.big->get_mpz_t(), e.get_mpz_t(), weights[x.var].get_mpz_t());
        }
        return d;
    }
};

// v as a GMP integer.
mpz_class toMpz(Int128 v);

// Reads a number as readExact64 does, of any size, and when its digits are
// followed by '/' and more digits, the fraction they make. Throws
// ZeroDenominator (naming the whole text) for a denominator of 0.
mpq_class readRational(std::string_view text);

}  // namespace initform
