// The valuation at a prime: of coefficients as written, of coefficients
// held in a polynomial, and their residues.
#include "valued.hpp"

#include <algorithm>
#include <string>

#include "pieces.hpp"

namespace initform {

namespace {

// How many times P divides the nonzero v, for a P of 64 bits.
std::int64_t timesDivides(std::uint64_t v, std::uint64_t p) {
    std::int64_t count = 0;
    for (; v % p == 0; v /= p) ++count;
    return count;
}

// How many times P divides the nonzero z.
std::int64_t timesDivides(mpz_class z, const Prime& prime) {
    if (prime.small != 0 && mpz_fdiv_ui(z.get_mpz_t(), prime.small) != 0) return 0;
    return static_cast<std::int64_t>(mpz_remove(z.get_mpz_t(), z.get_mpz_t(), prime.value.get_mpz_t()));
}

// The remainder mod p (of 64 bits) of the number written by `digits`, read
// `chunk` digits at a time in the unsigned type Wide, which must hold
// p * 10^chunk.
template <std::size_t chunk, class Wide>
std::uint64_t remainderOf(std::string_view digits, std::uint64_t p) {
    std::uint64_t rest = 0;
    for (std::size_t i = 0; i < digits.size(); i += chunk) {
        const std::size_t n = std::min(chunk, digits.size() - i);
        std::uint64_t value = 0;
        Wide scale = 1;
        for (std::size_t k = 0; k < n; ++k, scale *= 10) value = value * 10 + static_cast<std::uint64_t>(digits[i + k] - '0');
        rest = static_cast<std::uint64_t>((static_cast<Wide>(rest) * scale + value) % p);
    }
    return rest;
}

// The valuation of the number written by `digits`; nullopt for 0. Most
// numbers are told apart by their remainder mod P alone, read in chunks
// (of 9 digits in 64 bits for a P below 2^32, else of 18 in 128 bits), or
// by having fewer digits than P.
std::optional<std::int64_t> valuationOf(std::string_view digits, const Prime& prime) {
    const std::size_t first = digits.find_first_not_of('0');
    if (first == npos) return std::nullopt;
    digits.remove_prefix(first);
    if (prime.small != 0) {
        const bool narrow = prime.small < (std::uint64_t{1} << 32);
        const std::uint64_t rest = narrow ? remainderOf<9, std::uint64_t>(digits, prime.small)
                                          : remainderOf<kSafeDigits, UInt128>(digits, prime.small);
        if (rest != 0) return 0;
    } else if (digits.size() < prime.digits) {
        return 0;  // smaller than P
    }
    return timesDivides(mpz_class(std::string(digits)), prime);
}

// scale * count, negated for --max.
ExactDegree scaled(const Valued::Valuation& v, std::int64_t count) {
    ExactDegree d;
    Exact::addDegree(d, v.scale);
    if (d.big) {
        *d.big *= static_cast<long>(count);
    } else {
        d = {};
        Exact::addProduct(d, v.scale.small, count);
    }
    if (v.field->negated) {
        if (d.big) {
            *d.big = -*d.big;
        } else if (d.small == INT64_MIN) {
            d.big = -toMpz(d.small);
        } else {
            d.small = -d.small;
        }
    }
    return d;
}


}  // namespace

std::int64_t valuationOf(const mpq_class& q, const Prime& prime) {
    return timesDivides(q.get_num(), prime) - timesDivides(q.get_den(), prime);
}

std::optional<Prime> readPrime(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != npos) return std::nullopt;
    Prime p;
    p.value = mpz_class(std::string(text), 10);
    if (mpz_probab_prime_p(p.value.get_mpz_t(), 30) == 0) return std::nullopt;
    p.small = p.value.fits_ulong_p() ? p.value.get_ui() : 0;
    p.digits = p.value.get_str().size();
    return p;
}

Valued::Valuation Valued::valuation(const Field& field, const mpz_class& scale) {
    Valuation v{&field, field.prime.small, {}};
    if (scale.fits_slong_p()) {
        v.scale.small = scale.get_si();
    } else {
        v.scale.big = scale;
    }
    return v;
}

bool Valued::shiftOfDivided(const CoeffText& c, const Valuation& v, Degree& shift) {
    const Prime& prime = v.field->prime;
    std::int64_t count;
    if (c.denSize == 0 && c.numSize <= kSafeDigits) {
        count = timesDivides(c.value, prime.small);  // P divides it: shiftOf tested
    } else {
        const std::optional<std::int64_t> num = valuationOf(c.num(), prime);
        if (!num) return false;
        count = *num - (c.denSize == 0 ? 0 : valuationOf(c.den(), prime).value_or(0));
        if (count == 0) return false;
    }
    if (!v.scale.big) {
        // The usual scale of 1, or another of 64 bits: no GMP needed.
        const Int128 product = static_cast<Int128>(v.scale.small) * count * (v.field->negated ? -1 : 1);
        if (product == static_cast<std::int64_t>(product)) {
            shift.small = static_cast<std::int64_t>(product);
            if (shift.big) shift.big.reset();
            return true;
        }
    }
    shift = scaled(v, count);
    return true;
}

void Valued::addShift(Degree& d, const CoeffStore& store, Coeff c, const Valuation& v) {
    if (v.field == nullptr || isZero(c)) return;
    std::int64_t count;
    if (!c.big && v.field->prime.small != 0) {
        const std::uint64_t magnitude = c.small < 0 ? 0 - static_cast<std::uint64_t>(c.small) : static_cast<std::uint64_t>(c.small);
        count = timesDivides(magnitude, v.field->prime.small);
    } else {
        count = valuationOf(valueOf(store, c), v.field->prime);
    }
    if (count != 0) addDegree(d, scaled(v, count));
}

void Valued::toResidues(PolynomialOf<Valued>& p, const Valuation& v) {
    if (v.field == nullptr) return;
    const mpz_class& prime = v.field->prime.value;
    for (TermOf<Valued>& t : p.terms) {
        if (isZero(t.coeff)) continue;
        if (!t.coeff.big && v.prime != 0) {
            // An integer and a prime of 64 bits: no GMP needed.
            const bool negative = t.coeff.small < 0;
            std::uint64_t unit = negative ? 0 - static_cast<std::uint64_t>(t.coeff.small)
                                          : static_cast<std::uint64_t>(t.coeff.small);
            while (unit % v.prime == 0) unit /= v.prime;
            const std::uint64_t residue = negative ? v.prime - unit % v.prime : unit % v.prime;
            if (residue <= static_cast<std::uint64_t>(INT64_MAX)) {
                t.coeff.small = static_cast<std::int64_t>(residue);
            } else {
                t.coeff = coeffOf(p.coeffs, mpq_class(mpz_class(static_cast<unsigned long>(residue))));
            }
            continue;
        }
        mpq_class q = valueOf(p.coeffs, t.coeff);
        // The unit part: num/den without their factors P; then num / den mod P.
        mpz_remove(q.get_num_mpz_t(), q.get_num_mpz_t(), prime.get_mpz_t());
        mpz_remove(q.get_den_mpz_t(), q.get_den_mpz_t(), prime.get_mpz_t());
        mpz_class residue;
        mpz_invert(residue.get_mpz_t(), q.get_den_mpz_t(), prime.get_mpz_t());
        residue *= q.get_num();
        mpz_mod(residue.get_mpz_t(), residue.get_mpz_t(), prime.get_mpz_t());
        t.coeff = coeffOf(p.coeffs, mpq_class(residue));
    }
}

}  // namespace initform
