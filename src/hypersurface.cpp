// The tropical hypersurface of one polynomial, from the polyhedron under the
// graph of its tropical polynomial.
//
// P = {(w, t) : t <= lift_i + exponent_i·w for every term i} in Q^(n+1). Its
// facets are the terms that are minimal somewhere alone, and its ridges
// (the intersections of two facets of dimension n - 1) are the maximal cells
// of the hypersurface, each the graph over one of them. cddlib gives P's
// points and rays; which facets a generator lies on, and so which facets
// meet in a ridge, follows from them.
#include "hypersurface.hpp"

#include <algorithm>

#include "bitsets.hpp"

namespace initform {

namespace {

// The generators of P lying on a face: points, then rays.
using GeneratorSet = BitSet;

// lift·[point] + exponent·w - t at a generator (w, t) of P.
mpq_class slack(const TropicalTerm& term, const QVector& g, bool point) {
    mpq_class value = point ? term.lift : mpq_class(0);
    for (std::size_t k = 0; k < term.exponent.size(); ++k) value += term.exponent[k] * g[k];
    return value - g.back();
}

// The generators each term is tight on: its face of P.
std::vector<GeneratorSet> facesOf(const std::vector<TropicalTerm>& terms, const Generators& g) {
    const std::size_t count = g.points.size() + g.rays.size();
    std::vector<GeneratorSet> faces(terms.size(), emptySet(count));
    for (std::size_t i = 0; i < terms.size(); ++i) {
        for (std::size_t k = 0; k < count; ++k) {
            const bool point = k < g.points.size();
            if (sgn(slack(terms[i], point ? g.points[k] : g.rays[k - g.points.size()], point)) == 0) {
                insert(faces[i], k);
            }
        }
    }
    return faces;
}

// The pairs of facets that meet in a ridge: a ridge holds a point of P, and
// lies in no third facet (a face of lower dimension lies in three or more).
std::vector<std::pair<std::size_t, std::size_t>> ridges(const std::vector<GeneratorSet>& faces,
                                                        const std::vector<std::size_t>& facets, std::size_t points) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    for (std::size_t p = 0; p < points; ++p) {
        std::vector<std::size_t> through;  // the facets on point p
        for (const std::size_t f : facets) {
            if (has(faces[f], p)) through.push_back(f);
        }
        for (std::size_t a = 0; a < through.size(); ++a) {
            for (std::size_t b = a + 1; b < through.size(); ++b) {
                const GeneratorSet meet = intersection(faces[through[a]], faces[through[b]]);
                const bool first = firstOf(meet) == p;  // counted once, at the meet's first point
                const bool third = std::any_of(through.begin(), through.end(), [&](std::size_t k) {
                    return k != through[a] && k != through[b] && isSubset(meet, faces[k]);
                });
                if (first && !third) out.emplace_back(through[a], through[b]);
            }
        }
    }
    return out;
}

// The cell where terms i and j tie below every facet term m, as constraints on w.
Constraints tieConstraints(const std::vector<TropicalTerm>& terms, const std::vector<std::size_t>& facets,
                           std::size_t i, std::size_t j, std::size_t n) {
    Constraints c;
    c.n = n;
    // (lift_m - lift_i) + (exponent_m - exponent_i)·w >= 0, and = 0 for m = j.
    const auto row = [&](std::size_t m) {
        QVector r{terms[m].lift - terms[i].lift};
        for (std::size_t k = 0; k < n; ++k) r.emplace_back(terms[m].exponent[k] - terms[i].exponent[k]);
        return r;
    };
    c.add(row(j), true);
    for (const std::size_t m : facets) {
        if (m != i && m != j) c.add(row(m), false);
    }
    return c;
}

mpz_class latticeLength(const IntVector& a, const IntVector& b) {
    mpz_class g = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        const mpz_class d = a[k] - b[k];
        mpz_gcd(g.get_mpz_t(), g.get_mpz_t(), d.get_mpz_t());
    }
    return g;
}

}  // namespace

PolyhedralComplex wholeSpace(std::size_t n) {
    PolyhedralComplex c;
    c.dimension = n;
    for (std::size_t k = 0; k < n; ++k) {
        c.lineality.emplace_back(n, 0);
        c.lineality.back()[k] = 1;
    }
    c.cells.push_back(Cell{{QVector(n, 0)}, {}, std::nullopt});
    return c;
}

Cell projectedCell(const std::vector<QVector>& points, const std::vector<QVector>& rays,
                   const std::vector<QVector>& orthogonal) {
    Cell cell;
    for (const QVector& p : points) cell.vertices.push_back(projectOff(p, orthogonal));
    for (const QVector& r : rays) {
        const QVector off = projectOff(r, orthogonal);
        if (std::any_of(off.begin(), off.end(), [](const mpq_class& x) { return sgn(x) != 0; })) {
            cell.rays.push_back(primitive(off));
        }
    }
    return cell;
}

Hypersurface hypersurface(const Polyhedra& polyhedra, const std::vector<TropicalTerm>& terms, std::size_t n) {
    Hypersurface h;
    for (const TropicalTerm& t : terms) {
        IntVector d(n);
        for (std::size_t k = 0; k < n; ++k) d[k] = t.exponent[k] - terms[0].exponent[k];
        h.differences.push_back(std::move(d));
    }
    if (terms.size() < 2) return h;  // a monomial or a constant: empty
    std::vector<QVector> differences;
    for (const IntVector& d : h.differences) differences.push_back(toRational(d));
    const std::vector<QVector> lineality = nullSpace(differences, n);
    for (const QVector& l : lineality) h.complex.lineality.push_back(primitive(l));
    h.complex.dimension = n - 1;
    // P: lift_i + exponent_i·w - t >= 0.
    Constraints under;
    under.n = n + 1;
    for (const TropicalTerm& t : terms) {
        QVector row{t.lift};
        for (const mpz_class& e : t.exponent) row.emplace_back(e);
        row.emplace_back(-1);
        under.add(std::move(row), false);
    }
    const Generators g = polyhedra.generators(under);
    const std::vector<GeneratorSet> faces = facesOf(terms, g);
    // The terms whose faces are facets (no term's face is all of P, which
    // has the full dimension).
    const std::vector<std::size_t> facets = maximalSets(faces);
    const std::vector<QVector> orthogonal = orthogonalBasis(lineality);
    const auto withoutT = [](const QVector& v) { return QVector(v.begin(), v.end() - 1); };
    for (const auto& [i, j] : ridges(faces, facets, g.points.size())) {
        std::vector<QVector> points;
        std::vector<QVector> rays;
        for (std::size_t k = 0; k < g.points.size(); ++k) {
            if (has(faces[i], k) && has(faces[j], k)) points.push_back(withoutT(g.points[k]));
        }
        for (std::size_t k = 0; k < g.rays.size(); ++k) {
            const std::size_t at = g.points.size() + k;
            if (has(faces[i], at) && has(faces[j], at)) rays.push_back(withoutT(g.rays[k]));
        }
        Cell cell = projectedCell(points, rays, orthogonal);
        cell.multiplicity = latticeLength(terms[i].exponent, terms[j].exponent);
        h.complex.cells.push_back(std::move(cell));
        h.cells.push_back(TieCell{tieConstraints(terms, facets, i, j, n), i, j});
    }
    return h;
}

}  // namespace initform
