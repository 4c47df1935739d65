// The common refinement of hypersurfaces, enumerated as a tree: one
// hypersurface per level, a branch per cell of it that meets the branch so
// far. A branch ends as soon as some hypersurface has no cell that meets it;
// each level takes the hypersurface with the fewest cells that still meet
// the branch. The leaves' polyhedra, non-maximal and repeated ones removed,
// are the cells.
#include "refinement.hpp"

#include <algorithm>

namespace initform {

namespace {

// The constraints of a branch with one more cell's.
Constraints joined(const Constraints& a, const Constraints& b) {
    Constraints c = a;
    for (std::size_t r = 0; r < b.rows.size(); ++r) c.add(b.rows[r], b.equal[r]);
    return c;
}

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

// A hypersurface not yet chosen in a branch, and its cells that meet it.
struct Open {
    std::size_t surface;
    std::vector<std::size_t> cells;
};

// Without lifts every cell is a cone holding the lineality space L, and so
// is every intersection: a branch whose intersection is L alone ends there,
// since L is a cell only when nothing larger is. With lifts a branch ends
// when its intersection is empty.
class Enumeration {
public:
    Enumeration(const Polyhedra& polyhedra, std::vector<Hypersurface> surfaces, std::vector<QVector> orthogonal,
                std::size_t n, bool fan)
        : polyhedra_(polyhedra), surfaces_(std::move(surfaces)), orthogonal_(std::move(orthogonal)), n_(n), fan_(fan) {}

    // Every leaf below the branch.
    void descend(const Constraints& branch, const std::vector<Open>& open) {
        if (open.empty()) return leaf(branch);
        const auto chosen = std::min_element(open.begin(), open.end(),
                                             [](const Open& a, const Open& b) { return a.cells.size() < b.cells.size(); });
        for (const std::size_t cell : chosen->cells) {
            const Constraints next = joined(branch, constraintsOf(chosen->surface, cell));
            std::vector<Open> rest;
            bool dead = false;
            for (auto o = open.begin(); o != open.end() && !dead; ++o) {
                if (o == chosen) continue;
                Open meeting{o->surface, {}};
                for (const std::size_t c : o->cells) {
                    if (meets(joined(next, constraintsOf(o->surface, c)))) meeting.cells.push_back(c);
                }
                dead = meeting.cells.empty();
                rest.push_back(std::move(meeting));
            }
            if (!dead) descend(next, rest);
        }
    }

    // The tree from its root: every cell of these hypersurfaces.
    void run(const std::vector<std::size_t>& surfaces) {
        std::vector<Open> open;
        for (const std::size_t s : surfaces) {
            open.push_back(Open{s, std::vector<std::size_t>(surfaces_[s].cells.size())});
            for (std::size_t c = 0; c < open.back().cells.size(); ++c) open.back().cells[c] = c;
        }
        Constraints root;
        root.n = n_;
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
    // Whether the constraints leave more than the branch may end with: a
    // point (with lifts), or more than the lineality space (without): a
    // ray, or lines beyond it.
    bool meets(const Constraints& c) const {
        if (!fan_) return polyhedra_.feasible(c);
        // A line beyond the lineality space: the rows and the space's basis
        // leave a direction free.
        std::vector<QVector> rows = orthogonal_;
        for (const QVector& r : c.rows) rows.emplace_back(r.begin() + 1, r.end());
        if (rowEchelon(std::move(rows)).size() < c.n) return true;
        // Otherwise the cone is pointed off the lineality space, and holds
        // more than 0 exactly when the sum of its inequalities reaches 1 on it.
        Constraints lp = c;
        QVector sum(c.n + 1, 0);
        sum[0] = -1;
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
            if (c.equal[r]) continue;
            for (std::size_t k = 1; k <= c.n; ++k) sum[k] += c.rows[r][k];
        }
        lp.add(std::move(sum), false);
        for (const QVector& l : orthogonal_) {
            QVector row{0};
            row.insert(row.end(), l.begin(), l.end());
            lp.add(std::move(row), true);
        }
        return polyhedra_.feasible(lp);
    }

    const Constraints& constraintsOf(std::size_t surface, std::size_t cell) const {
        return surfaces_[surface].cells[cell].constraints;
    }

    void leaf(const Constraints& branch) {
        const Generators g = polyhedra_.generators(branch);
        if (g.points.empty()) return;
        Cell cell = projectedCell(g.points, g.rays, orthogonal_);
        CellKey key{std::move(cell.vertices), std::move(cell.rays)};
        std::sort(key.vertices.begin(), key.vertices.end());
        key.vertices.erase(std::unique(key.vertices.begin(), key.vertices.end()), key.vertices.end());
        std::sort(key.rays.begin(), key.rays.end());
        key.rays.erase(std::unique(key.rays.begin(), key.rays.end()), key.rays.end());
        if (std::find(found_.begin(), found_.end(), key) == found_.end()) found_.push_back(std::move(key));
    }

    const Polyhedra& polyhedra_;
    std::vector<Hypersurface> surfaces_;
    std::vector<QVector> orthogonal_;
    std::vector<CellKey> found_;
    std::size_t n_;
    bool fan_;
};

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
    Enumeration tree(polyhedra, std::move(surfaces), orthogonalBasis(lineality), n, fan);
    tree.run(constraining);
    PolyhedralComplex c;
    c.cells = tree.maximalCells();
    if (c.cells.empty()) return c;
    for (const QVector& l : lineality) c.lineality.push_back(primitive(l));
    for (const Cell& cell : c.cells) c.dimension = std::max(c.dimension, lineality.size() + cellDimension(cell));
    return c;
}

}  // namespace initform
