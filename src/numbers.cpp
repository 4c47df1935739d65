// The strtol-style readers of numbers.
#include "numbers.hpp"

namespace initform {

namespace {

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');  // the C locale's white space
}

// The magnitude beyond which a number leaves the signed 64-bit range.
std::uint64_t limitOf(const Magnitude& m) {
    return m.negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
}

}  // namespace

Magnitude skipToDigits(std::string_view text) {
    Magnitude m;
    std::size_t& i = m.digits;
    while (i < text.size() && isSpace(text[i])) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        m.negative = text[i] == '-';
        ++i;
    }
    return m;
}

namespace {

// The digits of a strtol-style number as a magnitude, up to the limit of
// its sign; nullopt once they pass it.
std::optional<std::uint64_t> magnitudeOf(std::string_view text, const Magnitude& m) {
    const std::uint64_t limit = limitOf(m);
    std::uint64_t value = 0;
    for (std::size_t i = m.digits; i < text.size() && isDigit(text[i]); ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        // Tested before multiplying, so that the product never wraps.
        if (value > (limit - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

std::int64_t readNumber64(std::string_view text) {
    const Magnitude m = skipToDigits(text);
    const std::uint64_t value = magnitudeOf(text, m).value_or(limitOf(m));  // beyond the limit: clamped
    return static_cast<std::int64_t>(m.negative ? 0 - value : value);
}

std::int32_t readNumber(std::string_view text) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(readNumber64(text)));
}

std::optional<std::int64_t> readExact64(std::string_view text) {
    const Magnitude m = skipToDigits(text);
    const std::optional<std::uint64_t> value = magnitudeOf(text, m);
    if (!value) return std::nullopt;
    return static_cast<std::int64_t>(m.negative ? 0 - *value : *value);
}

}  // namespace initform
