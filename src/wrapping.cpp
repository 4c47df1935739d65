// The default arithmetic's numbers: coefficients read in 32 bits, and the
// bound under which no degree can wrap.
#include "wrapping.hpp"

#include "numbers.hpp"
#include "writer.hpp"

namespace initform {

std::uint64_t Wrapping::safeBound(std::span<const Weight> weights) {
    const std::uint64_t m = std::max<std::uint64_t>(1, largestMagnitude(weights));
    const std::uint64_t limit = (std::uint64_t{1} << 31) / kFewFactors / m;
    // Exponents of one digit stay out of the bound: with them in bounds,
    // any exponent of several digits is checked; without, every term is.
    if (limit >= 10) return std::min(limit, kExponentLimit);
    return kFewFactors * 9 * m < (std::uint64_t{1} << 31) ? 1 : 0;
}

std::int32_t Wrapping::makeCoeff(CoeffStore& store, const CoeffText& c) {
    if (c.unit) return c.negative ? -1 : 1;
    // Ten digits at least leave 32 bits (2^31 itself only after a minus sign).
    if (c.numSize > 9) [[unlikely]] {
        const std::uint64_t v = c.numSize > kSafeDigits ? static_cast<std::uint64_t>(readNumber64(c.num())) : c.value;
        if (v > (std::uint64_t{1} << 31) - (c.negative ? 0 : 1)) noteWrap(store.notes);
    }
    const std::uint32_t value = c.numSize > kSafeDigits ? static_cast<std::uint32_t>(readNumber(c.num()))
                                                           : static_cast<std::uint32_t>(c.value);
    return static_cast<std::int32_t>(c.negative ? 0 - value : value);
}

void Wrapping::printCoeff(const CoeffStore&, Coeff c, Writer& out) { out.putNumber(c); }

}  // namespace initform
