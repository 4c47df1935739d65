// Answering --cone and --toward over a marked basis.
#include "marked.hpp"

#include <string>
#include <unordered_set>

#include "answer.hpp"
#include "cone.hpp"
#include "exact.hpp"
#include "reader.hpp"
#include "weights.hpp"

namespace initform {

namespace {

__extension__ typedef unsigned __int128 UInt128;

UInt128 magnitude(Int128 v) { return v < 0 ? UInt128{0} - static_cast<UInt128>(v) : static_cast<UInt128>(v); }

// Divides v by the greatest common divisor of its entries.
void makePrimitive(SparseVector& v) {
    UInt128 g = 0;
    for (const auto& entry : v) {
        for (UInt128 a = magnitude(entry.second); a != 0;) {
            const UInt128 r = g % a;
            g = a;
            a = r;
        }
    }
    if (g > 1) {
        for (auto& entry : v) entry.second /= static_cast<Int128>(g);
    }
}

// a - b for two exponent vectors, sparse; -(a - b) when `negate` is set.
SparseVector difference(std::span<const EntryOf<Exact>> a, std::span<const EntryOf<Exact>> b, bool negate) {
    SparseVector v;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        const bool fromA = j == b.size() || (i < a.size() && a[i].var <= b[j].var);
        const bool fromB = i == a.size() || (j < b.size() && b[j].var <= a[i].var);
        const std::uint32_t var = fromA ? a[i].var : b[j].var;
        const Int128 value = (fromA ? Int128{a[i++].exp} : 0) - (fromB ? Int128{b[j++].exp} : 0);
        if (value != 0) v.emplace_back(var, negate ? -value : value);
    }
    return v;
}

// Bounding vectors kept once each: a set seeded per run, so that no basis
// can be crafted to make it slow.
struct SeededHash {
    std::uint64_t seed;
    std::size_t operator()(const SparseVector& v) const {
        std::uint64_t h = seed;
        for (const auto& [var, value] : v) {
            h = (h ^ var ^ static_cast<std::uint64_t>(value) ^ static_cast<std::uint64_t>(magnitude(value) >> 64)) *
                0x9e3779b97f4a7c15ULL;
            h ^= h >> 29;
        }
        return static_cast<std::size_t>(h);
    }
};

// The message of polynomial k (from 1) that has no marked term.
BadInput unmarked(std::size_t k, bool zero) {
    const std::string position = std::to_string(k);
    return BadInput(zero ? "Polynomial " + position + " is 0: it has no term to mark"
                         : "The marked term of polynomial " + position + " cancels to 0");
}

void writeVector(Writer& w, const IntVector& v) {
    w.put('(');
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i > 0) w.put(',');
        w.put(v[i].get_str());
    }
    w.put(')');
}

void writeLine(Writer& w, std::string_view label, const IntVector& v) {
    w.put(label);
    w.put(' ');
    writeVector(w, v);
    w.lineEnd();
}

// The weights of a vector text as integers, or nullopt after reporting why not.
std::optional<IntVector> readVector(std::string_view text, Diagnostics& diag) {
    const std::optional<WeightsOf<Exact>> w = readQueryWeights<Exact>(text, diag);
    if (!w) return std::nullopt;
    if (!w->big.empty()) return w->big;
    IntVector v;
    for (const std::int64_t x : w->values) v.emplace_back(static_cast<long>(x));
    return v;
}

// The bounding vectors of the document on `in`, or nullopt after reporting why there are none.
std::optional<std::vector<SparseVector>> readMarkedBasis(const Document& d, const Options& o, Diagnostics& diag) {
    try {
        return boundingVectors(d, o.smallest);
    } catch (const BadInput& error) {
        diag.badInput(error);
        return std::nullopt;
    }
}

}  // namespace

std::vector<SparseVector> boundingVectors(const Document& d, bool smallest) {
    std::vector<SparseVector> out;
    std::unordered_set<SparseVector, SeededHash> seen(16, SeededHash{mixSeed(d.vars.seed)});
    PolynomialOf<Exact> p;
    p.index.seed = mixSeed(d.vars.seed);
    WholeQueryOf<Exact> whole(d.vars.names.size());
    std::size_t k = 0;
    for (Pieces texts(d.framing.frame->polyText, ','); texts.next();) {
        ++k;
        clearPoly(p);
        findPolyRep(p, TerminatedText{texts.piece()}, d.vars, whole.query);
        // The terms stay in the order they were first read: the marked one first.
        const bool zero = std::all_of(p.terms.begin(), p.terms.end(), [](const auto& t) { return Exact::isZero(t.coeff); });
        if (zero || Exact::isZero(p.terms[0].coeff)) throw unmarked(k, zero);
        const std::span<const EntryOf<Exact>> marked = keyOf(p, p.terms[0]);
        for (std::size_t t = 1; t < p.terms.size(); ++t) {
            if (Exact::isZero(p.terms[t].coeff)) continue;  // a term that cancelled is no term
            SparseVector v = difference(marked, keyOf(p, p.terms[t]), smallest);
            makePrimitive(v);
            if (seen.insert(v).second) out.push_back(std::move(v));
        }
    }
    return out;
}

int answerCone(const Options& o, const InputSource& in, Diagnostics& diag) {
    const Document d = loadDocument(in, o.lenient);
    if (!d.framing.frame) {
        diag.line(d.framing.fault);
        return 1;
    }
    const std::optional<std::vector<SparseVector>> bounding = readMarkedBasis(d, o, diag);
    if (!bounding) return 1;
    const GroebnerCone cone = groebnerCone(*bounding, d.vars.names.size());
    Writer& w = diag.out;
    w.put("dimension ");
    w.putNumber(static_cast<std::int64_t>(cone.dimension));
    w.lineEnd();
    for (const IntVector& v : cone.equations) writeLine(w, "equation", v);
    for (const IntVector& v : cone.lineality) writeLine(w, "lineality", v);
    for (const IntVector& v : cone.facets) writeLine(w, "facet", v);
    writeLine(w, "interior", cone.interior);
    return w.ok() ? 0 : 1;
}

int answerWalk(const Options& o, const InputSource& in, Diagnostics& diag) {
    // Both vectors are read before the document, as the first argument is.
    const std::optional<IntVector> from = readVector(o.vector, diag);
    if (!from) return 1;
    const std::optional<IntVector> to = readVector(*o.toward, diag);
    if (!to) return 1;
    const Document d = loadDocument(in, o.lenient);
    if (!d.framing.frame) {
        diag.line(d.framing.fault);
        return 1;
    }
    if (!checkDimension(d, from->size(), diag) || !checkDimension(d, to->size(), diag)) return 1;
    const std::optional<std::vector<SparseVector>> bounding = readMarkedBasis(d, o, diag);
    if (!bounding) return 1;
    if (!inCone(*bounding, *from)) {
        diag.line("Bad input: " + std::string(o.vector) + " is outside the cone of the marked basis");
        return 1;
    }
    writeVector(diag.out, nextWeight(*bounding, *from, *to));
    diag.out.lineEnd();
    return diag.out.ok() ? 0 : 1;
}

}  // namespace initform
