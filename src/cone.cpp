// The Gröbner cone of bounding vectors, and the walk's step.
#include "cone.hpp"

#include <algorithm>

#include "exact.hpp"
#include "polyhedra.hpp"

namespace initform {

namespace {

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

GroebnerCone groebnerCone(const std::vector<SparseVector>& sparse, std::size_t n) {
    std::vector<IntVector> bounding;
    bounding.reserve(sparse.size());
    for (const SparseVector& v : sparse) bounding.push_back(dense(v, n));
    GroebnerCone cone;
    // The lineality space: the weights under which every bounding vector
    // has degree 0 (the homogeneity space of the basis).
    cone.lineality = primitiveRows(nullSpace(rationalRows(bounding), n));
    ConeGenerators g;
    if (bounding.empty()) {
        g.lines = cone.lineality;  // the whole space; cddlib is not needed
    } else {
        g = coneGenerators(bounding, n);
    }
    // C spans what its rays and lines span; the equations are orthogonal to that.
    std::vector<QVector> generators = rationalRows(g.rays);
    for (const IntVector& line : g.lines) generators.push_back(toRational(line));
    const std::vector<QVector> span = rowEchelon(generators);
    cone.dimension = span.size();
    cone.equations = primitiveRows(nullSpace(span, n));
    if (!g.rays.empty()) {
        // Each facet normal is made unique by its projection onto C's span.
        for (const IntVector& facet : coneFacets(g, n)) cone.facets.push_back(primitive(project(toRational(facet), span)));
        std::sort(cone.facets.begin(), cone.facets.end());
        cone.facets.erase(std::unique(cone.facets.begin(), cone.facets.end()), cone.facets.end());
    }
    cone.interior = interiorPoint(g, cone.lineality, n);
    return cone;
}

bool inCone(const std::vector<SparseVector>& bounding, const IntVector& w) {
    return std::all_of(bounding.begin(), bounding.end(), [&w](const SparseVector& v) { return sgn(dot(v, w)) >= 0; });
}

IntVector nextWeight(const std::vector<SparseVector>& bounding, const IntVector& from, const IntVector& to) {
    // t = min(1, min over v with to·v < 0 of from·v / (from·v - to·v)).
    mpq_class t = 1;
    for (const SparseVector& v : bounding) {
        const mpz_class target = dot(v, to);
        if (sgn(target) >= 0) continue;
        const mpz_class start = dot(v, from);
        mpq_class exit(start, start - target);
        exit.canonicalize();
        if (exit < t) t = exit;
    }
    QVector w(from.size());
    for (std::size_t i = 0; i < from.size(); ++i) w[i] = (1 - t) * from[i] + t * to[i];
    return primitive(w);
}

}  // namespace initform
