// The Gröbner cone of bounding vectors, and the walk's step.
#include "cone.hpp"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "bitsets.hpp"
#include "errors.hpp"
#include "exact.hpp"
#include "polyhedra.hpp"
#include "query.hpp"
#include "reader.hpp"

namespace initform {

namespace {

// Divides v by the greatest common divisor of its entries.
void makeSparsePrimitive(SparseVector& v) {
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

std::vector<IntVector> primitiveRows(const std::vector<QVector>& rows) {
    std::vector<IntVector> out;
    out.reserve(rows.size());
    for (const QVector& row : rows) out.push_back(primitive(row));
    return out;
}

std::vector<QVector> rationalRows(const std::vector<IntVector>& rows) {
    std::vector<QVector> out;
    out.reserve(rows.size());
    for (const IntVector& row : rows) out.push_back(toRational(row));
    return out;
}

IntVector dense(const SparseVector& v, std::size_t n) {
    IntVector out(n, 0);
    for (const auto& [var, value] : v) out[var] = toMpz(value);
    return out;
}

mpz_class dot(const SparseVector& v, const IntVector& w) {
    mpz_class sum = 0;
    for (const auto& [var, value] : v) sum += toMpz(value) * w[var];
    return sum;
}

// The rays on which a bounding vector has degree 0: the face of the cone
// that its hyperplane cuts out, lines aside.
BitSet zeroSet(const SparseVector& v, const std::vector<IntVector>& rays) {
    BitSet set = emptySet(rays.size());
    for (std::size_t r = 0; r < rays.size(); ++r) {
        if (sgn(dot(v, rays[r])) == 0) insert(set, r);
    }
    return set;
}

// The facet normals among the bounding vectors, given the cone's extreme
// rays: a face is determined by the rays it holds, and the facets are the
// maximal proper faces, so a bounding vector is a facet's normal when its
// zero set is not every ray and lies in no larger such set. Each normal is
// made unique by its projection onto the cone's span, the orthogonal
// complement of the equations (itself when there are none).
std::vector<IntVector> facetsAmong(const std::vector<SparseVector>& bounding, std::size_t n,
                                   const std::vector<IntVector>& rays, const std::vector<IntVector>& equations) {
    std::vector<BitSet> faces;        // the proper faces
    std::vector<std::size_t> cutting;  // a bounding vector cutting each out
    const BitSet all = zeroSet({}, rays);
    for (std::size_t k = 0; k < bounding.size(); ++k) {
        BitSet set = zeroSet(bounding[k], rays);
        if (set == all) continue;
        faces.push_back(std::move(set));
        cutting.push_back(k);
    }
    const OrthogonalBasis off = orthogonalBasis(rationalRows(equations));
    std::vector<IntVector> facets;
    for (const std::size_t f : maximalSets(faces)) {
        const IntVector v = dense(bounding[cutting[f]], n);
        facets.push_back(off.vectors.empty() ? v : primitive(projectOff(toRational(v), off)));
    }
    std::sort(facets.begin(), facets.end());
    facets.erase(std::unique(facets.begin(), facets.end()), facets.end());
    return facets;
}

// A point of the relative interior: the sum of the extreme rays, each of
// which lies off every facet's hyperplane somewhere; for a cone without
// rays, the sum of its lineality basis (0 for the cone {0}).
IntVector interiorPoint(const ConeGenerators& g, const std::vector<IntVector>& lineality, std::size_t n) {
    const std::vector<IntVector>& summed = g.rays.empty() ? lineality : g.rays;
    IntVector sum(n, 0);
    for (const IntVector& v : summed)
        for (std::size_t i = 0; i < n; ++i) sum[i] += v[i];
    return primitive(sum);
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
            makeSparsePrimitive(v);
            if (seen.insert(v).second) out.push_back(std::move(v));
        }
    }
    return out;
}

GroebnerCone groebnerCone(const std::vector<SparseVector>& sparse, std::size_t n) {
    std::vector<IntVector> bounding;
    bounding.reserve(sparse.size());
    for (const SparseVector& v : sparse) bounding.push_back(dense(v, n));
    GroebnerCone cone;
    // The lineality space: the weights under which every bounding vector
    // has degree 0 (the homogeneity space of the basis).
    cone.lineality = primitiveRows(nullSpace(rationalRows(bounding), n));
    // The whole space needs no cddlib.
    const ConeGenerators g =
        bounding.empty() ? ConeGenerators{{}, cone.lineality} : coneGenerators(Polyhedra(), bounding, n);
    // C spans what its rays and lines span; the equations are orthogonal to that.
    std::vector<QVector> generators = rationalRows(g.rays);
    for (const IntVector& line : g.lines) generators.push_back(toRational(line));
    const std::vector<QVector> span = rowEchelon(generators);
    cone.dimension = span.size();
    cone.equations = primitiveRows(nullSpace(span, n));
    cone.facets = facetsAmong(sparse, n, g.rays, cone.equations);
    cone.interior = interiorPoint(g, cone.lineality, n);
    return cone;
}

bool inCone(const std::vector<SparseVector>& bounding, const IntVector& w) {
    return std::all_of(bounding.begin(), bounding.end(), [&w](const SparseVector& v) { return sgn(dot(v, w)) >= 0; });
}

mpq_class stepLength(const std::vector<SparseVector>& bounding, const IntVector& from, const IntVector& to) {
    // t = min(1, min over v with to·v < 0 of from·v / (from·v - to·v)):
    // from·v >= 0 in the cone, so the denominator is positive.
    mpq_class t = 1;
    for (const SparseVector& v : bounding) {
        const mpz_class target = dot(v, to);
        if (sgn(target) >= 0) continue;
        const mpz_class start = dot(v, from);
        mpq_class exit(start, start - target);
        exit.canonicalize();
        if (exit < t) t = exit;
    }
    return t;
}

}  // namespace initform
