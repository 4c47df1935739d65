// The tropical hypersurface of one polynomial, from the polyhedron under the
// graph of its tropical polynomial.
//
// With d_i the exponent of term i less the first term's, and y the
// coordinates of w along a basis of the span of the d_i (term i's are
// c_i, the entries of d_i at the span's pivots), the polyhedron is
// P = {(y, s) : s <= lift_i + c_i·y for every term i} in Q^(r+1), r the
// span's dimension: it is the polyhedron under the graph over Q^n with the
// lineality space divided out, so P is pointed and its size follows the
// terms. Its facets are the terms that are minimal somewhere alone, and its
// ridges (the faces of dimension r - 1 in two facets) are the maximal cells
// of the hypersurface. The double description gives P's points and rays
// and the terms each lies on; which facets meet in a ridge follows.
#include "hypersurface.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <type_traits>

#include "bitsets.hpp"
#include "incremental.hpp"

namespace initform {

namespace {

// P, its generators, and the generators each term is tight on (points,
// then rays).
struct Hull {
    std::vector<QVector> points;
    std::vector<QVector> rays;
    std::vector<BitSet> faces;
};

// P as the cone over it, {(h, y, s) : h >= 0, lift_i h + c_i·y - s >= 0},
// kept by its generators while the terms are added: its rays with h > 0
// are P's points, those with h = 0 its rays, and a ray's tight
// constraints are the terms it lies on.
template <class Integer>
Hull hullIn(const std::vector<IntVector>& rows) {
    const std::size_t d = rows[0].size();
    IncrementalCone<Integer> cone(d, rows.size() + 1);
    std::vector<Integer> row(d, Integer(0));
    row[0] = 1;
    cone.add(row, false);  // h >= 0
    for (const IntVector& r : rows) {
        for (std::size_t k = 0; k < d; ++k) row[k] = narrowed<Integer>(r[k]);
        cone.add(row, false);
    }
    Hull h;
    std::vector<std::size_t> order;  // the cone's rays, points first
    for (const bool points : {true, false}) {
        for (std::size_t k = 0; k < cone.rayCount(); ++k) {
            const std::span<const Integer> ray = cone.ray(k);
            if ((ray[0] > 0) != points) continue;
            order.push_back(k);
            QVector& v = (points ? h.points : h.rays).emplace_back();
            for (std::size_t i = 1; i < d; ++i) {
                mpq_class& x = v.emplace_back(mpz_class(ray[i]), points ? mpz_class(ray[0]) : mpz_class(1));
                x.canonicalize();
            }
        }
    }
    h.faces.assign(rows.size(), emptySet(order.size()));
    for (std::size_t g = 0; g < order.size(); ++g) {
        forEachIn(cone.tight(order[g]), [&](std::size_t c) {
            if (c > 0) insert(h.faces[c - 1], g);
        });
    }
    return h;
}

// P for the terms, in machine words while they suffice.
Hull hullOf(const std::vector<TropicalTerm>& terms, const Span& span) {
    // lift_i h + c_i·y - s >= 0, as coprime integers.
    std::vector<IntVector> rows;
    for (const TropicalTerm& t : terms) {
        QVector row{t.lift};
        for (const std::size_t p : span.pivots) row.emplace_back(t.exponent[p] - terms[0].exponent[p]);
        row.emplace_back(-1);
        rows.push_back(primitive(row));
    }
    try {
        return hullIn<std::int64_t>(rows);
    } catch (const Overflow&) {
        return hullIn<mpz_class>(rows);
    }
}

// The pairs of facets that meet in a ridge, ordered by the meet's first
// generator and then by the pair. A ridge of the (r+1)-dimensional pointed
// P holds at least r generators and lies in no third facet (a smaller face
// lies in three or more). Of any r generators of facet i's face that a
// ridge holds, one lies outside the r - 1 held by the most facets: so the
// other facets of i's ridges are found through its other generators, which
// passes over a vertex that every facet holds.
std::vector<std::pair<std::size_t, std::size_t>> ridges(const std::vector<BitSet>& faces,
                                                        const std::vector<std::size_t>& facets, std::size_t r) {
    std::vector<BitSet> facetFaces;
    for (const std::size_t f : facets) facetFaces.push_back(faces[f]);
    const std::size_t count = facetFaces.empty() ? 0 : facetFaces[0].size() * 64;
    const std::vector<std::vector<std::size_t>> holding = holders(facetFaces, count);
    std::vector<std::pair<std::size_t, std::pair<std::size_t, std::size_t>>> found;  // (first, (i, j))
    std::vector<std::size_t> seen(facets.size(), facets.size());
    for (std::size_t a = 0; a < facets.size(); ++a) {
        std::vector<std::size_t> own;
        forEachIn(facetFaces[a], [&](std::size_t k) { own.push_back(k); });
        if (own.size() < r) continue;
        std::stable_sort(own.begin(), own.end(), [&](std::size_t x, std::size_t y) { return holding[x].size() < holding[y].size(); });
        own.resize(own.size() - (r - 1));
        for (const std::size_t k : own) {
            for (const std::size_t b : holding[k]) {
                if (b <= a || seen[b] == a) continue;
                seen[b] = a;
                const BitSet meet = intersection(facetFaces[a], facetFaces[b]);
                if (memberCount(meet) < r) continue;
                const std::vector<std::size_t>& third = holding[rarestIn(meet, holding)];
                const bool inThird = std::any_of(third.begin(), third.end(), [&](std::size_t c) {
                    return c != a && c != b && isSubset(meet, facetFaces[c]);
                });
                if (!inThird) found.push_back({firstOf(meet), {facets[a], facets[b]}});
            }
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::pair<std::size_t, std::size_t>> out;
    for (const auto& f : found) out.push_back(f.second);
    return out;
}

mpz_class latticeLength(const IntVector& a, const IntVector& b) {
    mpz_class g = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        const mpz_class d = a[k] - b[k];
        mpz_gcd(g.get_mpz_t(), g.get_mpz_t(), d.get_mpz_t());
    }
    return g;
}

// A w whose coordinates along the span are a generator's y (its s
// dropped): y at the pivots. Its projection onto the span is the one such w
// there.
QVector scattered(const QVector& generator, const Span& span) {
    QVector w(span.n);
    for (std::size_t k = 0; k < span.pivots.size(); ++k) w[span.pivots[k]] = generator[k];
    return w;
}

}  // namespace

Span differenceSpan(const std::vector<TropicalTerm>& terms, std::size_t n) {
    std::vector<QVector> differences;
    for (std::size_t i = 1; i < terms.size(); ++i) {
        QVector& d = differences.emplace_back(n);
        for (std::size_t k = 0; k < n; ++k) d[k] = terms[i].exponent[k] - terms[0].exponent[k];
    }
    return spanOf(std::move(differences), n);
}

Ties tiesOf(const std::vector<TropicalTerm>& terms, const Span& span) {
    Ties t;
    if (terms.size() < 2) return t;
    const Hull h = hullOf(terms, span);
    // The terms whose faces are facets (no term's face is all of P, which
    // has the full dimension).
    t.facets = maximalSets(h.faces);
    t.pairs = ridges(h.faces, t.facets, span.basis.size());
    return t;
}

PolyhedralComplex hypersurface(const std::vector<TropicalTerm>& terms, std::size_t n,
                               std::vector<std::pair<std::size_t, std::size_t>>* duals) {
    if (terms.empty()) return wholeSpace(n);  // 0
    PolyhedralComplex c;
    if (terms.size() < 2) return c;  // a monomial or a constant: empty
    const Span span = differenceSpan(terms, n);
    c.lineality = primitiveComplementOf(span);
    c.dimension = n - 1;
    const Projection onto(span);
    const Hull h = hullOf(terms, span);
    const std::size_t points = h.points.size();
    // Each generator of P projected once, when a cell first holds it: its
    // position in the complex's list, or none for a ray in the lineality.
    constexpr std::size_t kNotYet = SIZE_MAX;
    constexpr std::size_t kNone = SIZE_MAX - 1;
    std::vector<std::size_t> at(points + h.rays.size(), kNotYet);
    const auto place = [&](std::size_t k) {
        if (at[k] != kNotYet) return at[k];
        if (k < points) {
            c.vertices.push_back(onto(scattered(h.points[k], span)));
            return at[k] = c.vertices.size() - 1;
        }
        std::optional<IntVector> ray = projectedRay(scattered(h.rays[k - points], span), onto);
        if (!ray) return at[k] = kNone;
        c.rays.push_back(std::move(*ray));
        return at[k] = c.rays.size() - 1;
    };
    for (const auto& [i, j] : ridges(h.faces, maximalSets(h.faces), span.basis.size())) {
        Cell& cell = c.cells.emplace_back();
        forEachIn(intersection(h.faces[i], h.faces[j]), [&](std::size_t k) {
            const std::size_t placed = place(k);
            if (placed != kNone) (k < points ? cell.vertices : cell.rays).push_back(placed);
        });
        cell.multiplicity = latticeLength(terms[i].exponent, terms[j].exponent);
        if (duals != nullptr) duals->emplace_back(i, j);
    }
    return c;
}

PolyhedralComplex wholeSpace(std::size_t n) {
    PolyhedralComplex c;
    c.dimension = n;
    for (std::size_t k = 0; k < n; ++k) {
        c.lineality.emplace_back(n, 0);
        c.lineality.back()[k] = 1;
    }
    c.vertices.emplace_back(n, 0);
    c.cells.push_back(Cell{{0}, {}, std::nullopt});
    return c;
}

std::optional<IntVector> projectedRay(const QVector& ray, const Projection& onto) {
    const QVector off = onto(ray);
    if (std::all_of(off.begin(), off.end(), [](const mpq_class& x) { return sgn(x) == 0; })) return std::nullopt;
    return primitive(off);
}

}  // namespace initform
