// The reader of polynomial texts: cuts a text into terms and factors,
// reads coefficients, names and exponents, and sums each term's weighted
// degree as it goes, so that the query can drop a term before it is stored.
//
// readTerm and the functions it inlines are the hot loop of the whole
// program; their shape (a text copied into locals, counters kept in
// registers, the rare cases out of line) is measured in docs/performance.md.
#include "reader.hpp"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>

#include "errors.hpp"
#include "exact.hpp"
#include "valued.hpp"
#include "termtext.hpp"

namespace initform {

namespace {

// A shift of a degree that a fast 64-bit sum takes in without leaving its
// range (Exact::fastFactors keeps such sums below 2^63 - 2^32).
constexpr std::int64_t kSmallShift = std::int64_t{1} << 31;

// Reads the terms of one polynomial text into p.
template <class A>
struct TermReader {
    using Exponent = typename A::Exponent;
    using Degree = typename A::Degree;
    using DegreeSum = typename A::DegreeSum;

    PolynomialOf<A>& p;
    const Variables& vars;
    // Every read has a query: one of zero weights keeps every term.
    QueryOf<A>& query;
    TermText text;
    // --valuation: the shift of the current term's degree by its
    // coefficient's valuation, when it is not in `sum` already (kept only
    // in that arithmetic).
    struct Shift {
        Degree by;
        bool pending = false;
    };
    struct NoShift {};
    [[no_unique_address]] std::conditional_t<A::valued, Shift, NoShift> shift{};
    // Default mode: the bound of the exponents of all terms read (see
    // Wrapping::safeBound). Past the safe bound some term might have
    // wrapped around: checkTerms, after the loop that reads them, checks each.
    std::uint64_t polyBound = 0;

    std::size_t readTerm(std::size_t begin, Factors<A>& factors);
    // The steps of a term that both loops over terms take, findPolyRep's and
    // checkTerms', inlined into each.
    [[gnu::always_inline]] inline bool readCoefficient(std::size_t& pos, CoeffText& c) const;
    [[gnu::always_inline]] inline std::size_t readFactors(std::size_t pos, bool more, DegreeSum& sum,
                                                          std::uint64_t& bound, Factors<A>& factors);
    Degree degreeOf(const DegreeSum& sum, bool fast, Factors<A>& factors) const;
    bool below(const DegreeSum& sum, bool fast, Factors<A>& factors) const;
    [[gnu::always_inline]] inline static std::size_t readExponent(const TermText& x, std::size_t pos,
                                                                  std::size_t nameStart, Exponent& exp,
                                                                  std::uint64_t& bound);
    [[gnu::always_inline]] inline std::size_t lookUpName(const TermText& x, std::string_view name,
                                                         std::size_t nameStart) const;
    void checkWrap(std::uint64_t bound, Factors<A>& factors);
    // Default mode: whether some term read might have wrapped around.
    bool mightHaveWrapped() const {
        if constexpr (A::exact) return false;
        return polyBound >= query.safeBound;
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
    // the combined exponent vector. In exact mode `termBound` bounds the
    // exponents of several digits (Exact::widenBound); an implicit 1 or a
    // single digit is in bounds anyway.
    DegreeSum sum{};
    std::uint64_t termBound = 0;
    std::uint64_t& bound = A::exact ? termBound : polyBound;  // a term's own, or all terms' so far
    const std::size_t end = std::min(readFactors(pos, more, sum, bound, factors) - 1, n);
    const std::string_view termText(t + start, end - start);
    bool fast = true;  // whether sum is the exact degree
    if constexpr (A::exact) {
        fast = (termBound >> A::kBoundBits) == 0 && factors.count < query.fastFactors;
    }
    if constexpr (A::valued) {
        // A coefficient that P divides shifts the degree: into a fast sum
        // when the shift is small (a fast sum stays 2^32 away from the
        // 64-bit limits), else summed exactly.
        bool& shifted = shift.pending;
        shifted = A::shiftOf(coeff, query.valuation, shift.by);
        const Degree& by = shift.by;
        if (shifted && fast && !by.big && by.small >= -kSmallShift && by.small <= kSmallShift) {
            sum += static_cast<DegreeSum>(by.small);
            shifted = false;
        } else if (shifted) {
            fast = false;
        }
    }
    if (below(sum, fast, factors)) {
        // Dropped unread; only a sum of exponents out of range must be told.
        if constexpr (A::exact) {
            // (A fast term's exponents are in bounds.)
            if (!fast && !A::exponentsSafe(termBound, factors.count) &&
                !normalizeKey<A>(factors.data(), factors.count)) {
                throw OutOfRange("Exponent", termText);
            }
        }
        return end;
    }
    Degree rank = A::rank(degreeOf(sum, fast, factors), query.rule.smallest);
    keepTerm(termText, coeff, rank, factors);
    return end;
}
// When the term's first factor is its coefficient (digits only, or none at
// all, or in an arithmetic of fractions digits '/' digits), notes it in c
// and moves pos past it. Returns whether a factor follows.
template <class A>
bool TermReader<A>::readCoefficient(std::size_t& pos, CoeffText& c) const {
    const TermText x = text;
    const char* t = x.t;
    std::uint64_t value;
    const std::size_t end = scanDigits(t, pos, value);
    const bool star = t[end] == '*';  // the usual case: digits (or none) and a factor
    std::size_t denEnd = end;
    if constexpr (A::kFractions) {
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
std::size_t TermReader<A>::readFactors(std::size_t pos, bool more, DegreeSum& sum, std::uint64_t& bound,
                                       Factors<A>& factors) {
    const TermText x = text;
    const auto [t, n, from] = x;
    // Summed and counted in locals, so that they stay in registers.
    DegreeSum s = sum;
    std::uint64_t b = bound;
    std::size_t count = 0;
    for (; more; ++pos) {
        const std::size_t nameStart = pos;
        pos = x.nameEnd(pos);
        const std::size_t var = lookUpName(x, {t + nameStart, pos - nameStart}, nameStart);
        Exponent exp = 1;
        // (An exponent of 1 or of one digit is in bounds: only the others
        // widen the bound.)
        if (t[pos] == '^') pos = readExponent(x, pos + 1, nameStart, exp, b);
        if (!factors.put(count++, {static_cast<std::uint32_t>(var), exp})) [[unlikely]] A::widenForManyFactors(b);
        A::addProduct(s, exp, query.weights[var]);
        more = t[pos] == '*';  // at a factor's end: '*', a term's end, or the text's
    }
    sum = s;
    bound = b;
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
        Degree d = initform::degreeOf<A>(key, query);
        if constexpr (A::valued) {
            if (shift.pending) A::addDegree(d, shift.by);
        }
        return d;
    }
}

// Whether the term read has a rank below the query's floor: the test
// that drops most terms, done on the sum itself while both are small.
template <class A>
bool TermReader<A>::below(const DegreeSum& sum, bool fast, Factors<A>& factors) const {
    if constexpr (A::exact) {
        // A fast rank lies strictly between the 64-bit extremes, where a
        // floor beyond 64 bits keeps its `small` (Exact::raiseFloor).
        if (fast) [[likely]] return (static_cast<std::int64_t>(sum) ^ query.rankMask) < query.floor.small;
        return A::rank(degreeOf(sum, fast, factors), query.rule.smallest) < query.floor;
    } else {
        return (static_cast<Degree>(sum) ^ static_cast<Degree>(query.rankMask)) < query.floor;
    }
}

// Reads the exponent that starts at pos; returns the end of its factor.
template <class A>
std::size_t TermReader<A>::readExponent(const TermText& x, std::size_t pos, std::size_t nameStart,
                                        Exponent& exp, std::uint64_t& bound) {
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
        A::widenBound(bound, static_cast<std::int64_t>(value));
        return end;
    }
    // White space, a sign, many digits or other text: read as strtol would,
    // up to the end of the factor.
    while (!x.factorEnds(end)) ++end;
    const std::string_view digits(t + pos, end - pos);
    const std::optional<std::int64_t> read = A::readExponent(digits);
    if (!read) throw OutOfRange("Exponent", {t + nameStart, end - nameStart});
    exp = static_cast<Exponent>(*read);
    A::widenBound(bound, *read);
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
void TermReader<A>::checkWrap(std::uint64_t bound, Factors<A>& factors) {
    if constexpr (!A::exact) {
        // The bound is the OR of the exponents: its top bits are theirs.
        if ((bound & ~A::kManyFactors) >= (std::uint64_t{1} << 31)) noteWrap(query.notes);
        // (Sorted in place: checkTerms reads the factors for nothing else.)
        const std::span<EntryOf<A>> sorted(factors.data(), factors.count);
        std::sort(sorted.begin(), sorted.end(), [](const EntryOf<A>& a, const EntryOf<A>& b) { return a.var < b.var; });
        Int128 degree = 0;
        for (std::size_t k = 0; k < sorted.size();) {
            Int128 sum = 0;  // of one variable's exponents
            const std::uint32_t var = sorted[k].var;
            for (; k < sorted.size() && sorted[k].var == var; ++k) sum += sorted[k].exp;
            if (sum != static_cast<Exponent>(sum)) noteWrap(query.notes);
            degree += sum * query.weights[var];
        }
        if (degree != static_cast<Degree>(degree)) noteWrap(query.notes);
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
        std::uint64_t bound = 0;
        const std::size_t d = std::min(readFactors(pos, more, sum, bound, factors) - 1, text.n);
        if (bound >= query.safeBound) checkWrap(bound, factors);
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
    if (query.floor < rank) {
        // Everything read so far has a lower rank: start afresh.
        clearPoly(p);
        query.raise(std::move(rank));
    }
    p.entries.insert(p.entries.end(), key, key + *count);
    insertTerm(p, *count, A::makeCoeff(p.coeffs, c));
}

}  // namespace

template <class A>
void findPolyRep(PolynomialOf<A>& p, TerminatedText text, const Variables& vars, QueryOf<A>& query) {
    // A sign at index 0 belongs to the first term.
    const std::string_view s = text.view;
    A::routeWraps(p.coeffs, query.notes);
    TermReader<A> reader{p, vars, query, {s.data(), s.size(), 1}};
    Factors<A> factors;  // reused from term to term
    auto checkAll = [&] { TermReader<A>{p, vars, query, {s.data(), s.size(), 1}}.checkTerms(factors); };
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
void findPolyRep(PolynomialOf<A>& p, std::string_view text, const Variables& vars, QueryOf<A>& query) {
    const std::string copy(text);  // ends with a NUL
    findPolyRep(p, TerminatedText{copy}, vars, query);
}

template <class A>
void findPolyRep(PolynomialOf<A>& p, std::string_view text, const Variables& vars) {
    WholeQueryOf<A> whole(vars.names.size());
    findPolyRep(p, text, vars, whole.query);
}

#define INITFORM_READER(A)                                                                                      \
    template void findPolyRep<A>(PolynomialOf<A>&, TerminatedText, const Variables&, QueryOf<A>&);              \
    template void findPolyRep<A>(PolynomialOf<A>&, std::string_view, const Variables&, QueryOf<A>&);            \
    template void findPolyRep<A>(PolynomialOf<A>&, std::string_view, const Variables&);
INITFORM_READER(Wrapping)
INITFORM_READER(Exact)
INITFORM_READER(Valued)
#undef INITFORM_READER

}  // namespace initform
