// Answering --cone and --toward over a marked basis.
#include "marked.hpp"

#include <string>

#include "answer.hpp"
#include "complex.hpp"
#include "cone.hpp"
#include "exact.hpp"
#include "weights.hpp"

namespace initform {

namespace {

// A vector text's weights: integers, and the factor the text's fractions
// were scaled by to make them so (1 without fractions).
struct ReadVector {
    IntVector scaled;
    mpz_class scale;
};

// The weights of a vector text, or nullopt after reporting why there are none.
std::optional<ReadVector> readVector(std::string_view text, Diagnostics& diag) {
    const std::optional<WeightsOf<Exact>> w = readQueryWeights<Exact>(text, diag);
    if (!w) return std::nullopt;
    if (!w->big.empty()) return ReadVector{w->big, w->scale};
    IntVector v;
    for (const std::int64_t x : w->values) v.emplace_back(static_cast<long>(x));
    return ReadVector{std::move(v), w->scale};
}

// Writes the vector as read: each weight in lowest terms, p/q or an integer.
void writeAsRead(Writer& w, const ReadVector& v) {
    QVector q;
    for (const mpz_class& x : v.scaled) {
        q.emplace_back(x, v.scale);
        q.back().canonicalize();
    }
    writeVector(w, q);
}

// The bounding vectors of the document, or nullopt after reporting why there are none.
std::optional<std::vector<SparseVector>> readMarkedBasis(const Document& d, const Options& o, Diagnostics& diag) {
    try {
        return boundingVectors(d, o.smallest);
    } catch (const BadInput& error) {
        diag.badInput(error);
        return std::nullopt;
    }
}

}  // namespace

int answerCone(const Options& o, const InputSource& in, Diagnostics& diag) {
    const Document d = loadDocument(in, o.lenient);
    if (!checkFraming(d, diag)) return 1;
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
    const std::optional<ReadVector> from = readVector(o.vector, diag);
    if (!from) return 1;
    const std::optional<ReadVector> to = readVector(*o.toward.value, diag);
    if (!to) return 1;
    const Document d = loadDocument(in, o.lenient);
    if (!checkFraming(d, diag)) return 1;
    if (!checkDimension(d, from->scaled.size(), diag) || !checkDimension(d, to->scaled.size(), diag)) return 1;
    const std::optional<std::vector<SparseVector>> bounding = readMarkedBasis(d, o, diag);
    if (!bounding) return 1;
    if (!inCone(*bounding, from->scaled)) {
        diag.line("Bad input: " + std::string(o.vector) + " is outside the cone of the marked basis");
        return 1;
    }
    // The target itself when the whole segment stays in the cone, so that a
    // walk knows it has arrived; else the point where it leaves, primitive.
    const mpq_class t = stepLength(*bounding, from->scaled, to->scaled);
    if (t == 1) {
        writeAsRead(diag.out, *to);
    } else {
        QVector w(from->scaled.size());
        for (std::size_t i = 0; i < w.size(); ++i) w[i] = (1 - t) * from->scaled[i] + t * to->scaled[i];
        writeVector(diag.out, primitive(w));
    }
    diag.out.lineEnd();
    return diag.out.ok() ? 0 : 1;
}

}  // namespace initform
