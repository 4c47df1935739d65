// The pieces the reader of polynomial texts is built from: what each byte
// means, the scan of a term's names, and the buffer of a term's factors.
// Only the reader includes this header.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "numbers.hpp"
#include "pieces.hpp"
#include "polynomial.hpp"
#include "wrapping.hpp"

namespace initform {

// What a character means while a term is read. The bytes that may end a
// polynomial text in memory (kTerminators) stop a scan too: the scan then
// asks whether it is at the text's end or at a plain character.
enum CharClass : unsigned char { kPlain, kStar, kCaret, kSign, kStop };

struct CharClasses {
    CharClass of[256] = {};
    constexpr CharClasses() {
        of[static_cast<unsigned char>('*')] = kStar;
        of[static_cast<unsigned char>('^')] = kCaret;
        of[static_cast<unsigned char>('+')] = kSign;
        of[static_cast<unsigned char>('-')] = kSign;
        for (char c : kTerminators) of[static_cast<unsigned char>(c)] = kStop;
    }
};
inline constexpr CharClasses kClasses;

inline CharClass classOf(char c) { return kClasses.of[static_cast<unsigned char>(c)]; }

// Reads the decimal digits from pos on into v (wrapping, which is harmless:
// runs of more than kSafeDigits digits are read again by the arithmetic).
// Returns the index after the last digit; the terminator after the text
// is no digit, so the run stops there at the latest.
inline std::size_t scanDigits(const char* t, std::size_t pos, std::uint64_t& v) {
    v = 0;
    for (; isDigit(t[pos]); ++pos) v = v * 10 + static_cast<std::uint64_t>(t[pos] - '0');
    return pos;
}

// Sorts the exponent entries of a term by variable, adds up the exponents
// of a variable named in several factors and drops the entries whose
// exponent is 0. Returns the number of entries left, or nullopt when a sum
// leaves the arithmetic's range.
template <class A>
[[gnu::always_inline]] inline std::optional<std::uint32_t> normalizeKey(EntryOf<A>* first, std::size_t n) {
    if (n < 24) {
        for (std::size_t i = 1; i < n; ++i) {
            EntryOf<A> e = first[i];
            std::size_t j = i;
            for (; j > 0 && first[j - 1].var > e.var; --j) first[j] = first[j - 1];
            first[j] = e;
        }
    } else {
        std::sort(first, first + n, [](const EntryOf<A>& a, const EntryOf<A>& b) { return a.var < b.var; });
    }
    std::size_t out = 0;
    for (std::size_t i = 0; i < n;) {
        const std::uint32_t var = first[i].var;
        typename A::Exponent sum = first[i++].exp;
        for (; i < n && first[i].var == var; ++i)
            if (!A::addExponent(sum, first[i].exp)) return std::nullopt;
        if (sum != 0) first[out++] = {var, sum};
    }
    return static_cast<std::uint32_t>(out);
}

// A polynomial text and where its current term may end: at the first '+'
// or '-' at index `from` or later (the rule of nextDelimiter, applied while
// the factors are read). t[n] is one of kTerminators, so scans need no
// bounds check. The hot functions copy it into a local, so that it stays in
// registers while the entry list is written.
struct TermText {
    const char* t;
    std::size_t n;
    std::size_t from;

    // True when the character at pos ends the term.
    bool atEnd(std::size_t pos) const {
        const CharClass c = classOf(t[pos]);
        return c == kSign ? pos >= from : c == kStop && pos == n;
    }
    bool factorEnds(std::size_t pos) const { return t[pos] == '*' || atEnd(pos); }
    // True when a name goes on at pos, a character of class c that stopped its scan:
    // a sign before `from` (a term's first character) or a terminator byte
    // inside the text.
    bool nameGoesOn(std::size_t pos, CharClass c) const {
        return c == kSign ? pos < from : c == kStop && pos != n;
    }
    // The end of the name that starts at pos. The plain bytes are scanned in
    // a loop of their own; the rare name that goes on past a sign or a
    // terminator byte is finished out of line.
    std::size_t nameEnd(std::size_t pos) const {
        pos = plainEnd(pos);
        const CharClass c = classOf(t[pos]);
        if (c >= kSign && nameGoesOn(pos, c)) [[unlikely]] return restOfName(t, n, from, pos);
        return pos;
    }
    std::size_t plainEnd(std::size_t pos) const {
        // Most names have one or two bytes: their ends are found without a
        // loop, 6 to 10 % of all instructions (docs/performance.md). (A byte
        // is read only after a plain one, so inside the text.)
        if (classOf(t[pos]) != kPlain) return pos;
        if (classOf(t[pos + 1]) != kPlain) return pos + 1;
        if (classOf(t[pos + 2]) != kPlain) return pos + 2;
        for (pos += 3; classOf(t[pos]) == kPlain;) ++pos;
        return pos;
    }
    // Its arguments are passed as words, so that the text stays in registers
    // where it is called.
    [[gnu::noinline]] static std::size_t restOfName(const char* t, std::size_t n, std::size_t from, std::size_t pos) {
        const TermText x{t, n, from};
        for (;;) {
            pos = x.plainEnd(pos + 1);
            const CharClass c = classOf(t[pos]);
            if (c < kSign || !x.nameGoesOn(pos, c)) return pos;
        }
    }
};

// The factors of the term being read: in a fixed array while they are few,
// so that a term the query drops never touches the polynomial's entries.
template <class A>
struct Factors {
    static constexpr std::size_t kFew = Wrapping::kFewFactors;
    EntryOf<A> few[kFew];
    std::vector<EntryOf<A>> many;  // all of them, once there are more
    std::size_t count = 0;

    // Stores the k-th factor; the caller counts them (in a register) and
    // sets `count` when the term is read. False once they are many.
    bool put(std::size_t k, const EntryOf<A>& e) {
        if (k < kFew) [[likely]] {
            few[k] = e;
            return true;
        }
        if (k == kFew) many.assign(few, few + kFew);
        many.push_back(e);
        return false;
    }
    EntryOf<A>* data() { return count <= kFew ? few : many.data(); }
};

}  // namespace initform
