// The lenient reading of --lenient: a pass that rewrites a document as
// computer algebra systems print it into the canonical text form, before
// the one reader runs. White space goes everywhere, "**" becomes '^', and in
// the polynomial list a leading '+', a coefficient in parentheses, a
// fraction written p//q and a term's trailing "/digits" become the
// canonical forms (`(10/9)*d^2` is `10/9*d^2`, `6*x2^2/5` is `6/5*x2^2`).
#include <string>

#include "initform.hpp"

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
bool isNumber(std::string_view s) {
    const std::size_t slash = s.find('/');
    return slash == npos ? isDigits(s) : isDigits(s.substr(0, slash)) && isDigits(s.substr(slash + 1));
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

// The number p or p/q divided by r (digit strings), in digits: p/r, or
// p/(q*r).
std::string divide(std::string_view coeff, std::string_view r) {
    const std::size_t slash = coeff.find('/');
    if (slash == npos) return std::string(coeff) + "/" + std::string(r);
    const mpz_class den = mpz_class(std::string(r), 10) * mpz_class(std::string(coeff.substr(slash + 1)), 10);
    return std::string(coeff.substr(0, slash)) + "/" + den.get_str();
}

// One term in canonical form: its sign, a coefficient freed of parentheses
// and of a trailing division, and its factors.
std::string rewriteTerm(std::string_view term) {
    std::string sign;
    if (!term.empty() && term[0] == '-') {
        sign = "-";
        term.remove_prefix(1);
    }
    std::string coeff;
    std::string_view factors = term;
    if (!term.empty() && term[0] == '(') {
        // (p) or (p/q), then '*' and the factors or nothing.
        const std::size_t close = term.find(')');
        if (close == npos || !isNumber(term.substr(1, close - 1))) return sign + std::string(term);
        const std::string_view after = term.substr(close + 1);
        if (!after.empty() && after[0] != '*') return sign + std::string(term);
        coeff = term.substr(1, close - 1);
        factors = after.empty() ? after : after.substr(1);
    } else {
        const std::string_view first = term.substr(0, term.find('*'));
        if (isNumber(first)) {
            coeff = first;
            factors = term.size() > first.size() ? term.substr(first.size() + 1) : std::string_view{};
        }
    }
    // A trailing "/digits" after a variable factor divides the coefficient.
    const std::size_t slash = factors.rfind('/');
    if (slash != npos && slash > 0 && factors.find('*', slash) == npos && isDigits(factors.substr(slash + 1))) {
        coeff = divide(coeff.empty() ? "1" : coeff, factors.substr(slash + 1));
        factors = factors.substr(0, slash);
    }
    if (coeff.empty()) return sign + std::string(factors);
    return sign + coeff + (factors.empty() ? "" : "*") + std::string(factors);
}

// One polynomial's text in canonical form, its terms cut where the reader
// cuts them (nextDelimiter: a sign at index 0, or right after a
// delimiter, is no delimiter).
std::string rewritePolynomial(std::string_view poly) {
    if (!poly.empty() && poly[0] == '+') poly.remove_prefix(1);
    std::string out;
    std::size_t begin = 0;
    for (std::size_t d = nextDelimiter(0, poly); d != npos; d = nextDelimiter(d + 1, poly)) {
        out += rewriteTerm(poly.substr(begin, d - begin));
        if (poly[d] == '+') out += '+';
        begin = poly[d] == '+' ? d + 1 : d;  // a '-' stays as the next term's sign
    }
    return out + rewriteTerm(poly.substr(begin));
}

// Replaces every "//" by '/'.
std::string singleSlashes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (!(c == '/' && !out.empty() && out.back() == '/')) out.push_back(c);
    return out;
}

}  // namespace

std::string normalizeLenient(std::string_view text) {
    std::string doc = squeeze(text);
    const std::size_t h = doc.find("]{");
    const std::size_t e = doc.find('}');
    if (h == npos || e == npos || e < h) return doc;  // the framing reports it, or nothing to rewrite
    std::string out = doc.substr(0, h + 2);
    const std::string list = singleSlashes(std::string_view(doc).substr(h + 2, e - h - 2));
    for (std::size_t pos = 0;;) {
        const std::size_t comma = list.find(',', pos);
        out += rewritePolynomial(std::string_view(list).substr(pos, comma == npos ? npos : comma - pos));
        if (comma == npos) break;
        out += ',';
        pos = comma + 1;
    }
    out.append(doc, e, npos);
    return out;
}

}  // namespace initform
