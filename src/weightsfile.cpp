// Answering a file of weight vectors over the document stored once.
#include "weightsfile.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "answer.hpp"
#include "exact.hpp"
#include "printer.hpp"
#include "reader.hpp"
#include "reduce.hpp"

namespace initform {

namespace {

// Every polynomial of a document, read once whole: their terms one after
// another in one polynomial's storage.
template <class A>
struct StoredDocumentOf {
    PolynomialOf<A> terms;
    std::vector<std::size_t> ends;     // polynomial k: terms [ends[k-1], ends[k])
    std::optional<std::string> error;  // the message reading stopped with
};

template <class A>
StoredDocumentOf<A> storeDocument(const Document& d, WrapNotes* notes) {
    StoredDocumentOf<A> s;
    PolynomialOf<A> p;
    p.index.seed = mixSeed(d.vars.seed);
    WholeQueryOf<A> whole(d.vars.names.size(), notes);
    const std::string_view polyText = d.framing.frame->polyText;
    // Room for every term and factor the text can hold, taken at once: the
    // store never grows by doubling, so its memory stays near the input's.
    auto count = [&](char c) { return static_cast<std::size_t>(std::count(polyText.begin(), polyText.end(), c)); };
    const std::size_t terms = count('+') + count('-') + count(',') + 1;
    s.terms.terms.reserve(terms);
    s.terms.entries.reserve(terms + count('*'));
    forEachPiece(polyText, ',', [&](std::string_view text, bool) {
        clearPoly(p);
        try {
            findPolyRep(p, TerminatedText{text}, d.vars, whole.query);
        } catch (const BadInput& error) {
            s.error = error.message;
            return false;
        }
        for (const TermOf<A>& t : p.terms) appendTerm(p, t, s.terms);
        s.ends.push_back(s.terms.terms.size());
        return true;
    });
    return s;
}

// Prints the initial forms of the stored polynomials, as the single pass
// prints them from the text.
template <class A>
int answerStored(const StoredDocumentOf<A>& s, const Variables& vars, const QueryOf<A>& query, bool reduce,
                 Diagnostics& diag) {
    Writer& w = diag.out;
    PolynomialOf<A> q;
    PolynomialOf<A> reduced;
    std::vector<std::size_t> chosen;
    for (std::size_t k = 0; k < s.ends.size(); ++k) {
        selectInitial(s.terms, k == 0 ? 0 : s.ends[k - 1], s.ends[k], query, chosen);
        clearPoly(q);
        for (std::size_t c : chosen) appendTerm(s.terms, s.terms.terms[c], q);
        if (reduce) reducePoly(q, reduced);
        printPoly(reduce ? reduced : q, vars.names, w);
        if (k + 1 == s.ends.size() && !s.error) return 0;
        w.put(',');
        w.lineEnd();
    }
    diag.badInput(BadInput(*s.error));
    return 1;
}

// The answer for one vector text over the stored document: byte for byte
// what a run with that vector prints. Returns its exit status.
template <class A>
int answerStoredVector(std::string_view vector, const Document& d, const StoredDocumentOf<A>* stored,
                       const Options& o, Diagnostics& diag) {
    const std::optional<WeightsOf<A>> weights = readQueryWeights<A>(vector, diag);
    if (!weights) return 1;
    if (!writeAnswerHead(d, weights->values.size(), o, diag)) return 1;
    const QueryOf<A> query{weights->values, o.rule(), weights->big, &diag.wraps};
    if (answerStored<A>(*stored, d.vars, query, o.reduce, diag) != 0) return 1;
    return writeAnswerTail(o, diag.out);
}

}  // namespace

template <class A>
int answerWeightsFile(const Options& o, std::istream& in, Diagnostics& diag) {
    std::ifstream file{std::string(o.weightsFile)};
    if (!file) {
        diag.line("Bad input: Cannot open weights file '" + std::string(o.weightsFile) + "': " + std::strerror(errno));
        return 1;
    }
    // One flush per answer, not per line.
    diag.out.flushEachLine(false);
    const Document d = loadDocument(in, o.lenient);
    std::optional<StoredDocumentOf<A>> stored;
    if (d.framing.frame) stored.emplace(storeDocument<A>(d, &diag.wraps));
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const int status = answerStoredVector<A>(line, d, stored ? &*stored : nullptr, o, diag);
        diag.out.flush();
        if (status != 0) return status;
        if (!diag.out.ok()) return 1;
    }
    return 0;
}

template int answerWeightsFile<Wrapping>(const Options&, std::istream&, Diagnostics&);
template int answerWeightsFile<Exact>(const Options&, std::istream&, Diagnostics&);

}  // namespace initform
