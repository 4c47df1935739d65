// The polynomial text form: cutting texts into pieces, reading one
// polynomial's text into a Polynomial, and writing a Polynomial back.
#include <algorithm>
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

bool allDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), isDigit);
}

std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 32;
    h *= 0xd6e8feb86659fd93ULL;
    h ^= h >> 32;
    h *= 0xd6e8feb86659fd93ULL;
    h ^= h >> 32;
    return h;
}

std::uint64_t hashName(std::string_view s) {
    std::uint64_t h = 0x9e3779b97f4a7c15ULL ^ s.size();
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        h = mix(h ^ w) + i;
    }
    std::uint64_t w = 0;
    std::memcpy(&w, s.data() + i, s.size() - i);
    return mix(h ^ w ^ (std::uint64_t{s.size() - i} << 56));
}

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

Variables makeVariables(StringList names) {
    Variables v;
    std::size_t capacity = 16;
    while (capacity < 2 * names.size()) capacity *= 2;
    v.slots.assign(capacity, 0);
    v.hashes.reserve(names.size());
    for (std::size_t k = 0; k < names.size(); ++k) {
        std::uint64_t h = hashName(names[k]);
        v.hashes.push_back(h);
        for (std::size_t s = h & (capacity - 1);; s = (s + 1) & (capacity - 1)) {
            if (v.slots[s] == 0) {
                v.slots[s] = static_cast<std::uint32_t>(k + 1);
                break;
            }
            std::size_t other = v.slots[s] - 1;
            if (v.hashes[other] == h && names[other] == names[k]) break;  // keep the first
        }
    }
    v.names = std::move(names);
    return v;
}

std::size_t findVariable(const Variables& vars, std::string_view name) {
    const std::size_t mask = vars.slots.size() - 1;
    const std::uint64_t h = hashName(name);
    for (std::size_t s = h & mask;; s = (s + 1) & mask) {
        std::uint32_t slot = vars.slots[s];
        if (slot == 0) return npos;
        if (vars.hashes[slot - 1] == h && vars.names[slot - 1] == name) return slot - 1;
    }
}

void findPolyRep(Polynomial& p, std::string_view text, const Variables& vars,
                 DegreeFilter* filter) {
    // A sign at index 0 belongs to the first term, and the character right
    // after a delimiter is never a delimiter itself.
    std::size_t begin = 0;
    for (std::size_t d = nextDelimiter(0, text); d != npos; d = nextDelimiter(d + 1, text)) {
        addTerm(p, text.substr(begin, d - begin), vars, filter);
        begin = text[d] == '+' ? d + 1 : d;  // a '-' stays as the next term's sign
    }
    addTerm(p, text.substr(begin), vars, filter);
}

void addTerm(Polynomial& p, std::string_view term, const Variables& vars,
             DegreeFilter* filter) {
    std::size_t star = term.find('*');
    std::string_view first = term.substr(0, star);
    std::uint32_t sign = 1;
    if (!first.empty() && first[0] == '-') {
        first.remove_prefix(1);
        sign = static_cast<std::uint32_t>(-1);
    }
    std::uint32_t coeff = sign;
    std::size_t pos = 0;  // start of the first variable factor
    if (allDigits(first)) {
        coeff = sign * static_cast<std::uint32_t>(readNumber(first));
        pos = star == npos ? term.size() + 1 : star + 1;
    } else if (sign != 1) {
        pos = 1;
    }

    const std::size_t tail = p.entries.size();
    while (pos <= term.size()) {
        std::size_t end = term.find('*', pos);
        if (end == npos) end = term.size();
        std::string_view factor = term.substr(pos, end - pos);
        std::size_t caret = factor.find('^');
        std::int32_t exp = 1;
        if (caret != npos) {
            exp = readNumber(factor.substr(caret + 1));
            factor = factor.substr(0, caret);
        }
        std::size_t var = findVariable(vars, factor);
        if (var == npos) {
            p.entries.resize(tail);
            throw UnknownVariable(factor);
        }
        p.entries.push_back({static_cast<std::uint32_t>(var), exp});
        pos = end + 1;
    }
    std::uint32_t count = normalizeKey(p.entries.data() + tail, p.entries.size() - tail);
    p.entries.resize(tail + count);

    if (filter != nullptr) {
        std::int32_t degree = dot(std::span<const Entry>(p.entries.data() + tail, count),
                                  filter->weights);
        if (degree < filter->floor) {
            p.entries.resize(tail);
            return;
        }
        if (degree > filter->floor) {
            // Everything read so far has a smaller degree: start afresh
            // with this term's key at the front of the pool.
            std::copy(p.entries.begin() + static_cast<std::ptrdiff_t>(tail), p.entries.end(),
                      p.entries.begin());
            p.entries.resize(count);
            p.terms.clear();
            forgetTerms(p.index);
            filter->floor = degree;
        }
    }
    insertTerm(p, count, static_cast<std::int32_t>(coeff));
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
    std::vector<std::size_t> order(p.terms.size());
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
    out_.write(buf_.data(), static_cast<std::streamsize>(buf_.size()));
    buf_.clear();
}

void Writer::lineEnd() {
    buf_.push_back('\n');
    spill();
    out_.flush();
}

bool Writer::ok() const { return out_.good(); }

}  // namespace initform
