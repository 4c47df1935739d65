// Initial forms over the P-adic numbers (--valuation P): a term c·x^a has
// the valued degree val_P(c) + w·a, and the terms of smallest valued degree
// stay (with --max, the largest -val_P(c) + w·a), their coefficients written
// as residues of their unit parts mod P: the initial form over GF(P).
//
// The arithmetic is Exact's, with the valuation added to the degree. The
// reader drops terms by the valuation of each coefficient as written; a
// coefficient P does not divide (the usual case) costs one divisibility test.
#pragma once

#include <gmpxx.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "exact.hpp"
#include "numbers.hpp"
#include "polynomial.hpp"

namespace initform {

// A prime of any size, with what the reader's tests need of it.
struct Prime {
    mpz_class value;
    std::uint64_t small = 0;  // the prime when it fits 64 bits, else 0
    std::size_t digits = 0;   // its decimal digits
};
// The prime a text of decimal digits names; nullopt for any other text.
std::optional<Prime> readPrime(std::string_view text);
// The valuation at the prime of a nonzero rational.
std::int64_t valuationOf(const mpq_class& q, const Prime& prime);

struct Valued : Exact {
    static constexpr bool valued = true;
    // The coefficients' field, Q_P, and the convention: with --max the
    // valuation is negated, not added.
    struct Field {
        Prime prime;
        bool negated = false;
    };
    // What a query knows of the valuation: the field (none for a query that
    // reads polynomials whole), and the factor its weights were scaled by,
    // which scales the valuation with them.
    struct Valuation {
        const Field* field = nullptr;
        std::uint64_t prime = 0;  // the prime when it fits 64 bits, else 0
        ExactDegree scale{1, std::nullopt};
    };
    static Valuation valuation(const Field& field, const mpz_class& scale);
    // The shift of a term's degree by its coefficient as written: the
    // scaled valuation, negated for --max. False when that is 0 (shift then
    // unchanged; a coefficient of 0 counts as none: its term cancels later).
    // Inline for the usual coefficient, of at most 18 digits, that P does
    // not divide: one test.
    static bool shiftOf(const CoeffText& c, const Valuation& v, Degree& shift) {
        if (c.unit || v.field == nullptr) return false;
        if (c.denSize == 0 && c.numSize <= kSafeDigits && (c.value == 0 || v.prime == 0 || c.value % v.prime != 0)) {
            return false;  // (a number of 18 digits is smaller than a prime beyond 64 bits)
        }
        return shiftOfDivided(c, v, shift);
    }
    // The same for the other coefficients.
    static bool shiftOfDivided(const CoeffText& c, const Valuation& v, Degree& shift);
    // d shifted by the valuation of a coefficient held in a polynomial.
    static void addShift(Degree& d, const CoeffStore& store, Coeff c, const Valuation& v);
    // Each coefficient of p replaced by the residue of its unit part mod P,
    // from 1 to P - 1.
    static void toResidues(PolynomialOf<Valued>& p, const Valuation& v);
};

}  // namespace initform
