// Answering one weight vector: the single pass over the polynomial list.
#include "answer.hpp"

#include <string>

#include "exact.hpp"
#include "valued.hpp"
#include "printer.hpp"
#include "reader.hpp"
#include "reduce.hpp"

namespace initform {

template <class A>
std::optional<WeightsOf<A>> readQueryWeights(std::string_view vector, Diagnostics& diag, std::size_t limit,
                                             const WeightsCarry* dropped) {
    try {
        return readWeights<A>(vector, &diag.wraps, limit, dropped);
    } catch (const BadInput& error) {
        diag.badInput(error);
        return std::nullopt;
    }
}

bool checkFraming(const Document& d, Diagnostics& diag) {
    if (!d.framing.frame) diag.line(d.framing.fault);
    return d.framing.frame.has_value();
}

bool writeAnswerHead(const Document& d, std::size_t weights, const Options& o, Diagnostics& diag) {
    if (!checkFraming(d, diag)) return false;
    Writer& w = diag.out;
    if (o.ring) {
        w.put("Q[");
        w.put(d.framing.frame->varText);
        w.put("]{");
        w.lineEnd();
    }
    return checkDimension(d, weights, diag);
}

bool checkDimension(const Document& d, std::size_t weights, Diagnostics& diag) {
    const std::size_t names = d.vars.names.size();
    if (names == weights) return true;
    Writer& w = diag.out;
    w.put("Dimension of standard input (");
    w.put(std::to_string(names));
    w.put(") and vector-argument (");
    w.put(std::to_string(weights));
    w.put(") doesn't match");
    w.lineEnd();
    return false;
}

int writeAnswerTail(const Options& o, Writer& w) {
    if (o.ring) w.put('}');
    w.lineEnd();
    return w.ok() ? 0 : 1;
}

template <class A>
TextAnswerOf<A>::TextAnswerOf(const Variables& vars, QueryOf<A>& query, bool reduce)
    : vars_(vars), query_(query), reduce_(reduce), whole_(query.weights.size(), query.notes) {
    p_.index.seed = mixSeed(vars.seed);
}

namespace {

// Prints the initial form of every polynomial of the list, separated by
// "," and a line end; polyText is terminated, as the document holds it.
// Returns the exit status so far. Kept out of its caller, which runs once:
// inlined there, the loop's own calls (the next piece) were not.
template <class A>
[[gnu::noinline]] int answerPolynomials(std::string_view polyText, const Variables& vars, QueryOf<A>& query, bool reduce,
                      Diagnostics& diag) {
    Writer& w = diag.out;
    TextAnswerOf<A> answers(vars, query, reduce);
    // A text ends at a ',', at the list's '}' or at the document's end.
    for (Pieces texts(polyText, ','); texts.next();) {
        try {
            printPoly(answers.answer(TerminatedText{texts.piece()}), vars.names, w);
        } catch (const BadInput& error) {
            diag.badInput(error);
            return 1;
        }
        if (texts.last()) break;
        w.put(',');
        w.lineEnd();
        if (!w.ok()) return 1;
    }
    return 0;
}

}  // namespace

template <class A>
int answerOneVector(const Options& o, const typename A::Field& field, const InputSource& in, Diagnostics& diag) {
    const std::optional<WeightsOf<A>> weights = readQueryWeights<A>(o.vector, diag);  // before the input is read
    if (!weights) return 1;
    const Document d = loadDocument(in, o.lenient);
    if (!writeAnswerHead(d, weights->count, o, diag)) return 1;
    QueryOf<A> query = queryOf<A>(*weights, o, field, diag);
    if (answerPolynomials<A>(d.framing.frame->polyText, d.vars, query, o.reduce, diag) != 0) return 1;
    return writeAnswerTail(o, diag.out);
}

#define INITFORM_ANSWER(A)                                                                              \
    template std::optional<WeightsOf<A>> readQueryWeights<A>(std::string_view, Diagnostics&, std::size_t, \
                                                             const WeightsCarry*);                          \
    template class TextAnswerOf<A>;                                                                     \
    template int answerOneVector<A>(const Options&, const A::Field&, const InputSource&, Diagnostics&);
INITFORM_ANSWER(Wrapping)
INITFORM_ANSWER(Exact)
INITFORM_ANSWER(Valued)
#undef INITFORM_ANSWER

}  // namespace initform
