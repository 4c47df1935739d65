// Answering --tropical and --prevariety: the document read as --exact reads
// it, each polynomial's terms as the rule sees them, and the sets printed
// as blocks, a hypersurface as soon as its polynomial is read.
#include "tropical.hpp"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "answer.hpp"
#include "complex.hpp"
#include "exact.hpp"
#include "hypersurface.hpp"
#include "picture.hpp"
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
    const Prime* prime = nullptr;
};

// The polynomials of a framed document, one at a time, as tropical terms:
// like terms combined, cancelled ones gone.
class TermReader {
public:
    TermReader(const Document& d, const Reading& r)
        : d_(d), r_(r), texts_(d.framing.frame->polyText, ','), n_(d.vars.names.size()) {
        p_.index.seed = mixSeed(d.vars.seed);
    }

    // Reads the next polynomial into `terms`; false after the last. Throws
    // BadInput.
    bool next(std::vector<TropicalTerm>& terms) {
        if (!texts_.next()) return false;
        ++count_;
        clearPoly(p_);
        WholeQueryOf<Exact> whole(n_);
        findPolyRep(p_, TerminatedText{texts_.piece()}, d_.vars, whole.query);
        terms.clear();
        for (const TermOf<Exact>& t : p_.terms) {
            if (Exact::isZero(t.coeff)) continue;
            TropicalTerm& term = terms.emplace_back(TropicalTerm{IntVector(n_, 0), 0});
            for (const EntryOf<Exact>& e : keyOf(p_, t)) {
                const mpz_class exponent(static_cast<long>(e.exp));
                term.exponent[e.var] = r_.negated ? mpz_class(-exponent) : exponent;
            }
            if (r_.prime != nullptr) term.lift = valuationOf(Exact::valueOf(p_.coeffs, t.coeff), *r_.prime);
        }
        return true;
    }

    // The number of the polynomial read last, from 1, and its text.
    std::size_t count() const { return count_; }
    std::string_view text() const { return texts_.piece(); }
    std::size_t variables() const { return n_; }

private:
    const Document& d_;
    const Reading& r_;
    Pieces texts_;
    std::size_t n_;
    std::size_t count_ = 0;
    PolynomialOf<Exact> p_;
};

// The framed document and the reading the options ask for, or nullopt
// after reporting why not.
std::optional<Document> framedDocument(const Options& o, const std::optional<Prime>& prime, const InputSource& in,
                                     Diagnostics& diag, Reading& r) {
    r.prime = prime ? &*prime : nullptr;
    // The textbook rule by default, and the valuation's smallest degree.
    r.negated = o.largest || (!o.smallest && !prime);
    // A block is passed on whole, once it is written.
    diag.out.holdUntilFlush(true);
    Document d = loadDocument(in, o.lenient);
    if (!checkFraming(d, diag)) return std::nullopt;
    return d;
}

// Runs the walk; where standard error is a terminal and the walk takes
// longer than two seconds, its progress shows there, once a second, and is
// cleared when it ends.
template <class Work>
PolyhedralComplex reported(Diagnostics& diag, const Walk& walk, const Work& work) {
    if (!diag.showsProgress()) return work(walk);
    Walk::Progress progress;
    Walk counted = walk;
    counted.progress = &progress;
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    bool shown = false;
    std::optional<std::thread> reporter;
    const auto report = [&] {
        std::unique_lock<std::mutex> held(lock);
        auto at = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!ended.wait_until(held, at, [&] { return done; })) {
            diag.progress("initform: " + std::to_string(progress.branches.load()) + " branches walked, " +
                          std::to_string(progress.cells.load()) + " cells found");
            shown = true;
            at += std::chrono::seconds(1);
        }
        if (shown) diag.progress("");
    };
    try {
        reporter.emplace(report);
    } catch (...) {  // no thread to be had: no progress
        return work(walk);
    }
    const auto stop = [&] {
        {
            std::lock_guard<std::mutex> held(lock);
            done = true;
        }
        ended.notify_one();
        reporter->join();
    };
    try {
        PolyhedralComplex c = work(counted);
        stop();
        return c;
    } catch (...) {
        stop();
        throw;
    }
}

// What --svg can draw: 2 variables, or 3 when every polynomial is
// homogeneous; BadInput otherwise.
void checkPlane(const std::vector<std::vector<TropicalTerm>>& polynomials, std::size_t n) {
    const std::string can = "--svg draws curves in 2 variables, or in 3 when every polynomial is homogeneous; ";
    if (n != 2 && n != 3) throw BadInput(can + "the ring has " + std::to_string(n));
    for (std::size_t k = 0; k < polynomials.size() && n == 3; ++k) {
        const auto degree = [](const TropicalTerm& t) { return mpz_class(t.exponent[0] + t.exponent[1] + t.exponent[2]); };
        for (const TropicalTerm& t : polynomials[k]) {
            if (degree(t) != degree(polynomials[k][0])) throw BadInput(can + "polynomial " + std::to_string(k + 1) + " is not");
        }
    }
}

// The picture's heading: the mode, its rule and valuation, and the chart.
std::string headingOf(const Options& o, const Reading& r, const Document& d) {
    std::string h = o.action == Options::Action::Prevariety ? "tropical prevariety" : "tropical curves";
    h += r.negated ? ", max convention" : ", min convention";
    if (r.prime != nullptr) h += ", " + r.prime->value.get_str() + "-adic valuation";
    if (d.vars.names.size() == 3) h += ", in the chart w(" + std::string(d.vars.names[0]) + ") = 0";
    return h;
}

// The picture of the polynomials' curves, and of their prevariety when it is given.
std::string pictureOf(const Options& o, const Reading& r, const Document& d,
                      const std::vector<std::vector<TropicalTerm>>& polynomials, const std::vector<std::string>& texts,
                      std::optional<PolyhedralComplex> prevariety) {
    PlaneDrawing p;
    p.n = d.vars.names.size();
    for (const auto& name : d.vars.names) p.names.emplace_back(name);
    p.heading = headingOf(o, r, d);
    for (std::size_t k = 0; k < polynomials.size(); ++k) {
        PlaneDrawing::Curve& c = p.curves.emplace_back();
        c.text = texts[k];
        c.cells = hypersurface(polynomials[k], p.n, &c.duals);
        for (const TropicalTerm& t : polynomials[k]) {
            // The exponents as written: the largest degree negated them.
            const mpz_class sign = r.negated ? -1 : 1;
            c.support.emplace_back(sign * t.exponent[p.n - 2], sign * t.exponent[p.n - 1]);
        }
    }
    p.prevariety = std::move(prevariety);
    return svgOf(p);
}

// Reads every polynomial of the document, and their texts.
void readAll(TermReader& reader, std::vector<std::vector<TropicalTerm>>& polynomials, std::vector<std::string>& texts) {
    for (std::vector<TropicalTerm> terms; reader.next(terms);) {
        polynomials.push_back(std::move(terms));
        texts.emplace_back(reader.text());
    }
}

}  // namespace

int answerTropical(const Options& o, const std::optional<Prime>& prime, const InputSource& in, Diagnostics& diag) {
    Reading r;
    const std::optional<Document> d = framedDocument(o, prime, in, diag, r);
    if (!d) return 1;
    TermReader reader(*d, r);
    std::vector<TropicalTerm> terms;
    try {
        if (o.svg) {
            std::vector<std::vector<TropicalTerm>> polynomials;
            std::vector<std::string> texts;
            readAll(reader, polynomials, texts);
            checkPlane(polynomials, reader.variables());
            diag.out.put(pictureOf(o, r, *d, polynomials, texts, std::nullopt));
            diag.out.flush();
            return diag.out.ok() ? 0 : 1;
        }
        while (reader.next(terms)) {
            diag.out.put("polynomial ");
            diag.out.put(std::to_string(reader.count()));
            diag.out.lineEnd();
            writeComplex(diag.out, hypersurface(terms, reader.variables()));
            diag.out.flush();
            if (!diag.out.ok()) return 1;
        }
    } catch (const BadInput& error) {
        diag.badInput(error);
        return 1;
    }
    return 0;
}

int answerPrevariety(const Options& o, const std::optional<Prime>& prime, const Walk& walk, const InputSource& in,
                     Diagnostics& diag) {
    Reading r;
    const std::optional<Document> d = framedDocument(o, prime, in, diag, r);
    if (!d) return 1;
    TermReader reader(*d, r);
    std::vector<std::vector<TropicalTerm>> polynomials;
    std::vector<std::string> texts;
    try {
        readAll(reader, polynomials, texts);
        if (o.svg) checkPlane(polynomials, reader.variables());
    } catch (const BadInput& error) {
        diag.badInput(error);
        return 1;
    }
    PolyhedralComplex c = reported(diag, walk, [&](const Walk& w) { return prevariety(polynomials, reader.variables(), w); });
    if (o.svg) {
        diag.out.put(pictureOf(o, r, *d, polynomials, texts, std::move(c)));
    } else {
        writeComplex(diag.out, std::move(c));
    }
    diag.out.flush();
    return diag.out.ok() ? 0 : 1;
}

}  // namespace initform
