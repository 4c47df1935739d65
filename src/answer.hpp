// Answering one weight vector over the document: the weights, the lines
// before and after the polynomials, and the single pass that reads each
// polynomial through the query and prints its initial form.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "diagnostics.hpp"
#include "document.hpp"
#include "options.hpp"
#include "polynomial.hpp"
#include "query.hpp"
#include "reader.hpp"
#include "reduce.hpp"
#include "weights.hpp"

namespace initform {

// The weights of a vector text (those beyond `limit` counted, not kept,
// and `dropped` standing for those read earlier), or nullopt after
// reporting why there are none.
template <class A>
std::optional<WeightsOf<A>> readQueryWeights(std::string_view vector, Diagnostics& diag, std::size_t limit = SIZE_MAX,
                                             const WeightsCarry* dropped = nullptr);

// The query of these weights under the options' rule and the field;
// wrap-around is noted in diag.
template <class A>
QueryOf<A> queryOf(const WeightsOf<A>& weights, const Options& o, const typename A::Field& field, Diagnostics& diag) {
    QueryOf<A> query{weights.values, o.rule(), weights.big, &diag.wraps};
    query.valuation = A::valuation(field, weights.scale);
    return query;
}

// Writes the message of a document that is not framed as one; true when it is.
bool checkFraming(const Document& d, Diagnostics& diag);
// Writes what comes before the polynomials of an answer with `weights`
// weights: a framing message, the ring header, a dimension message. True
// when the polynomials follow.
bool writeAnswerHead(const Document& d, std::size_t weights, const Options& o, Diagnostics& diag);
// Writes the message of a vector of `weights` weights in a ring of another
// number of variables; true when the numbers agree.
bool checkDimension(const Document& d, std::size_t weights, Diagnostics& diag);
// Writes what follows the polynomials; returns the exit status.
int writeAnswerTail(const Options& o, Writer& w);

// Answers polynomial texts one at a time under one query: reads each
// through the query and leaves its initial form (with --reduce, reduced)
// to print. Its storage is reused from one text to the next.
template <class A>
class TextAnswerOf {
public:
    TextAnswerOf(const Variables& vars, QueryOf<A>& query, bool reduce);
    // The answer for `text`, valid until the next call. Throws BadInput.
    // Inlined into the loops that call it: the single pass pays no call.
    [[gnu::always_inline]] inline const PolynomialOf<A>& answer(TerminatedText text);

private:
    const Variables& vars_;
    QueryOf<A>& query_;
    bool reduce_;
    PolynomialOf<A> p_;
    PolynomialOf<A> reduced_;
    WholeQueryOf<A> whole_;  // for a text read again whole
};

template <class A>
const PolynomialOf<A>& TextAnswerOf<A>::answer(TerminatedText text) {
    clearPoly(p_);
    query_.restart();
    // Read through the query, p is left with the initial form.
    findPolyRep(p_, text, vars_, query_);
    if (query_.rule.dropZeros && dropCancelled(p_, query_)) [[unlikely]] {
        // Every term kept cancelled (or in exact mode every degree lay
        // below the query's start): a dropped term may be the answer, so
        // read the text again, whole.
        clearPoly(p_);
        findPolyRep(p_, text, vars_, whole_.query);
        transformToInitial(p_, query_);
    }
    if constexpr (A::valued) A::toResidues(p_, query_.valuation);
    if (!reduce_) return p_;
    reducePoly(p_, reduced_);
    return reduced_;
}

// Answers one vector: `initform VECTOR switches`, over the coefficients'
// field (with --valuation, its prime). Returns the exit status.
template <class A>
int answerOneVector(const Options& o, const typename A::Field& field, const InputSource& in, Diagnostics& diag);

}  // namespace initform
