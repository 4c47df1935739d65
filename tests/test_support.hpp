// Helpers shared by the unit tests: reading a polynomial text and looking at
// the result as an ordered map of dense exponent vectors.
#pragma once

#include <map>
#include <sstream>
#include <string>

#include "initform.hpp"

namespace initform::test {

using DenseMap = std::map<ExponentVector, std::int32_t>;

inline Variables ring(std::string_view names) {
    StringList list;
    populate(list, names, ',');
    return makeVariables(std::move(list));
}

inline DenseMap dense(const Polynomial& p, std::size_t dimension) {
    DenseMap m;
    for (const Term& t : p.terms) m[denseKey(keyOf(p, t), dimension)] = t.coeff;
    return m;
}

template <class A = Wrapping>
PolynomialOf<A> read(std::string_view text, const Variables& vars) {
    PolynomialOf<A> p;
    findPolyRep(p, text, vars);
    return p;
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
