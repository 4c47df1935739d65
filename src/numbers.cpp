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

std::int64_t readNumber64(std::string_view text) {
    const Magnitude m = skipToDigits(text);
    const std::uint64_t limit = limitOf(m);  // beyond it the value is clamped
    std::uint64_t value = 0;
    for (std::size_t i = m.digits; i < text.size() && isDigit(text[i]); ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        // Tested before multiplying, so that the product never wraps.
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return static_cast<std::int64_t>(m.negative ? 0 - value : value);
}

std::int32_t readNumber(std::string_view text) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(readNumber64(text)));
}

std::optional<std::int64_t> readExact64(std::string_view text) {
    const Magnitude m = skipToDigits(text);
    const std::uint64_t limit = limitOf(m);
    std::uint64_t value = 0;
    for (std::size_t i = m.digits; i < text.size() && isDigit(text[i]); ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (value > (limit - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return static_cast<std::int64_t>(m.negative ? 0 - value : value);
}

}  // namespace initform
