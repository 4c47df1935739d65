// Answering --tropical and --prevariety: the document read as --exact reads
// it, each polynomial's terms as the rule sees them, and the polyhedra
// computed apart, in cddlib's child, which writes back the printed block.
#include "tropical.hpp"

#include <optional>
#include <sstream>
#include <string>

#include "answer.hpp"
#include "complex.hpp"
#include "exact.hpp"
#include "hypersurface.hpp"
#include "polyhedra.hpp"
#include "reader.hpp"
#include "refinement.hpp"
#include "valued.hpp"

namespace initform {

namespace {

// How a run reads the terms: with the largest degree the exponents are
// negated (the largest of w·a is the smallest of w·(-a)); with a prime, each
// term is lifted by its coefficient's valuation.
struct Reading {
    bool negated = false;
    std::optional<Prime> prime;
};

// The terms of polynomial text, like terms combined and cancelled ones gone.
std::vector<TropicalTerm> termsOf(std::string_view text, const Document& d, const Reading& r) {
    const std::size_t n = d.vars.names.size();
    PolynomialOf<Exact> p;
    p.index.seed = mixSeed(d.vars.seed);
    WholeQueryOf<Exact> whole(n);
    findPolyRep(p, TerminatedText{text}, d.vars, whole.query);
    std::vector<TropicalTerm> terms;
    for (const TermOf<Exact>& t : p.terms) {
        if (Exact::isZero(t.coeff)) continue;
        TropicalTerm term{IntVector(n, 0), 0};
        for (const EntryOf<Exact>& e : keyOf(p, t)) {
            const mpz_class exponent(static_cast<long>(e.exp));
            term.exponent[e.var] = r.negated ? mpz_class(-exponent) : exponent;
        }
        if (r.prime) term.lift = valuationOf(Exact::valueOf(p.coeffs, t.coeff), *r.prime);
        terms.push_back(std::move(term));
    }
    return terms;
}

// The block of a complex, as printed.
std::string blockOf(const PolyhedralComplex& c) {
    std::ostringstream text;
    Writer w(text);
    writeComplex(w, c);
    w.flush();
    return text.str();
}

// The framed document and the reading the options ask for, or nullopt
// after reporting why not.
std::optional<Document> readDocument(const Options& o, const InputSource& in, Diagnostics& diag, Reading& r) {
    if (o.valuation) {
        r.prime = readPrime(*o.valuation.value);
        if (!r.prime) {
            diag.line("Bad input: Valuation '" + std::string(*o.valuation.value) + "' is not a prime");
            return std::nullopt;
        }
    }
    // The textbook rule by default, and the valuation's smallest degree.
    r.negated = o.largest || (!o.smallest && !o.valuation);
    Document d = loadDocument(in, o.lenient);
    if (!checkFraming(d, diag)) return std::nullopt;
    return d;
}

}  // namespace

int answerTropical(const Options& o, const InputSource& in, Diagnostics& diag) {
    Reading r;
    const std::optional<Document> d = readDocument(o, in, diag, r);
    if (!d) return 1;
    const std::size_t n = d->vars.names.size();
    const Polyhedra polyhedra;
    std::size_t k = 0;
    for (Pieces texts(d->framing.frame->polyText, ','); texts.next();) {
        std::vector<TropicalTerm> terms;
        try {
            terms = termsOf(texts.piece(), *d, r);
        } catch (const BadInput& error) {
            diag.badInput(error);
            return 1;
        }
        diag.out.put("polynomial ");
        diag.out.put(std::to_string(++k));
        diag.out.lineEnd();
        diag.out.put(terms.empty() ? blockOf(wholeSpace(n)) : polyhedra.apart([&] {
            return blockOf(hypersurface(polyhedra, terms, n).complex);
        }));
        diag.out.flush();
        if (!diag.out.ok()) return 1;
    }
    return 0;
}

int answerPrevariety(const Options& o, const InputSource& in, Diagnostics& diag) {
    Reading r;
    const std::optional<Document> d = readDocument(o, in, diag, r);
    if (!d) return 1;
    std::vector<std::vector<TropicalTerm>> polynomials;
    try {
        for (Pieces texts(d->framing.frame->polyText, ','); texts.next();) polynomials.push_back(termsOf(texts.piece(), *d, r));
    } catch (const BadInput& error) {
        diag.badInput(error);
        return 1;
    }
    const std::size_t n = d->vars.names.size();
    const Polyhedra polyhedra;
    diag.out.put(polyhedra.apart([&] { return blockOf(prevariety(polyhedra, polynomials, n)); }));
    diag.out.flush();
    return diag.out.ok() ? 0 : 1;
}

}  // namespace initform
