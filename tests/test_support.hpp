// Helpers shared by the unit tests: the default arithmetic's types under
// short names, reading a polynomial text, taking an initial form, and
// looking at the result as an ordered map of dense exponent vectors.
#pragma once

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "initform.hpp"

namespace initform::test {

using ExponentVector = std::vector<std::int32_t>;
using WeightVector = WeightVectorOf<Wrapping>;
using Entry = EntryOf<Wrapping>;
using Term = TermOf<Wrapping>;
using Polynomial = PolynomialOf<Wrapping>;
using ExactPolynomial = PolynomialOf<Exact>;
using DenseMap = std::map<ExponentVector, std::int32_t>;

inline Variables ring(std::string_view names) {
    StringList list;
    populate(list, names, ',');
    return makeVariables(std::move(list));
}

// The position of the variable called `name`, or npos.
inline std::size_t findVariable(const Variables& vars, std::string_view name) {
    return lookUp(vars, name, hashName(name, vars.seed));
}

inline DenseMap dense(const Polynomial& p, std::size_t dimension) {
    DenseMap m;
    for (const Term& t : p.terms) {
        ExponentVector e(dimension, 0);
        for (const Entry& x : keyOf(p, t)) e.at(x.var) = x.exp;
        m[e] = t.coeff;
    }
    return m;
}

template <class A = Wrapping>
PolynomialOf<A> read(std::string_view text, const Variables& vars) {
    PolynomialOf<A> p;
    findPolyRep(p, text, vars);
    return p;
}

// Cuts p down to its initial form under the classic rule.
template <class A>
void transformToInitial(PolynomialOf<A>& p, std::span<const typename A::Weight> weights) {
    transformToInitial(p, QueryOf<A>{weights});
}
inline void transformToInitial(Polynomial& p, const WeightVector& weights) {
    transformToInitial<Wrapping>(p, std::span<const std::int32_t>(weights));
}

template <class A>
PolynomialOf<A> reduced(const PolynomialOf<A>& p) {
    PolynomialOf<A> result;
    reducePoly(p, result);
    return result;
}

template <class A>
std::string print(const PolynomialOf<A>& p, const Variables& vars) {
    std::ostringstream os;
    Writer w(os);
    printPoly(p, vars.names, w);
    w.lineEnd();
    std::string s = os.str();
    s.pop_back();
    return s;
}

}  // namespace initform::test
