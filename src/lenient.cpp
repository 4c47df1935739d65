// The lenient reading of --lenient: a pass that rewrites a document as
// computer algebra systems print it into the canonical text form, before
// the one reader runs. White space goes everywhere, "**" becomes '^', and in
// the polynomial list a leading '+', a coefficient in parentheses, a
// fraction written p//q and a term's trailing "/digits" become the
// canonical forms (`(10/9)*d^2` is `10/9*d^2`, `6*x2^2/5` is `6/5*x2^2`).
#include "lenient.hpp"

#include <gmpxx.h>

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "document.hpp"
#include "pieces.hpp"

namespace initform {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

bool isDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// digits, or digits '/' digits.
bool isNumber(std::string_view s) { return isDigits(s) || isFractionText(s); }

// Whether a byte, or a byte after `previous`, may need the lenient pass:
// a byte below '0' other than '*', '+', ',' and '-' (white space, '(',
// '/' among them), "**", or a '+' after ',' or '{'.
bool special(char previous, char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b < 0x30 && (b < 0x2a || b > 0x2d)) || (c == '*' && previous == '*') ||
           (c == '+' && (previous == ',' || previous == '{'));
}

// Whether the text holds anything the lenient pass would change (or might:
// a '/' in a canonical fraction too). Most documents are canonical, so this
// scan is what --lenient costs them: 16 bytes at a time where SSE2 is there.
// Of the bytes below '0' a canonical text holds only '*', '+', ',' and '-'
// (0x2a to 0x2d) in numbers: any other (white space, '(', '/') is special.
bool needsPass(std::string_view text) {
    std::size_t i = 1;
#ifdef __SSE2__
    const __m128i below0 = _mm_set1_epi8(0x2f), low = _mm_set1_epi8(0x2a), width = _mm_set1_epi8(3),
                  star = _mm_set1_epi8('*'), plus = _mm_set1_epi8('+'), comma = _mm_set1_epi8(','),
                  brace = _mm_set1_epi8('{');
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const __m128i prev = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i - 1));
        const __m128i lowByte = _mm_cmpeq_epi8(_mm_min_epu8(v, below0), v);
        const __m128i shifted = _mm_sub_epi8(v, low);
        const __m128i usual = _mm_cmpeq_epi8(_mm_min_epu8(shifted, width), shifted);
        const __m128i pairs = _mm_or_si128(
            _mm_and_si128(_mm_cmpeq_epi8(v, star), _mm_cmpeq_epi8(prev, star)),
            _mm_and_si128(_mm_cmpeq_epi8(v, plus), _mm_or_si128(_mm_cmpeq_epi8(prev, comma), _mm_cmpeq_epi8(prev, brace))));
        if (_mm_movemask_epi8(_mm_or_si128(_mm_andnot_si128(usual, lowByte), pairs)) != 0) return true;
    }
#endif
    if (!text.empty() && special('\0', text[0])) return true;
    for (; i < text.size(); ++i)
        if (special(text[i - 1], text[i])) return true;
    return false;
}

// Drops white space and turns "**" into '^'.
std::string squeeze(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (isBlank(c)) continue;
        if (c == '*' && !out.empty() && out.back() == '*') {
            out.back() = '^';
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Appends the number p or p/q divided by r (digit strings): p/r, or p/(q*r).
void divide(std::string_view coeff, std::string_view r, std::string& out) {
    const std::size_t slash = coeff.find('/');
    out += coeff.substr(0, slash);
    out += '/';
    if (slash == npos) {
        out += r;
    } else {
        const mpz_class den = mpz_class(std::string(r), 10) * mpz_class(std::string(coeff.substr(slash + 1)), 10);
        out += den.get_str();
    }
}

// Appends one term in canonical form: its sign, a coefficient freed of
// parentheses and of a trailing division, and its factors.
void rewriteTerm(std::string_view term, std::string& out) {
    if (!term.empty() && term[0] == '-') {
        out += '-';
        term.remove_prefix(1);
    }
    std::string_view coeff;
    std::string_view factors = term;
    bool star = false;  // a '*' follows the coefficient, even before an empty factor
    if (!term.empty() && term[0] == '(') {
        // (p) or (p/q), then '*' and the factors or nothing.
        const std::size_t close = term.find(')');
        const std::string_view after = close == npos ? term : term.substr(close + 1);
        if (close == npos || !isNumber(term.substr(1, close - 1)) || (!after.empty() && after[0] != '*')) {
            out += term;
            return;
        }
        coeff = term.substr(1, close - 1);
        star = !after.empty();
        factors = star ? after.substr(1) : after;
    } else {
        const std::string_view first = term.substr(0, term.find('*'));
        if (isNumber(first)) {
            coeff = first;
            star = term.size() > first.size();
            factors = star ? term.substr(first.size() + 1) : std::string_view{};
        }
    }
    // A trailing "/digits" after a variable factor divides the coefficient.
    const std::size_t slash = factors.rfind('/');
    if (slash != npos && slash > 0 && factors.find('*', slash) == npos && isDigits(factors.substr(slash + 1))) {
        divide(coeff.empty() ? "1" : coeff, factors.substr(slash + 1), out);
        out += '*';
        out += factors.substr(0, slash);
        return;
    }
    out += coeff;
    if (star) out += '*';
    out += factors;
}

// Appends one polynomial's text in canonical form, its terms cut where the
// reader cuts them (nextDelimiter: a sign at index 0, or right after a
// delimiter, is no delimiter). Most texts need nothing: they are copied.
void rewritePolynomial(std::string_view poly, std::string& out) {
    if (!poly.empty() && poly[0] == '+') poly.remove_prefix(1);
    if (poly.find('(') == npos && poly.find('/') == npos) {
        out += poly;
        return;
    }
    std::size_t begin = 0;
    for (std::size_t d = nextDelimiter(0, poly); d != npos; d = nextDelimiter(d + 1, poly)) {
        rewriteTerm(poly.substr(begin, d - begin), out);
        if (poly[d] == '+') out += '+';
        begin = poly[d] == '+' ? d + 1 : d;  // a '-' stays as the next term's sign
    }
    rewriteTerm(poly.substr(begin), out);
}

}  // namespace

bool isFractionText(std::string_view text) {
    const std::size_t slash = text.find('/');
    return slash != npos && isDigits(text.substr(0, slash)) && isDigits(text.substr(slash + 1));
}

std::optional<std::string> normalizeLenient(std::string_view text) {
    if (!needsPass(text)) return std::nullopt;
    const std::string squeezed = squeeze(text);
    const Framing framing = frameDocument(squeezed);
    // Without a framed list (the framing reports it) there is nothing to rewrite.
    if (!framing.frame || !framing.frame->closed) return squeezed;
    const std::string_view head(squeezed.data(), static_cast<std::size_t>(framing.frame->polyText.data() - squeezed.data()));
    std::string out(head);
    out.reserve(squeezed.size() + squeezed.size() / 8);
    std::string list(framing.frame->polyText);
    // p//q is p/q.
    list.erase(std::unique(list.begin(), list.end(), [](char a, char b) { return a == '/' && b == '/'; }), list.end());
    for (Pieces polys(list, ','); polys.next();) {
        rewritePolynomial(polys.piece(), out);
        if (!polys.last()) out += ',';
    }
    out += std::string_view(squeezed).substr(head.size() + framing.frame->polyText.size());
    return out;
}

}  // namespace initform
