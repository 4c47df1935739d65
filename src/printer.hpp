// Writing a polynomial back as text: its terms in ascending key order, each
// with its sign, coefficient and variables. The printer is defined here,
// in the header, so that the driver's loop inlines it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

#include "pieces.hpp"
#include "polynomial.hpp"
#include "writer.hpp"

namespace initform {

// Writes a term's sign and coefficient; true when a '*' must come before a
// variable that follows.
template <class A>
[[gnu::always_inline]] inline bool printKoeff(const typename A::CoeffStore& store, typename A::Coeff c, bool plus, Writer& out) {
    // Every later term begins with its sign; a coefficient of 0 gets "+"
    // too, so that the printed polynomial reads back to the same terms.
    if (plus && !A::isNegative(store, c)) out.put('+');
    switch (A::unitSign(c)) {
        case 1:
            return false;
        case -1:
            out.put('-');
            return false;
        default:
            A::printCoeff(store, c, out);
            return true;
    }
}

// Writes a term's variables and their exponents, after a '*' when `star`
// is set; true when anything was written before or now.
template <class A>
[[gnu::always_inline]] inline bool printVars(std::span<const EntryOf<A>> key, bool star, const StringList& names, Writer& out) {
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

// Writes p; "0" for a polynomial without terms. Inlined into the loops
// that answer polynomials (docs/performance.md has the figure).
template <class A>
[[gnu::always_inline]] inline void printPoly(const PolynomialOf<A>& p, const StringList& names, Writer& out) {
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
        bool star = printKoeff<A>(p.coeffs, t.coeff, later, out);
        star = printVars<A>(keyOf(p, t), star, names, out);
        if (!star) out.put('1');
        later = true;
        out.spillIfLarge();
    }
}

}  // namespace initform
