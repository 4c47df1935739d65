// The polynomial text form: cutting texts into pieces, reading one
// polynomial's text into a Polynomial, and writing a Polynomial back.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <bit>
#include <charconv>
#include <cstring>
#include <ostream>

#include "initform.hpp"

namespace initform {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 32;
    h *= 0xd6e8feb86659fd93ULL;
    h ^= h >> 32;
    h *= 0xd6e8feb86659fd93ULL;
    h ^= h >> 32;
    return h;
}

// Names of up to 7 bytes are packed with their length into one word, and
// mix is a bijection: for them, equal hashes and lengths mean equal names.
// Longer names are mixed 8 bytes at a time and compared byte for byte.
constexpr std::size_t kPackedName = 7;

// The low `size` bytes of a word, for each size up to kPackedName.
constexpr std::uint64_t kByteMasks[kPackedName + 1] = {
    0, 0xff, 0xffff, 0xffffff, 0xffffffff, 0xffffffffff, 0xffffffffffff, 0xffffffffffffff,
};

std::uint64_t packedName(std::uint64_t bytes, std::size_t size, std::uint64_t seed) {
    const std::uint64_t mask = kByteMasks[size];
    // Multiplying by an odd number is a bijection; the table takes its
    // slot from the product's high bits, which depend on every byte.
    return (((bytes & mask) | (std::uint64_t{size} << 56)) ^ seed) * 0x9e3779b97f4a7c15ULL;
}

std::uint64_t hashLongName(std::string_view s, std::uint64_t seed) {
    std::uint64_t h = mix(seed ^ 0x9e3779b97f4a7c15ULL ^ s.size());
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        h = mix(h ^ w) + i;
    }
    std::uint64_t w = 0;
    for (std::size_t k = 0; i + k < s.size(); ++k) {
        w |= std::uint64_t{static_cast<unsigned char>(s[i + k])} << (8 * k);
    }
    return mix(h ^ w);
}

// Where a name of `size` one or two bytes, b0 and b1, sits in
// Variables::shortNames: one byte at b0, two at 256 + b0 + 256 * b1. b1 is
// ignored for one byte, so that the reader can pass the byte after the name
// and index both sizes without a branch.
constexpr std::size_t kShortNames = 256 + 65536;
std::size_t shortNameIndex(std::size_t size, char b0, char b1) {
    const std::size_t second = 256 + 256 * std::size_t{static_cast<unsigned char>(b1)};
    return static_cast<unsigned char>(b0) + (size == 2 ? second : 0);
}

// True for the names kept in Variables::shortNames.
bool isShortName(std::string_view name) { return name.size() - 1 < 2; }

std::uint32_t cappedSize(std::size_t n) {
    return static_cast<std::uint32_t>(std::min<std::size_t>(n, UINT32_MAX));
}

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
constexpr CharClasses kClasses;

CharClass classOf(char c) { return kClasses.of[static_cast<unsigned char>(c)]; }

// Reads the decimal digits from pos on into v (wrapping, which is harmless:
// runs of more than kSafeDigits digits are read again by the arithmetic).
// Returns the index after the last digit; the terminator after the text
// is no digit, so the run stops there at the latest.
std::size_t scanDigits(const char* t, std::size_t pos, std::uint64_t& v) {
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

}  // namespace

void populate(StringList& list, std::string_view text, char delimiter) {
    std::size_t offset = 0;
    for (;;) {
        std::size_t p = text.find(delimiter, offset);
        if (p == npos) break;
        list.push_back(text.substr(offset, p - offset));
        offset = p + 1;
    }
    list.push_back(text.substr(offset));
}

std::size_t nextDelimiter(std::size_t start, std::string_view text) {
    for (std::size_t i = start + 1; i < text.size(); ++i) {
        if (text[i] == '+' || text[i] == '-') return i;
    }
    return npos;
}

std::uint64_t hashName(std::string_view name, std::uint64_t seed) {
    if (name.size() > kPackedName) return hashLongName(name, seed);
    std::uint64_t bytes = 0;
    for (std::size_t k = 0; k < name.size(); ++k) {
        bytes |= std::uint64_t{static_cast<unsigned char>(name[k])} << (8 * k);
    }
    return packedName(bytes, name.size(), seed);
}

Variables makeVariables(StringList names, std::uint64_t seed) {
    Variables v;
    v.seed = seed;
    // A sparse table: most names are found at their first slot.
    std::size_t capacity = 64;
    while (capacity < 4 * names.size()) capacity *= 2;
    v.slots.assign(capacity, Variables::Slot{0, 0, 0});
    v.shift = 64 - static_cast<unsigned>(std::countr_zero(capacity));
    v.names = std::move(names);
    for (std::size_t k = 0; k < v.names.size(); ++k) {
        const std::uint64_t h = hashName(v.names[k], seed);
        if (findVariable(v, v.names[k], h) != npos) continue;  // a repeated name: keep the first
        std::size_t s = h >> v.shift;
        while (v.slots[s].var != 0) s = (s + 1) & (capacity - 1);
        v.slots[s] = {h, static_cast<std::uint32_t>(k + 1), cappedSize(v.names[k].size())};
    }
    v.shortNames.assign(kShortNames, Variables::kNoShortName);
    for (std::size_t k = v.names.size(); k-- > 0;) {
        // From the last name to the first, so that a repeated name keeps the first.
        const std::string_view name = v.names[k];
        if (isShortName(name)) {
            v.shortNames[shortNameIndex(name.size(), name[0], name.back())] = static_cast<std::uint32_t>(k);
        }
    }
    return v;
}

namespace {

inline std::size_t lookUp(const Variables& vars, std::string_view name, std::uint64_t hash) {
    const std::size_t mask = vars.slots.size() - 1;
    const std::uint32_t size = cappedSize(name.size());
    for (std::size_t s = hash >> vars.shift;; s = (s + 1) & mask) {
        const Variables::Slot& slot = vars.slots[s];
        if (slot.hash == hash && slot.size == size && slot.var != 0 &&
            (name.size() <= kPackedName ||
             std::memcmp(vars.names[slot.var - 1].data(), name.data(), name.size()) == 0)) {
            return slot.var - 1;
        }
        if (slot.var == 0) return npos;
    }
}

// The same for a name of at most kPackedName bytes, whose hash and length
// identify it.
inline std::size_t lookUpPacked(const Variables& vars, std::uint32_t size, std::uint64_t hash) {
    const std::size_t mask = ~std::size_t{0} >> vars.shift;  // slots.size() - 1
    for (std::size_t s = hash >> vars.shift;; s = (s + 1) & mask) {
        const Variables::Slot& slot = vars.slots[s];
        if (slot.var == 0) return npos;
        if (slot.hash == hash && slot.size == size) return slot.var - 1;
    }
}

}  // namespace

std::size_t findVariable(const Variables& vars, std::string_view name, std::uint64_t hash) {
    return lookUp(vars, name, hash);
}

std::size_t findVariable(const Variables& vars, std::string_view name) {
    return findVariable(vars, name, hashName(name, vars.seed));
}


namespace {

// A polynomial text and where its current term may end: at the first '+'
// or '-' at index `from` or later (the rule of nextDelimiter, applied while
// the factors are read). t[n] is one of kTerminators, so scans need no
// bounds check. The hot functions copy it into a local, so that it stays in
// registers while the entry pool is written.
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
        // loop. (A byte is read only after a plain one, so inside the text.)
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
// so that a term the filter drops never touches the polynomial's pool.
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

// Reads the terms of one polynomial text into p.
template <class A>
struct TermReader {
    using Exponent = typename A::Exponent;
    using Degree = typename A::Degree;
    using DegreeSum = typename A::DegreeSum;

    PolynomialOf<A>& p;
    const Variables& vars;
    // Every read has a filter: one of zero weights keeps every term.
    DegreeFilterOf<A>& filter;
    TermText text;
    // Default mode: the OR of the spreads of the terms read. At the limit,
    // some term might have wrapped around: checkTerms, after the loop that
    // reads them, checks each.
    std::uint64_t spreads = 0;

    std::size_t readTerm(std::size_t begin, Factors<A>& factors);
    // The steps of a term that both loops over terms take, findPolyRep's and
    // checkTerms', inlined into each.
    [[gnu::always_inline]] inline bool readCoefficient(std::size_t& pos, CoeffText& c) const;
    [[gnu::always_inline]] inline std::size_t readFactors(std::size_t pos, bool more, DegreeSum& sum,
                                                          std::uint64_t& spread, Factors<A>& factors);
    Degree degreeOf(const DegreeSum& sum, bool fast, Factors<A>& factors) const;
    bool below(const DegreeSum& sum, bool fast, Factors<A>& factors) const;
    [[gnu::always_inline]] inline static std::size_t readExponent(const TermText& x, std::size_t pos,
                                                                  std::size_t nameStart, Exponent& exp,
                                                                  std::uint64_t& spread);
    [[gnu::always_inline]] inline std::size_t lookUpName(const TermText& x, std::string_view name,
                                                         std::size_t nameStart) const;
    void checkWrap(std::uint64_t spread, Factors<A>& factors);
    // Default mode: whether some term read might have wrapped around.
    bool mightHaveWrapped() const {
        if constexpr (A::exact) return false;
        return spreads >= filter.spreadLimit;
    }
    [[gnu::noinline]] void checkTerms(Factors<A>& factors);
    std::size_t nextTerm(std::size_t delimiter);
    void keepTerm(std::string_view text, const CoeffText& c, Degree& degree, Factors<A>& factors);
};

// Reads the term that starts at `begin`, adds it to p and returns the index
// of its delimiter, or the text's size at its end.
template <class A>
std::size_t TermReader<A>::readTerm(std::size_t begin, Factors<A>& factors) {
    const auto [t, n, from] = text;
    std::size_t pos = begin;
    CoeffText coeff;
    if (t[pos] == '-') {
        coeff.negative = true;
        ++pos;
    }
    const std::size_t start = pos;
    const bool more = readCoefficient(pos, coeff);
    // The weighted degree, summed factor by factor: it equals the degree of
    // the combined exponent vector. In exact mode `spread` bounds the
    // exponents of several digits (Exact::addSpread); an implicit 1 or a
    // single digit is in bounds anyway.
    DegreeSum sum{};
    std::uint64_t spread = 0;
    std::uint64_t& bound = A::exact ? spread : spreads;  // a term's own, or all terms' so far
    const std::size_t end = std::min(readFactors(pos, more, sum, bound, factors) - 1, n);
    const std::string_view termText(t + start, end - start);
    bool fast = true;  // whether sum is the exact degree
    if constexpr (A::exact) {
        fast = (spread >> A::kSpreadBits) == 0 && factors.count < filter.fastFactors;
    }
    if (below(sum, fast, factors)) {
        // Dropped unread; only a sum of exponents out of range must be told.
        if constexpr (A::exact) {
            // (A fast term's exponents are in bounds.)
            if (!fast && !A::exponentsSafe(spread, factors.count) &&
                !normalizeKey<A>(factors.data(), factors.count)) {
                throw OutOfRange("Exponent", termText);
            }
        }
        return end;
    }
    Degree rank = A::rank(degreeOf(sum, fast, factors), filter.rule.smallest);
    keepTerm(termText, coeff, rank, factors);
    return end;
}
// When the term's first factor is its coefficient (digits only, or none at
// all, or in exact mode digits '/' digits), notes it in c and moves pos past
// it. Returns whether a factor follows.
template <class A>
bool TermReader<A>::readCoefficient(std::size_t& pos, CoeffText& c) const {
    const TermText x = text;
    const char* t = x.t;
    std::uint64_t value;
    const std::size_t end = scanDigits(t, pos, value);
    const bool star = t[end] == '*';  // the usual case: digits (or none) and a factor
    std::size_t denEnd = end;
    if constexpr (A::exact) {
        if (!star && end > pos && t[end] == '/') {
            std::uint64_t ignored;
            const std::size_t afterSlash = scanDigits(t, end + 1, ignored);
            if (afterSlash > end + 1) denEnd = afterSlash;
        }
    }
    if (!star && !x.factorEnds(denEnd)) return true;  // a variable factor
    c.unit = false;
    c.digits = t + pos;
    c.numSize = end - pos;
    c.denSize = denEnd > end ? denEnd - end - 1 : 0;
    c.value = value;
    if (c.denSize != 0 && c.den().find_first_not_of('0') == npos) throw ZeroDenominator({t + pos, denEnd - pos});
    pos = denEnd + 1;
    return t[denEnd] == '*';  // at a factor's end: '*', a term's end, or the text's
}

// Reads the variable factors from pos on, each a name, optionally '^' and an
// exponent, up to '*' or the end of the term. Returns the index after the
// term's delimiter.
template <class A>
std::size_t TermReader<A>::readFactors(std::size_t pos, bool more, DegreeSum& sum, std::uint64_t& spread,
                                       Factors<A>& factors) {
    const TermText x = text;
    const auto [t, n, from] = x;
    // Summed and counted in locals, so that they stay in registers.
    DegreeSum s = sum;
    std::uint64_t bound = spread;
    std::size_t count = 0;
    for (; more; ++pos) {
        const std::size_t nameStart = pos;
        pos = x.nameEnd(pos);
        const std::size_t var = lookUpName(x, {t + nameStart, pos - nameStart}, nameStart);
        Exponent exp = 1;
        // (An exponent of 1 or of one digit is in bounds: only the others
        // widen the spread.)
        if (t[pos] == '^') pos = readExponent(x, pos + 1, nameStart, exp, bound);
        if (!factors.put(count++, {static_cast<std::uint32_t>(var), exp})) [[unlikely]] {
            if constexpr (!A::exact) bound |= A::kManyFactors;
        }
        A::addProduct(s, exp, filter.weights[var]);
        more = t[pos] == '*';  // at a factor's end: '*', a term's end, or the text's
    }
    sum = s;
    spread = bound;
    factors.count = count;
    return pos;
}

// The degree of the term read: its sum when that is exact (`fast`), else
// the same sum computed exactly from the factors.
template <class A>
typename A::Degree TermReader<A>::degreeOf(const DegreeSum& sum, bool fast, Factors<A>& factors) const {
    if constexpr (!A::exact) {
        return sum;
    } else {
        if (fast) [[likely]] return Degree{static_cast<std::int64_t>(sum), std::nullopt};
        const std::span<const EntryOf<A>> key(factors.data(), factors.count);
        return initform::degreeOf<A>(key, filter);
    }
}

// Whether the term read has a degree below the filter's floor: the test
// that drops most terms, done on the sum itself while both are small.
template <class A>
bool TermReader<A>::below(const DegreeSum& sum, bool fast, Factors<A>& factors) const {
    if constexpr (A::exact) {
        // A fast rank lies strictly between the 64-bit extremes, where a
        // floor beyond 64 bits keeps its `small` (DegreeFilterOf::raise).
        if (fast) [[likely]] return (static_cast<std::int64_t>(sum) ^ filter.rankMask) < filter.floor.small;
        return A::rank(degreeOf(sum, fast, factors), filter.rule.smallest) < filter.floor;
    } else {
        return (static_cast<Degree>(sum) ^ static_cast<Degree>(filter.rankMask)) < filter.floor;
    }
}

// Reads the exponent that starts at pos; returns the end of its factor.
template <class A>
std::size_t TermReader<A>::readExponent(const TermText& x, std::size_t pos, std::size_t nameStart,
                                        Exponent& exp, std::uint64_t& spread) {
    const char* t = x.t;
    // Most exponents are one digit before a '*' or the term's end (a digit
    // is no terminator, so t[pos + 1] is still readable).
    const auto digit = static_cast<unsigned char>(t[pos] - '0');
    if (digit < 10 && (t[pos + 1] == '*' || (classOf(t[pos + 1]) == kSign && pos + 1 >= x.from))) {
        exp = A::exponentFromDigits(digit);
        return pos + 1;
    }
    std::uint64_t value;
    std::size_t end = scanDigits(t, pos, value);
    if (end > pos && end - pos <= kSafeDigits && x.factorEnds(end)) {
        exp = A::exponentFromDigits(value);
        if constexpr (A::exact) {
            A::addSpread(spread, exp);
        } else {
            spread |= value;
        }
        return end;
    }
    // White space, a sign, many digits or other text: read as strtol would,
    // up to the end of the factor.
    while (!x.factorEnds(end)) ++end;
    const std::string_view digits(t + pos, end - pos);
    if constexpr (A::exact) {
        const std::optional<Exponent> read = A::readInteger(digits);
        if (!read) throw OutOfRange("Exponent", {t + nameStart, end - nameStart});
        exp = *read;
        A::addSpread(spread, exp);
    } else {
        const std::int64_t read = readNumber64(digits);  // never negative: a sign ends the factor
        exp = static_cast<Exponent>(read);
        spread |= static_cast<std::uint64_t>(read);
    }
    return end;
}

// The index of the variable a factor names.
template <class A>
std::size_t TermReader<A>::lookUpName(const TermText& x, std::string_view name, std::size_t nameStart) const {
    std::size_t var;
    if (isShortName(name)) {
        // The byte after a one-byte name is readable (the terminator at the latest).
        const std::size_t slot = shortNameIndex(name.size(), x.t[nameStart], x.t[nameStart + 1]);
        const std::uint32_t found = vars.shortNames[slot];
        if (found == Variables::kNoShortName) throw UnknownVariable(name);
        return found;
    } else if (name.size() <= kPackedName && nameStart + 8 <= x.n) {
        // A short name inside the text is hashed from one 8-byte load.
        std::uint64_t bytes;
        std::memcpy(&bytes, x.t + nameStart, 8);
        const auto size = static_cast<std::uint32_t>(name.size());
        var = lookUpPacked(vars, size, packedName(bytes, size, vars.seed));
    } else {
        var = lookUp(vars, name, hashName(name, vars.seed));
    }
    if (var == npos) throw UnknownVariable(name);
    return var;
}

// Default mode, for a term outside the bounds that rule out wrap-around:
// notes an exponent beyond 32 bits, a sum of one variable's exponents that
// leaves them, and a degree whose 32 bits are not its value.
template <class A>
void TermReader<A>::checkWrap(std::uint64_t spread, Factors<A>& factors) {
    if constexpr (!A::exact) {
        // The spread is the OR of the exponents: its top bits are theirs.
        if ((spread & ~A::kManyFactors) >= (std::uint64_t{1} << 31)) p.pool.wrapped = true;
        // (Sorted in place: checkTerms reads the factors for nothing else.)
        const std::span<EntryOf<A>> sorted(factors.data(), factors.count);
        std::sort(sorted.begin(), sorted.end(), [](const EntryOf<A>& a, const EntryOf<A>& b) { return a.var < b.var; });
        Int128 degree = 0;
        for (std::size_t k = 0; k < sorted.size();) {
            Int128 sum = 0;  // of one variable's exponents
            const std::uint32_t var = sorted[k].var;
            for (; k < sorted.size() && sorted[k].var == var; ++k) sum += sorted[k].exp;
            if (sum != static_cast<Exponent>(sum)) p.pool.wrapped = true;
            degree += sum * filter.weights[var];
        }
        if (degree != static_cast<Degree>(degree)) filter.wrapped = true;
    }
}

// Default mode: reads the terms of a text read before, only to check each
// that might have wrapped around. Kept out of the reading loop, which then
// holds no call for this rare case.
template <class A>
void TermReader<A>::checkTerms(Factors<A>& factors) {
    for (std::size_t begin = 0;;) {
        std::size_t pos = text.t[begin] == '-' ? begin + 1 : begin;
        CoeffText coeff;
        const bool more = readCoefficient(pos, coeff);
        DegreeSum sum{};
        std::uint64_t spread = 0;
        const std::size_t d = std::min(readFactors(pos, more, sum, spread, factors) - 1, text.n);
        if (spread >= filter.spreadLimit) checkWrap(spread, factors);
        if (d == text.n) break;
        begin = nextTerm(d);
    }
}

// Where the term after a delimiter begins (a '-' stays as its sign); the
// character right after a delimiter is never a delimiter itself.
template <class A>
std::size_t TermReader<A>::nextTerm(std::size_t delimiter) {
    text.from = delimiter + 2;
    return text.t[delimiter] == '+' ? delimiter + 1 : delimiter;
}

// Adds the term read, of this rank, unless its key is out of range.
template <class A>
void TermReader<A>::keepTerm(std::string_view termText, const CoeffText& c, Degree& rank, Factors<A>& factors) {
    EntryOf<A>* key = factors.data();
    const std::optional<std::uint32_t> count = normalizeKey<A>(key, factors.count);
    if (!count) throw OutOfRange("Exponent", termText);
    if (filter.floor < rank) {
        // Everything read so far has a lower rank: start afresh.
        clearPoly(p);
        filter.raise(std::move(rank));
    }
    p.entries.insert(p.entries.end(), key, key + *count);
    insertTerm(p, *count, A::makeCoeff(p.pool, c));
}

}  // namespace

template <class A>
void findPolyRep(PolynomialOf<A>& p, TerminatedText text, const Variables& vars, DegreeFilterOf<A>& filter) {
    // A sign at index 0 belongs to the first term.
    const std::string_view s = text.view;
    TermReader<A> reader{p, vars, filter, {s.data(), s.size(), 1}};
    Factors<A> factors;  // reused from term to term
    auto checkAll = [&] { TermReader<A>{p, vars, filter, {s.data(), s.size(), 1}}.checkTerms(factors); };
    try {
        for (std::size_t begin = 0;;) {
            const std::size_t d = reader.readTerm(begin, factors);
            if (d == s.size()) break;
            begin = reader.nextTerm(d);
        }
    } catch (const BadInput&) {
        // The terms before the error count too (checking them reads up to
        // the same error again).
        if (reader.mightHaveWrapped()) checkAll();
        throw;
    }
    if (reader.mightHaveWrapped()) [[unlikely]] checkAll();
}

template <class A>
void findPolyRep(PolynomialOf<A>& p, TerminatedText text, const Variables& vars, DegreeFilterOf<A>* filter) {
    if (filter != nullptr) return findPolyRep(p, text, vars, *filter);
    WholeFilterOf<A> whole(vars.names.size());  // without a filter, none is dropped
    findPolyRep(p, text, vars, whole.filter);
}

template <class A>
void findPolyRep(PolynomialOf<A>& p, std::string_view text, const Variables& vars, DegreeFilterOf<A>* filter) {
    const std::string copy(text);  // ends with a NUL
    findPolyRep(p, TerminatedText{copy}, vars, filter);
}

template <class A>
void addTerm(PolynomialOf<A>& p, std::string_view term, const Variables& vars, DegreeFilterOf<A>* filter) {
    const std::string copy(term);
    WholeFilterOf<A> whole(vars.names.size());
    Factors<A> factors;
    DegreeFilterOf<A>& f = filter != nullptr ? *filter : whole.filter;
    TermReader<A> reader{p, vars, f, {copy.data(), copy.size(), npos}};
    reader.readTerm(0, factors);
    if (reader.mightHaveWrapped()) TermReader<A>{p, vars, f, {copy.data(), copy.size(), npos}}.checkTerms(factors);
}

template <class A>
bool printKoeff(const typename A::Pool& pool, typename A::Coeff c, bool plus, Writer& out) {
    // Every later term begins with its sign; a coefficient of 0 gets "+"
    // too, so that the printed polynomial reads back to the same terms.
    if (plus && !A::isNegative(pool, c)) out.put('+');
    switch (A::unitSign(c)) {
        case 1:
            return false;
        case -1:
            out.put('-');
            return false;
        default:
            A::printCoeff(pool, c, out);
            return true;
    }
}

template <class A>
bool printVars(std::span<const EntryOf<A>> key, bool star, const StringList& names, Writer& out) {
    for (const EntryOf<A>& e : key) {
        if (star) out.put('*');
        out.put(names.at(e.var));
        if (e.exp > 1) {
            out.put('^');
            out.putNumber(e.exp);
        }
        star = true;
    }
    return star;
}

// The driver prints every answer through printPoly, from another unit:
// link-time optimisation inlines it there, as the attribute asks. (GCC
// warns that a function not declared inline might not be inlinable; it is
// declared as an ordinary function so that every unit sees one definition.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
template <class A>
[[gnu::always_inline]] void printPoly(const PolynomialOf<A>& p, const StringList& names, Writer& out) {
    if (p.terms.empty()) {
        out.put('0');
        return;
    }
    // The terms in ascending key order, as positions: on the stack for the
    // usual few terms.
    constexpr std::size_t kFew = 32;
    std::size_t few[kFew];
    std::vector<std::size_t> many;
    std::span<std::size_t> order(few, std::min(p.terms.size(), kFew));
    if (p.terms.size() > kFew) {
        many.resize(p.terms.size());
        order = many;
    }
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    if (order.size() > 1) {  // most initial forms have a single term
        std::sort(order.begin(), order.end(), [&p](std::size_t a, std::size_t b) {
            return compareKeys<A>(keyOf(p, p.terms[a]), keyOf(p, p.terms[b])) < 0;
        });
    }
    bool later = false;
    for (std::size_t i : order) {
        const TermOf<A>& t = p.terms[i];
        bool star = printKoeff<A>(p.pool, t.coeff, later, out);
        star = printVars<A>(keyOf(p, t), star, names, out);
        if (!star) out.put('1');
        later = true;
        out.spillIfLarge();
    }
}
#pragma GCC diagnostic pop

#define INITFORM_TEXTFORM(A)                                                                          \
    template void findPolyRep<A>(PolynomialOf<A>&, std::string_view, const Variables&, DegreeFilterOf<A>*); \
    template void findPolyRep<A>(PolynomialOf<A>&, TerminatedText, const Variables&, DegreeFilterOf<A>*);   \
    template void findPolyRep<A>(PolynomialOf<A>&, TerminatedText, const Variables&, DegreeFilterOf<A>&);   \
    template void addTerm<A>(PolynomialOf<A>&, std::string_view, const Variables&, DegreeFilterOf<A>*);     \
    template void printPoly<A>(const PolynomialOf<A>&, const StringList&, Writer&);                   \
    template bool printKoeff<A>(const A::Pool&, A::Coeff, bool, Writer&);                             \
    template bool printVars<A>(std::span<const EntryOf<A>>, bool, const StringList&, Writer&);
INITFORM_TEXTFORM(Wrapping)
INITFORM_TEXTFORM(Exact)
#undef INITFORM_TEXTFORM

void Writer::put(std::string_view s) {
    const std::size_t n = s.size();
    char* to = reserve(n);
    // Names are short: copy them with fixed-size moves, not a call.
    if (n >= 8 && n <= 16) {
        std::memcpy(to, s.data(), 8);
        std::memcpy(to + n - 8, s.data() + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(to, s.data(), 4);
        std::memcpy(to + n - 4, s.data() + n - 4, 4);
    } else if (n >= 2 && n < 4) {
        std::memcpy(to, s.data(), 2);
        std::memcpy(to + n - 2, s.data() + n - 2, 2);
    } else if (n == 1) {
        *to = s[0];
    } else if (n > 16) {
        std::memcpy(to, s.data(), n);
    }
    size_ += n;
}

void Writer::putLongNumber(std::int64_t n) {
    char* to = reserve(24);
    size_ = static_cast<std::size_t>(std::to_chars(to, to + 24, n).ptr - buf_.get());
}

void Writer::grow(std::size_t n) {
    const std::size_t capacity = std::max({capacity_ * 2, size_ + n, std::size_t{256}});
    std::unique_ptr<char[]> bigger = std::make_unique_for_overwrite<char[]>(capacity);
    if (size_ > 0) std::memcpy(bigger.get(), buf_.get(), size_);
    buf_ = std::move(bigger);
    capacity_ = capacity;
}

void Writer::spill() {
    if (out_ != nullptr) {
        // Straight to the stream's buffer; a short write marks the stream bad.
        const auto size = static_cast<std::streamsize>(size_);
        if (out_->good() && out_->rdbuf()->sputn(buf_.get(), size) != size) out_->setstate(std::ios::badbit);
    } else {
        for (std::size_t done = 0; error_ == 0 && done < size_;) {
            const ssize_t n = ::write(fd_, buf_.get() + done, size_ - done);
            if (n >= 0) {
                done += static_cast<std::size_t>(n);
            } else if (errno != EINTR) {
                error_ = errno;
            }
        }
    }
    size_ = 0;
}

void Writer::lineEnd() {
    put('\n');
    if (flushLines_) {
        flush();
    } else {
        spillIfLarge();
    }
}

void Writer::flush() {
    spill();
    if (out_ != nullptr && out_->good() && out_->rdbuf()->pubsync() != 0) out_->setstate(std::ios::badbit);
}

bool Writer::ok() const { return out_ != nullptr ? out_->good() : error_ == 0; }

}  // namespace initform
