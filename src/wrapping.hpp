// The default arithmetic: numbers of 32 bits that wrap around, as the
// document format defines them, and the one note a run keeps of it.
//
// The reader, the operations and the printer are written once, as templates
// over an arithmetic: this one, or Exact (exact.hpp) under --exact. An
// arithmetic names its number types and the few operations that differ.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "numbers.hpp"
#include "polynomial.hpp"

namespace initform {

class Writer;

// Where the default mode notes that a number or a sum left 32 bits and
// wrapped around: one flag for the whole run, which ends with a warning when
// it is set. Reading and selecting reach it through their query; a null
// sink notes nothing.
struct WrapNotes {
    bool any = false;
};
inline void noteWrap(WrapNotes* notes) {
    if (notes != nullptr) notes->any = true;
}

struct Wrapping {
    static constexpr bool exact = false;
    using Exponent = std::int32_t;
    using Weight = std::int32_t;
    using Degree = std::int32_t;
    // A degree as the reader sums it, factor by factor: the degree itself.
    using DegreeSum = Degree;
    using Coeff = std::int32_t;
    // Coefficients need no storage beside the terms: the store only knows
    // where a coefficient or a sum that wraps is noted.
    struct CoeffStore {
        WrapNotes* notes = nullptr;
        void clear() {}
    };
    // Weights never leave their type: the list of larger ones stays empty.
    using BigWeight = Weight;
    // Coefficients carry no valuation (--valuation has an arithmetic of its
    // own): the field and a query's valuation hold nothing.
    static constexpr bool valued = false;
    struct Field {};
    struct Valuation {};
    static Valuation valuation(const Field&, const BigWeight&) { return {}; }
    // The store of a polynomial read through a query notes where the query does.
    static void routeWraps(CoeffStore& store, WrapNotes* notes) { store.notes = notes; }

    static void addProduct(Degree& d, Exponent e, Weight w) {
        d = static_cast<Degree>(static_cast<std::uint32_t>(d) +
                                static_cast<std::uint32_t>(e) * static_cast<std::uint32_t>(w));
    }
    // The exponents of a polynomial are bounded while it is read: those of
    // several digits are OR-ed into a bound, and a term of more than
    // kFewFactors factors sets kManyFactors there. While the bound stays
    // below safeBound(weights) no degree and no sum of exponents can wrap;
    // past it each term is checked after the polynomial is read.
    static constexpr std::size_t kFewFactors = 16;
    static constexpr std::uint64_t kManyFactors = std::uint64_t{1} << 63;
    // The bound for weights up to m in magnitude: kFewFactors exponents
    // below it (or of one digit) times m stay below 2^31. Without weights,
    // exponent sums alone: 2^27.
    static std::uint64_t safeBound(std::span<const Weight> weights);
    static constexpr std::uint64_t kExponentLimit = std::uint64_t{1} << 27;
    // Widens a bound by an exponent read as a 64-bit number (never
    // negative: a sign ends the factor), or for a term of many factors.
    static void widenBound(std::uint64_t& bound, std::int64_t value) { bound |= static_cast<std::uint64_t>(value); }
    static void widenForManyFactors(std::uint64_t& bound) { bound |= kManyFactors; }
    // An exponent that is not plain digits, read as strtol reads it; only
    // its low 32 bits stay.
    static std::optional<std::int64_t> readExponent(std::string_view text) { return readNumber64(text); }
    // Coefficients are integers.
    static constexpr bool kFractions = false;
    // sum += e, wrapping around.
    static bool addExponent(Exponent& sum, Exponent e) {
        sum = static_cast<Exponent>(static_cast<std::uint32_t>(sum) + static_cast<std::uint32_t>(e));
        return true;
    }
    static bool subExponent(Exponent& v, Exponent g) {
        v = static_cast<Exponent>(static_cast<std::uint32_t>(v) - static_cast<std::uint32_t>(g));
        return true;
    }
    // An exponent of at most kSafeDigits digits.
    static Exponent exponentFromDigits(std::uint64_t value) {
        return static_cast<Exponent>(static_cast<std::uint32_t>(value));
    }
    // The coefficient; notes when it leaves 32 bits.
    static Coeff makeCoeff(CoeffStore& store, const CoeffText& c);
    // 1 or -1 for those coefficients, else 0.
    static int unitSign(Coeff c) { return c == 1 ? 1 : (c == -1 ? -1 : 0); }
    static void addCoeff(CoeffStore& store, Coeff& into, Coeff c) {
        if (__builtin_add_overflow(into, c, &into)) [[unlikely]] noteWrap(store.notes);
    }
    static Coeff copyCoeff(const CoeffStore&, Coeff c, CoeffStore&) { return c; }
    static bool isNegative(const CoeffStore&, Coeff c) { return c < 0; }
    static bool isZero(Coeff c) { return c == 0; }
    // The order key of a degree: the degree itself, or its complement
    // (-d - 1, a bijection that reverses the order) to find the smallest.
    static Degree rank(Degree d, bool smallest) { return smallest ? ~d : d; }
    // Where a query's floor starts for each polynomial: at 0, or below
    // every rank.
    static void resetFloor(Degree& floor, bool atZero) { floor = atZero ? 0 : INT32_MIN; }
    static void raiseFloor(Degree& floor, Degree&& rank) { floor = rank; }
    // Notes when the 32 bits of a term's degree are not its value.
    static void checkDegree(std::span<const EntryOf<Wrapping>> key, std::span<const Weight> weights,
                            WrapNotes* notes) {
        Int128 sum = 0;
        for (const EntryOf<Wrapping>& e : key) sum += static_cast<Int128>(e.exp) * weights[e.var];
        if (sum != static_cast<Degree>(sum)) noteWrap(notes);
    }
    static void printCoeff(const CoeffStore&, Coeff c, Writer& out);
};

}  // namespace initform
