// Dividing a polynomial by the largest monomial that divides all of its
// terms (--reduce).
#include "reduce.hpp"

#include <algorithm>
#include <string>

#include "errors.hpp"
#include "exact.hpp"
#include "valued.hpp"

namespace initform {

namespace {

// Writes into `entries`, from their current end, the exponent vector of the largest
// monomial dividing every term: for each variable the smallest exponent over
// all terms, where a term without the variable counts as exponent 0. Only
// the nonzero entries are written. Returns their number.
template <class A>
std::size_t commonMonomial(const PolynomialOf<A>& p, std::vector<EntryOf<A>>& entries) {
    const std::size_t start = entries.size();
    for (const TermOf<A>& t : p.terms) {
        std::span<const EntryOf<A>> key = keyOf(p, t);
        entries.insert(entries.end(), key.begin(), key.end());
    }
    std::sort(entries.begin() + static_cast<std::ptrdiff_t>(start), entries.end(),
              [](const EntryOf<A>& a, const EntryOf<A>& b) { return a.var < b.var; });
    std::size_t out = start;
    for (std::size_t i = start; i < entries.size();) {
        const std::uint32_t var = entries[i].var;
        std::size_t holders = 0;
        typename A::Exponent least = entries[i].exp;
        for (; i < entries.size() && entries[i].var == var; ++i, ++holders) least = std::min(least, entries[i].exp);
        if (holders < p.terms.size()) least = std::min<typename A::Exponent>(least, 0);
        if (least != 0) entries[out++] = {var, least};
    }
    entries.resize(out);
    return out - start;
}

// Appends to `entries` the key E - g of a term, over the union of both
// entry lists; g is the first gSize of the entries.
template <class A>
void subtractKey(std::span<const EntryOf<A>> key, std::size_t gSize, std::vector<EntryOf<A>>& entries) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < key.size() || j < gSize) {
        const EntryOf<A>* g = entries.data();
        std::uint32_t var;
        typename A::Exponent value = 0;
        if (j == gSize || (i < key.size() && key[i].var <= g[j].var)) {
            var = key[i].var;
            value = key[i++].exp;
        } else {
            var = g[j].var;
        }
        if (j < gSize && g[j].var == var && !A::subExponent(value, g[j++].exp)) {
            throw OutOfRange("Exponent", "reduced exponent of variable " + std::to_string(var + 1));
        }
        if (value != 0) entries.push_back({var, value});
    }
}

}  // namespace

template <class A>
void reducePoly(const PolynomialOf<A>& p, PolynomialOf<A>& result) {
    clearPoly(result);
    if (p.terms.size() == 1) {
        // The usual initial form: one term, divided by its own monomial.
        result.terms.push_back({0, 0, A::copyCoeff(p.coeffs, p.terms[0].coeff, result.coeffs)});
        return;
    }
    // The common monomial g goes first in the result's entries; the new keys
    // follow it, and g is removed at the end.
    const std::size_t gSize = commonMonomial(p, result.entries);
    result.terms.reserve(p.terms.size());
    for (const TermOf<A>& t : p.terms) {
        const std::size_t first = result.entries.size();
        subtractKey<A>(keyOf(p, t), gSize, result.entries);
        result.terms.push_back({first - gSize, static_cast<std::uint32_t>(result.entries.size() - first),
                                A::copyCoeff(p.coeffs, t.coeff, result.coeffs)});
    }
    result.entries.erase(result.entries.begin(), result.entries.begin() + static_cast<std::ptrdiff_t>(gSize));
}

#define INITFORM_REDUCE(A) template void reducePoly<A>(const PolynomialOf<A>&, PolynomialOf<A>&);
INITFORM_REDUCE(Wrapping)
INITFORM_REDUCE(Exact)
INITFORM_REDUCE(Valued)
#undef INITFORM_REDUCE

}  // namespace initform
