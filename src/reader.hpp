// Reading a polynomial's text into a polynomial.
#pragma once

#include <string_view>

#include "pieces.hpp"
#include "polynomial.hpp"
#include "query.hpp"
#include "variables.hpp"

namespace initform {

// Reads a polynomial text into p, adding to its terms, through a query:
// only the terms that can still be part of the initial form are kept, so
// that p read from empty holds the candidates at the end. Throws BadInput
// for a text that does not read; wrap-around is noted where the query notes.
template <class A>
void findPolyRep(PolynomialOf<A>& p, TerminatedText text, const Variables& vars, QueryOf<A>& query);
// The same for any text (read from a terminated copy).
template <class A>
void findPolyRep(PolynomialOf<A>& p, std::string_view text, const Variables& vars, QueryOf<A>& query);
// Reads any text whole: every term is kept.
template <class A>
void findPolyRep(PolynomialOf<A>& p, std::string_view text, const Variables& vars);

}  // namespace initform
