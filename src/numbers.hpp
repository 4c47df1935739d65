// Numbers as the text writes them: integers read the way base-10 strtol
// reads them, and the coefficient of a term as it stands in the text. Both
// arithmetics build on these readers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace initform {

// A 128-bit integer: products of two 64-bit numbers, and sums of a few;
// and its unsigned twin, for magnitudes and wrap-around.
__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

// |v|, which for the smallest Int128 only the unsigned type holds.
inline UInt128 magnitude(Int128 v) { return v < 0 ? UInt128{0} - static_cast<UInt128>(v) : static_cast<UInt128>(v); }

// Runs of at most this many digits are read in one 64-bit pass without loss.
inline constexpr std::size_t kSafeDigits = 18;

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A term's coefficient as it stands in the text, and the term's sign. A
// term without a coefficient factor has the coefficient 1 or -1 (unit);
// otherwise `digits` holds the numerator's digits, for a fraction followed
// by '/' and the denominator's, and `value` the numerator as a number when
// it has at most kSafeDigits digits. The fields of a unit are left unset:
// every term has a CoeffText, most of them are dropped.
struct CoeffText {
    bool negative = false;
    bool unit = true;
    const char* digits;
    std::size_t numSize;
    std::size_t denSize;  // 0 for an integer
    std::uint64_t value;
    std::string_view num() const { return {digits, numSize}; }
    std::string_view den() const { return {digits + numSize + 1, denSize}; }
};

// Where the digits of a strtol-style number start, past white space and
// an optional sign, and whether that sign was '-'.
struct Magnitude {
    std::size_t digits = 0;
    bool negative = false;
};
Magnitude skipToDigits(std::string_view text);

// Reads a number the way base-10 strtol reads it into a 64-bit integer:
// leading white space, optional sign, the longest run of digits (none is
// 0), clamped to the 64-bit range.
std::int64_t readNumber64(std::string_view text);
// The same, keeping only the low 32 bits.
std::int32_t readNumber(std::string_view text);
// The same without clamping: nullopt when the value leaves 64 bits.
std::optional<std::int64_t> readExact64(std::string_view text);

// The largest magnitude among the weights (0 for none), without overflow.
template <class W>
std::uint64_t largestMagnitude(std::span<const W> weights) {
    std::uint64_t m = 0;
    for (const W w : weights) m = std::max(m, w < 0 ? 0 - static_cast<std::uint64_t>(w) : static_cast<std::uint64_t>(w));
    return m;
}

}  // namespace initform
