// The polynomial text form: cutting texts into pieces, reading one
// polynomial's text into a Polynomial, and writing a Polynomial back.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <ostream>

#include "initform.hpp"

namespace initform {

namespace {

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');  // the C locale's white space
}

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

std::uint64_t packedName(std::uint64_t bytes, std::size_t size, std::uint64_t seed) {
    const std::uint64_t mask = (std::uint64_t{1} << (8 * size)) - 1;
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

std::uint32_t cappedSize(std::size_t n) {
    return static_cast<std::uint32_t>(std::min<std::size_t>(n, UINT32_MAX));
}

// What a character means while a term is read.
enum CharClass : unsigned char { kPlain, kStar, kCaret, kSign };

struct CharClasses {
    CharClass of[256] = {};
    constexpr CharClasses() {
        of[static_cast<unsigned char>('*')] = kStar;
        of[static_cast<unsigned char>('^')] = kCaret;
        of[static_cast<unsigned char>('+')] = kSign;
        of[static_cast<unsigned char>('-')] = kSign;
    }
};
constexpr CharClasses kClasses;

CharClass classOf(char c) { return kClasses.of[static_cast<unsigned char>(c)]; }

// Reads the decimal digits from pos on into v (wrapping, which is harmless:
// runs of more than 18 digits, where the 64-bit clamping matters, are read
// again by readNumber). Returns the index after the last digit.
std::size_t scanDigits(const char* t, std::size_t pos, std::size_t n, std::uint64_t& v) {
    v = 0;
    for (; pos < n && isDigit(t[pos]); ++pos) v = v * 10 + static_cast<std::uint64_t>(t[pos] - '0');
    return pos;
}

constexpr std::size_t kSafeDigits = 18;

// Sorts the exponent entries of a term by variable, adds up the exponents
// of a variable named in several factors (wrapping in 32 bits) and drops the
// entries whose exponent is 0. Returns the number of entries left.
std::uint32_t normalizeKey(Entry* first, std::size_t n) {
    if (n < 24) {
        for (std::size_t i = 1; i < n; ++i) {
            Entry e = first[i];
            std::size_t j = i;
            for (; j > 0 && first[j - 1].var > e.var; --j) first[j] = first[j - 1];
            first[j] = e;
        }
    } else {
        std::sort(first, first + n,
                  [](const Entry& a, const Entry& b) { return a.var < b.var; });
    }
    std::size_t out = 0;
    for (std::size_t i = 0; i < n;) {
        std::uint32_t var = first[i].var;
        std::uint32_t sum = 0;
        for (; i < n && first[i].var == var; ++i) sum += static_cast<std::uint32_t>(first[i].exp);
        if (sum != 0) first[out++] = {var, static_cast<std::int32_t>(sum)};
    }
    return static_cast<std::uint32_t>(out);
}

}  // namespace

std::int32_t readNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Beyond this magnitude the value is clamped to the 64-bit range.
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    std::uint64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        if (value <= limit) {
            value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
            if (value > limit) value = limit + 1;
        }
    }
    if (value > limit) value = limit;
    if (negative) value = 0 - value;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

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

}  // namespace

std::size_t findVariable(const Variables& vars, std::string_view name, std::uint64_t hash) {
    return lookUp(vars, name, hash);
}

std::size_t findVariable(const Variables& vars, std::string_view name) {
    return findVariable(vars, name, hashName(name, vars.seed));
}

namespace {

// Reads the term that starts at `begin` and ends at the next delimiter: the
// first '+' or '-' at index `from` or later (the rule of nextDelimiter, found
// here while the factors are read). Adds the term to p and returns the
// delimiter's index, or the text's size at its end.
std::size_t readTerm(Polynomial& p, std::string_view text, std::size_t begin, std::size_t from,
                     const Variables& vars, DegreeFilter* filter) {
    const char* t = text.data();
    const std::size_t n = text.size();
    // True when the character at pos ends the term.
    auto atEnd = [&](std::size_t pos) {
        return pos == n || (classOf(t[pos]) == kSign && pos >= from);
    };
    std::size_t pos = begin;
    std::uint32_t sign = 1;
    if (pos < n && t[pos] == '-') {
        sign = static_cast<std::uint32_t>(-1);
        ++pos;
    }
    // A first factor of digits only (or none at all) is the coefficient.
    std::uint64_t value;
    const std::size_t digitsEnd = scanDigits(t, pos, n, value);
    std::uint32_t coeff = sign;
    bool more = true;  // another factor follows
    if (atEnd(digitsEnd) || t[digitsEnd] == '*') {
        if (digitsEnd - pos > kSafeDigits) {
            value = static_cast<std::uint32_t>(readNumber(std::string_view(t + pos, digitsEnd - pos)));
        }
        coeff = sign * static_cast<std::uint32_t>(value);
        more = !atEnd(digitsEnd);
        pos = digitsEnd + 1;
    }

    // The weighted degree, summed factor by factor: the sum wraps in 32
    // bits, so it equals the degree of the combined exponent vector.
    std::uint32_t degree = 0;
    auto weightOf = [filter](std::size_t var) {
        return filter ? static_cast<std::uint32_t>(filter->weights[var]) : 0u;
    };
    const std::size_t tail = p.entries.size();
    while (more) {
        // A factor: a name, optionally '^' and an exponent, up to '*' or the
        // end of the term.
        const std::size_t nameStart = pos;
        while (pos < n && (classOf(t[pos]) == kPlain || (classOf(t[pos]) == kSign && pos < from))) ++pos;
        const std::string_view name(t + nameStart, pos - nameStart);
        std::int32_t exp = 1;
        if (pos < n && t[pos] == '^') {
            const std::size_t expStart = ++pos;
            pos = scanDigits(t, pos, n, value);
            exp = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
            if (pos == expStart || pos - expStart > kSafeDigits || !(atEnd(pos) || t[pos] == '*')) {
                // White space, a sign, many digits or other text: read as
                // strtol would, and skip to the end of the factor.
                while (!atEnd(pos) && t[pos] != '*') ++pos;
                exp = readNumber(std::string_view(t + expStart, pos - expStart));
            }
        }
        // A short name inside the text is hashed from one 8-byte load.
        std::uint64_t hash;
        if (name.size() <= kPackedName && nameStart + 8 <= n) {
            std::uint64_t bytes;
            std::memcpy(&bytes, t + nameStart, 8);
            hash = packedName(bytes, name.size(), vars.seed);
        } else {
            hash = hashName(name, vars.seed);
        }
        const std::size_t var = lookUp(vars, name, hash);
        if (var == npos) {
            p.entries.resize(tail);
            throw UnknownVariable(name);
        }
        p.entries.push_back({static_cast<std::uint32_t>(var), exp});
        degree += static_cast<std::uint32_t>(exp) * weightOf(var);
        more = !atEnd(pos);
        ++pos;
    }
    const std::size_t end = std::min(pos - 1, n);
    if (filter != nullptr && static_cast<std::int32_t>(degree) < filter->floor) {
        p.entries.resize(tail);
        return end;
    }
    const std::uint32_t count = normalizeKey(p.entries.data() + tail, p.entries.size() - tail);
    p.entries.resize(tail + count);

    if (filter != nullptr) {
        if (static_cast<std::int32_t>(degree) > filter->floor) {
            // Everything read so far has a smaller degree: start afresh
            // with this term's key at the front of the pool.
            std::copy(p.entries.begin() + static_cast<std::ptrdiff_t>(tail), p.entries.end(),
                      p.entries.begin());
            p.entries.resize(count);
            p.terms.clear();
            forgetTerms(p.index);
            filter->floor = static_cast<std::int32_t>(degree);
        }
    }
    insertTerm(p, count, static_cast<std::int32_t>(coeff));
    return end;
}

}  // namespace

void findPolyRep(Polynomial& p, std::string_view text, const Variables& vars,
                 DegreeFilter* filter) {
    // A sign at index 0 belongs to the first term, and the character right
    // after a delimiter is never a delimiter itself.
    std::size_t begin = 0;
    std::size_t from = 1;
    for (;;) {
        const std::size_t d = readTerm(p, text, begin, from, vars, filter);
        if (d == text.size()) break;
        begin = text[d] == '+' ? d + 1 : d;  // a '-' stays as the next term's sign
        from = d + 2;
    }
}

void addTerm(Polynomial& p, std::string_view term, const Variables& vars,
             DegreeFilter* filter) {
    readTerm(p, term, 0, npos, vars, filter);
}

bool printKoeff(std::int32_t c, bool plus, Writer& out) {
    // Every later term begins with its sign; a coefficient of 0 gets "+"
    // too, so that the printed polynomial reads back to the same terms.
    if (plus && c >= 0) out.put('+');
    if (c == 1) return false;
    if (c == -1) {
        out.put('-');
        return false;
    }
    out.putNumber(c);
    return true;
}

bool printVars(std::span<const Entry> key, bool star, const StringList& names, Writer& out) {
    for (const Entry& e : key) {
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

void printPoly(const Polynomial& p, const StringList& names, Writer& out) {
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
    std::sort(order.begin(), order.end(), [&p](std::size_t a, std::size_t b) {
        return compareKeys(keyOf(p, p.terms[a]), keyOf(p, p.terms[b])) < 0;
    });
    bool later = false;
    for (std::size_t i : order) {
        const Term& t = p.terms[i];
        bool star = printKoeff(t.coeff, later, out);
        star = printVars(keyOf(p, t), star, names, out);
        if (!star) out.put('1');
        later = true;
        out.spillIfLarge();
    }
}

void Writer::putNumber(std::int32_t n) {
    char digits[16];
    auto result = std::to_chars(digits, digits + sizeof digits, n);
    buf_.append(digits, result.ptr);
}

void Writer::spill() {
    // Straight to the stream's buffer; a short write marks the stream bad.
    const auto size = static_cast<std::streamsize>(buf_.size());
    if (out_.good() && out_.rdbuf()->sputn(buf_.data(), size) != size) out_.setstate(std::ios::badbit);
    buf_.clear();
}

void Writer::lineEnd() {
    buf_.push_back('\n');
    spill();
    if (out_.good() && out_.rdbuf()->pubsync() != 0) out_.setstate(std::ios::badbit);
}

bool Writer::ok() const { return out_.good(); }

}  // namespace initform
