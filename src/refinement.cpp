// The common refinement of hypersurfaces, enumerated as a tree: one
// hypersurface per level, a branch per cell of it that meets the branch so
// far. A branch ends as soon as some hypersurface has no cell that meets it;
// each level takes the hypersurface with the fewest cells that still meet
// the branch, and passes over a cell whose meeting with the branch lies in
// another's. The leaves' polyhedra, non-maximal and repeated ones removed,
// are the cells.
#include "refinement.hpp"

#include <algorithm>
#include <cstdint>
#include <set>
#include <type_traits>

#include "incremental.hpp"

namespace initform {

namespace {

// A cell's vertices and rays, as keys: a cell that another holds is a face
// of it, so its vertices and rays are some of the other's.
struct CellKey {
    std::vector<QVector> vertices;
    std::vector<IntVector> rays;
    bool operator==(const CellKey& o) const { return vertices == o.vertices && rays == o.rays; }
    bool within(const CellKey& o) const {
        return std::includes(o.vertices.begin(), o.vertices.end(), vertices.begin(), vertices.end()) &&
               std::includes(o.rays.begin(), o.rays.end(), rays.begin(), rays.end());
    }
};

// A constraint as integers: the row of a cell, scaled to clear its
// denominators; without lifts, its constant (0) dropped.
template <class Integer>
struct Row {
    std::vector<Integer> entries;
    bool equal;
};

template <class Integer>
Integer narrowed(const mpz_class& x) {
    if constexpr (std::is_same_v<Integer, mpz_class>) {
        return x;
    } else {
        if (!x.fits_slong_p()) throw Overflow{};
        return x.get_si();
    }
}

template <class Integer>
std::vector<Row<Integer>> rowsOf(const Constraints& c, bool fan) {
    std::vector<Row<Integer>> rows;
    for (std::size_t r = 0; r < c.rows.size(); ++r) {
        const IntVector whole = primitive(c.rows[r]);
        Row<Integer> row{{}, c.equal[r]};
        for (std::size_t k = fan ? 1 : 0; k < whole.size(); ++k) row.entries.push_back(narrowed<Integer>(whole[k]));
        rows.push_back(std::move(row));
    }
    // The equation first: the inequalities then cut a cone of one dimension less.
    std::stable_partition(rows.begin(), rows.end(), [](const Row<Integer>& row) { return row.equal; });
    return rows;
}

// Without lifts every cell is a cone holding the lineality space L, and so
// is every intersection: a branch whose intersection is L alone ends there,
// since L is a cell only when nothing larger is. With lifts the polyhedra
// are cones over t = 1 in Q^(1+n), and a branch ends when its cone has no
// ray with t > 0. Each branch keeps its cone in generators, and a cell is
// tested by cutting that cone with the cell's constraints.
template <class Integer>
class Enumeration {
public:
    using Cone = IncrementalCone<Integer>;

    Enumeration(const std::vector<Hypersurface>& surfaces, std::vector<QVector> orthogonal, std::size_t n, bool fan)
        : orthogonal_(std::move(orthogonal)), n_(n), fan_(fan) {
        for (const Hypersurface& h : surfaces) {
            std::vector<std::vector<Row<Integer>>>& cells = rows_.emplace_back();
            std::size_t most = 0;
            for (const TieCell& cell : h.cells) {
                cells.push_back(rowsOf<Integer>(cell.constraints, fan));
                most = std::max(most, cells.back().size());
            }
            capacity_ += most;
        }
    }

    // The tree from its root: every cell of these hypersurfaces.
    void run(const std::vector<std::size_t>& surfaces) {
        Cone root(fan_ ? n_ : n_ + 1, capacity_);
        if (!fan_) root.add(unitRow(), false);  // t >= 0
        std::vector<Open> open;
        for (const std::size_t s : surfaces) {
            Open o = meeting(root, s, allCells(s));
            if (o.cells.empty()) return;
            open.push_back(std::move(o));
        }
        descend(root, open);
    }

    // The maximal cells found, each once.
    std::vector<Cell> maximalCells() const {
        // A fan whose every branch ended at L: L is the one cell.
        if (fan_ && found_.empty()) return {Cell{{QVector(n_, 0)}, {}, std::nullopt}};
        std::vector<Cell> cells;
        for (const CellKey& key : found_) {
            const bool held = std::any_of(found_.begin(), found_.end(),
                                          [&](const CellKey& o) { return !(o == key) && key.within(o); });
            if (!held) cells.push_back(Cell{key.vertices, key.rays, std::nullopt});
        }
        return cells;
    }

private:
    // A hypersurface not yet chosen in a branch, its cells that meet the
    // branch, and the branch's cone cut by each.
    struct Open {
        std::size_t surface;
        std::vector<std::size_t> cells;
        std::vector<Cone> cones;
    };

    // Every leaf below the branch.
    void descend(const Cone& branch, const std::vector<Open>& open) {
        if (open.empty()) return leaf(branch);
        const auto chosen = std::min_element(open.begin(), open.end(),
                                             [](const Open& a, const Open& b) { return a.cells.size() < b.cells.size(); });
        for (const Cone& next : chosen->cones) {
            std::vector<Open> rest;
            bool dead = false;
            for (auto o = open.begin(); o != open.end() && !dead; ++o) {
                if (o == chosen) continue;
                rest.push_back(meeting(next, o->surface, o->cells));
                dead = rest.back().cells.empty();
            }
            if (!dead) descend(next, rest);
        }
    }

    // The cells of a hypersurface that meet the branch, less those whose
    // intersection with it lies in another's (of equal ones, the first
    // stays): every leaf below such a cell lies in the leaf below the other
    // with the same cells chosen after it, so no maximal cell is lost, and a
    // branch that lies in some cell of the hypersurface keeps just that one.
    Open meeting(const Cone& branch, std::size_t surface, const std::vector<std::size_t>& cells) const {
        Open all{surface, {}, {}};
        for (const std::size_t c : cells) {
            Cone cut = branch;
            for (const Row<Integer>& row : rows_[surface][c]) cut.add(row.entries, row.equal);
            if (!meets(cut)) continue;
            all.cells.push_back(c);
            all.cones.push_back(std::move(cut));
        }
        Open o{surface, {}, {}};
        for (std::size_t i = 0; i < all.cells.size(); ++i) {
            bool held = false;
            for (std::size_t j = 0; j < all.cells.size() && !held; ++j) {
                held = j != i && within(all.cones[i], surface, all.cells[j]) &&
                       (j < i || !within(all.cones[j], surface, all.cells[i]));
            }
            if (held) continue;
            o.cells.push_back(all.cells[i]);
            o.cones.push_back(std::move(all.cones[i]));
        }
        return o;
    }

    // Whether the cone lies in a cell of a hypersurface.
    bool within(const Cone& cone, std::size_t surface, std::size_t cell) const {
        return std::all_of(rows_[surface][cell].begin(), rows_[surface][cell].end(),
                           [&](const Row<Integer>& row) { return cone.satisfies(row.entries, row.equal); });
    }

    // Whether the cone holds more than a branch may end with: a point of
    // t > 0 (with lifts), or more than the lineality space (without).
    bool meets(const Cone& cone) const {
        if (fan_) return cone.rayCount() > 0 || cone.lineCount() > orthogonal_.size();
        for (std::size_t r = 0; r < cone.rayCount(); ++r) {
            if (cone.ray(r)[0] > 0) return true;
        }
        return false;
    }

    std::vector<std::size_t> allCells(std::size_t surface) const {
        std::vector<std::size_t> all(rows_[surface].size());
        for (std::size_t c = 0; c < all.size(); ++c) all[c] = c;
        return all;
    }

    std::vector<Integer> unitRow() const {
        std::vector<Integer> t(n_ + 1, Integer(0));
        t[0] = 1;
        return t;
    }

    // A leaf's cell, unless a leaf with the same rays came before: several
    // branches may end in one cell. Rays that differ by a line of L are
    // told apart here and made one by the projection.
    void leaf(const Cone& cone) {
        std::vector<std::vector<Integer>> rays;
        for (std::size_t k = 0; k < cone.rayCount(); ++k) rays.emplace_back(cone.ray(k).begin(), cone.ray(k).end());
        std::sort(rays.begin(), rays.end());
        if (!seen_.insert(std::move(rays)).second) return;
        std::vector<QVector> points;
        std::vector<QVector> directions;
        if (fan_) points.emplace_back(n_, 0);
        for (std::size_t k = 0; k < cone.rayCount(); ++k) {
            const std::span<const Integer> r = cone.ray(k);
            QVector& v = (fan_ || r[0] == 0 ? directions : points).emplace_back();
            const mpq_class scale = fan_ || r[0] == 0 ? mpq_class(1) : mpq_class(1, mpz_class(r[0]));
            for (std::size_t i = fan_ ? 0 : 1; i < r.size(); ++i) v.emplace_back(mpq_class(mpz_class(r[i])) * scale);
        }
        Cell cell = projectedCell(points, directions, orthogonal_);
        CellKey key{std::move(cell.vertices), std::move(cell.rays)};
        std::sort(key.vertices.begin(), key.vertices.end());
        key.vertices.erase(std::unique(key.vertices.begin(), key.vertices.end()), key.vertices.end());
        std::sort(key.rays.begin(), key.rays.end());
        key.rays.erase(std::unique(key.rays.begin(), key.rays.end()), key.rays.end());
        if (std::find(found_.begin(), found_.end(), key) == found_.end()) found_.push_back(std::move(key));
    }

    std::vector<std::vector<std::vector<Row<Integer>>>> rows_;  // of each hypersurface's cells
    std::vector<QVector> orthogonal_;
    std::set<std::vector<std::vector<Integer>>> seen_;  // the rays of each leaf so far
    std::vector<CellKey> found_;
    std::size_t capacity_ = 1;  // the most constraints on a branch: t >= 0 and one cell per hypersurface
    std::size_t n_;
    bool fan_;
};

// The maximal cells of the refinement, in machine words and, when they do
// not suffice, in GMP integers.
std::vector<Cell> refinedCells(const std::vector<Hypersurface>& surfaces, const std::vector<std::size_t>& constraining,
                               const std::vector<QVector>& orthogonal, std::size_t n, bool fan) {
    try {
        Enumeration<std::int64_t> tree(surfaces, orthogonal, n, fan);
        tree.run(constraining);
        return tree.maximalCells();
    } catch (const Overflow&) {
        Enumeration<mpz_class> tree(surfaces, orthogonal, n, fan);
        tree.run(constraining);
        return tree.maximalCells();
    }
}

// The dimension of a cell in the complement of the lineality: the rank of
// its rays and of its vertices' differences.
std::size_t cellDimension(const Cell& cell) {
    std::vector<QVector> spanning;
    for (const IntVector& r : cell.rays) spanning.push_back(toRational(r));
    for (std::size_t k = 1; k < cell.vertices.size(); ++k) {
        QVector d = cell.vertices[k];
        for (std::size_t i = 0; i < d.size(); ++i) d[i] -= cell.vertices[0][i];
        spanning.push_back(std::move(d));
    }
    return rowEchelon(std::move(spanning)).size();
}

}  // namespace

PolyhedralComplex prevariety(const Polyhedra& polyhedra, const std::vector<std::vector<TropicalTerm>>& polynomials,
                             std::size_t n) {
    std::vector<Hypersurface> surfaces;
    std::vector<QVector> differences;  // of every polynomial: their null space is the lineality
    std::vector<std::size_t> constraining;
    for (const std::vector<TropicalTerm>& terms : polynomials) {
        surfaces.push_back(hypersurface(polyhedra, terms, n));
        if (terms.empty()) continue;  // 0: the whole space constrains nothing
        if (surfaces.back().cells.empty()) return {};  // a monomial: empty
        constraining.push_back(surfaces.size() - 1);
        for (const IntVector& d : surfaces.back().differences) differences.push_back(toRational(d));
    }
    if (constraining.empty()) return wholeSpace(n);
    const std::vector<QVector> lineality = nullSpace(differences, n);
    const bool fan = std::all_of(polynomials.begin(), polynomials.end(), [](const std::vector<TropicalTerm>& terms) {
        return std::all_of(terms.begin(), terms.end(), [](const TropicalTerm& t) { return sgn(t.lift) == 0; });
    });
    PolyhedralComplex c;
    c.cells = refinedCells(surfaces, constraining, orthogonalBasis(lineality), n, fan);
    if (c.cells.empty()) return c;
    for (const QVector& l : lineality) c.lineality.push_back(primitive(l));
    for (const Cell& cell : c.cells) c.dimension = std::max(c.dimension, lineality.size() + cellDimension(cell));
    return c;
}

}  // namespace initform
