// The common refinement of hypersurfaces, enumerated as a tree: one
// hypersurface per level, a branch per cell of it that meets the branch so
// far. A branch ends as soon as some hypersurface has no cell that meets it;
// each level takes the hypersurface with the fewest cells that still meet
// the branch, and passes over a cell whose meeting with the branch lies in
// another's; a hypersurface with a cell that holds the branch leaves the
// levels below, and a branch whose cone was reached before is passed over.
// The tree is walked by several threads at once (tasks.hpp), or only a
// share of it (--part). The leaves' polyhedra, non-maximal and repeated ones
// removed, are the cells.
#include "refinement.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

#include "document.hpp"
#include "incremental.hpp"
#include "tasks.hpp"

namespace initform {

namespace {

// A constraint as integers: the row of a cell, scaled to clear its
// denominators; without lifts, its constant (0) dropped.
template <class Integer>
struct Row {
    std::vector<Integer> entries;
    bool equal;
};

// A polynomial of the list: its terms, and its maximal cells as ties.
struct Surface {
    const std::vector<TropicalTerm>* terms;
    Ties ties;
};

// The constraints of the cell where terms i and j tie below every facet term
// m: (lift_m - lift_i) + (exponent_m - exponent_i)·w >= 0, and = 0 for m = j,
// on the coordinates `kept` of w alone (see Enumeration). The equation
// comes first: the inequalities then cut a cone of one dimension less.
template <class Integer>
std::vector<Row<Integer>> rowsOf(const Surface& s, std::size_t i, std::size_t j, const std::vector<std::size_t>& kept,
                                 bool fan) {
    const std::vector<TropicalTerm>& terms = *s.terms;
    const auto row = [&](std::size_t m, bool equal) {
        QVector q;
        if (!fan) q.emplace_back(terms[m].lift - terms[i].lift);
        for (const std::size_t k : kept) q.emplace_back(terms[m].exponent[k] - terms[i].exponent[k]);
        Row<Integer> out{{}, equal};
        for (const mpz_class& x : primitive(q)) out.entries.push_back(narrowed<Integer>(x));
        return out;
    };
    std::vector<Row<Integer>> rows{row(j, true)};
    for (const std::size_t m : s.ties.facets) {
        if (m != i && m != j) rows.push_back(row(m, false));
    }
    return rows;
}

// Without lifts every cell is a cone holding the lineality space L, and so
// is every intersection: a branch whose intersection is L alone ends there,
// since L is a cell only when nothing larger is. With lifts the polyhedra
// are cones over t = 1 in Q^(1+n), and a branch ends when its cone has no
// ray with t > 0. Each branch keeps its cone in generators, and a cell is
// tested by cutting that cone with the cell's constraints.
//
// Every constraint is orthogonal to L, so the cones are kept modulo L: w
// is w' + l with l in L and w' zero at the pivots of L's echelon basis, and
// a constraint's value at w is its value at w', which lies in the other
// coordinates (`kept_`). There the cones have no lines from L, and each
// generator is already the one representative of its class that a leaf's
// key needs.
template <class Integer>
class Enumeration {
public:
    using Cone = IncrementalCone<Integer>;

    Enumeration(const std::vector<Surface>& surfaces, const Projection& onto, const std::vector<IntVector>& lineality,
                std::size_t n, bool fan)
        : onto_(onto), n_(n), fan_(fan) {
        std::vector<bool> pivot(n, false);
        for (const IntVector& l : lineality) {
            const auto lead = std::find_if(l.begin(), l.end(), [](const mpz_class& x) { return sgn(x) != 0; });
            pivot[static_cast<std::size_t>(lead - l.begin())] = true;
        }
        for (std::size_t k = 0; k < n; ++k) {
            if (!pivot[k]) kept_.push_back(k);
        }
        for (std::size_t k = 0; k < kShards; ++k) {
            vectors_[k].numbers = decltype(vectors_[k].numbers)(16, Hash{this});
            cones_[k].cones = decltype(cones_[k].cones)(16, Hash{this});
        }
        for (const Surface& s : surfaces) {
            std::vector<std::vector<Row<Integer>>>& cells = rows_.emplace_back();
            std::size_t most = 0;
            for (const auto& [i, j] : s.ties.pairs) {
                cells.push_back(rowsOf<Integer>(s, i, j, kept_, fan));
                most = std::max(most, cells.back().size());
            }
            capacity_ += most;
        }
    }

    // The tree from its root, every cell of every hypersurface, walked by
    // the walk's threads.
    void run(const Walk& walk) {
        progress_ = walk.progress;
        conesPerShard_ = walk.remembered / kShards;
        Cone root(fan_ ? kept_.size() : kept_.size() + 1, capacity_);
        if (!fan_) root.add(unitRow(), false);  // t >= 0
        std::vector<Open> all;
        for (std::size_t s = 0; s < rows_.size(); ++s) all.push_back(Open{s, allCells(s), {}});
        std::vector<Task> tasks;
        tasks.push_back(Task{std::move(root), std::move(all)});
        if (walk.parts > 1) tasks = shareOf(std::move(tasks), walk);
        TaskPool<Task> pool(walk.threads);
        workers_.resize(pool.threads());
        pool.run(std::move(tasks), [&](std::size_t worker, const Task& task) {
            visit(pool, workers_[worker], task.branch, task.above);
        });
    }

    // The maximal cells found, each once: the leaves that no other holds,
    // their generators projected once each.
    PolyhedralComplex maximalCells() const {
        std::set<Leaf> found;
        for (const Worker& w : workers_) found.insert(w.found.begin(), w.found.end());
        const std::vector<Leaf> leaves(found.begin(), found.end());
        std::unordered_map<std::uint64_t, const std::vector<Integer>*> generator;
        for (const VectorShard& shard : vectors_) {
            for (const auto& [v, number] : shard.numbers) generator.emplace(number, &v);
        }
        PolyhedralComplex c;
        if (fan_) c.vertices.emplace_back(n_, 0);  // the origin, in every cell of a fan
        std::unordered_map<std::uint64_t, std::size_t> at;  // a generator's place in c.vertices or c.rays
        for (const std::size_t k : maximalLists(leaves)) {
            Cell& cell = c.cells.emplace_back();
            if (fan_) cell.vertices.push_back(0);
            for (const std::uint64_t number : leaves[k]) {
                const std::vector<Integer>& v = *generator.at(number);
                const bool point = !fan_ && v[0] != 0;
                auto [place, fresh] = at.try_emplace(number, point ? c.vertices.size() : c.rays.size());
                if (fresh && point) c.vertices.push_back(onto_(rationalsOf(v, true)));
                if (fresh && !point) c.rays.push_back(*projectedRay(rationalsOf(v, false), onto_));
                (point ? cell.vertices : cell.rays).push_back(place->second);
            }
        }
        // A fan whose every branch ended at L: L is the one cell.
        if (fan_ && c.cells.empty()) c.cells.push_back(Cell{{0}, {}, {}});
        return c;
    }

private:
    // A hypersurface not yet chosen in a branch, its cells that meet the
    // branch, and the branch's cone cut by each. A hypersurface one of
    // whose cells holds the whole branch is satisfied: that cell holds
    // everything below, so it is left out of the levels below.
    struct Open {
        std::size_t surface;
        std::vector<std::size_t> cells;
        std::vector<Cone> cones;
        bool satisfied = false;
    };

    // A leaf's polyhedron by the numbers of its cone's rays (see
    // numberOf), sorted: with lifts, those of t > 0 its points and the
    // others its rays; without, its rays. Equal leaves have equal keys, and
    // they are projected only once the maximal ones are known.
    using Leaf = std::vector<std::size_t>;

    // A branch to walk, and the hypersurfaces open above it with their
    // cells that met the branch above (no cones).
    struct Task {
        Cone branch;
        std::vector<Open> above;
    };

    // The hypersurface a branch takes next: the one with the fewest cells meeting it.
    static typename std::vector<Open>::const_iterator chosenOf(const std::vector<Open>& open) {
        return std::min_element(open.begin(), open.end(), [](const Open& a, const Open& b) { return a.cells.size() < b.cells.size(); });
    }

    // What a thread keeps: the leaves it found, and the cones it cuts
    // a branch's cells into, reused from branch to branch.
    struct Worker {
        std::set<Leaf> found;
        std::vector<Cone> cuts;
    };

    // Every leaf below a branch, given the hypersurfaces open above it.
    void visit(TaskPool<Task>& pool, Worker& worker, const Cone& branch, const std::vector<Open>& above) {
        if (progress_ != nullptr) progress_->branches.fetch_add(1, std::memory_order_relaxed);
        if (std::optional<std::vector<Open>> open = opened(branch, above, worker.cuts)) {
            descend(pool, worker, branch, *open);
        }
    }

    // The hypersurfaces open at a branch, given those open above it; none
    // when one of them has no cell that meets the branch. Only the chosen
    // one keeps its cells' cones: the others' are cut again below, so
    // keeping them would hold a cone per cell and hypersurface at every
    // level of the branch.
    std::optional<std::vector<Open>> opened(const Cone& branch, const std::vector<Open>& above,
                                            std::vector<Cone>& cuts) const {
        std::vector<Open> open;
        for (const Open& o : above) {
            open.push_back(meeting(branch, o.surface, o.cells, cuts));
            if (open.back().cells.empty()) return std::nullopt;
            if (open.back().satisfied) open.pop_back();
        }
        if (open.empty()) return open;
        Open& chosen = *(open.begin() + (chosenOf(open) - open.cbegin()));
        for (const std::size_t c : chosen.cells) chosen.cones.push_back(cutOf(branch, chosen.surface, c));
        return open;
    }

    // The branch's cone cut by a cell's constraints.
    Cone cutOf(const Cone& branch, std::size_t surface, std::size_t cell) const {
        Cone cut = branch;
        for (const Row<Integer>& row : rows_[surface][cell]) cut.add(row.entries, row.equal);
        return cut;
    }

    // The hypersurfaces open above a branch below the chosen one: the others, their cells only.
    static std::vector<Open> othersThan(const std::vector<Open>& open, typename std::vector<Open>::const_iterator chosen) {
        std::vector<Open> above;
        for (auto o = open.begin(); o != open.end(); ++o) {
            if (o != chosen) above.push_back(Open{o->surface, o->cells, {}, false});
        }
        return above;
    }

    // The share of the tree of part `part` of `parts`: its first levels
    // walked breadth first, the same in every part, until they hold 16
    // branches a part, of which the part takes every parts-th.
    std::vector<Task> shareOf(std::vector<Task> level, const Walk& walk) {
        std::vector<Cone> cuts;
        for (bool grew = true; grew && level.size() < 16 * walk.parts;) {
            grew = false;
            std::vector<Task> next;
            for (Task& task : level) {
                std::optional<std::vector<Open>> open = opened(task.branch, task.above, cuts);
                if (!open) continue;
                if (open->empty()) {  // a leaf: it stays as it is
                    next.push_back(Task{std::move(task.branch), {}});
                    continue;
                }
                const auto chosen = chosenOf(*open);
                const std::vector<Open> above = othersThan(*open, chosen);
                for (const Cone& cone : chosen->cones) {
                    if (firstVisit(cone)) next.push_back(Task{cone, above});
                }
                grew = true;
            }
            level = std::move(next);
        }
        std::vector<Task> share;
        for (std::size_t k = walk.part - 1; k < level.size(); k += walk.parts) share.push_back(std::move(level[k]));
        return share;
    }

    // Every leaf below the branch. A branch whose cone came before is
    // passed over: the cells below a branch depend on its cone alone (every
    // hypersurface it has left holds it in one cell). While another thread
    // waits, a branch is set aside for it.
    void descend(TaskPool<Task>& pool, Worker& worker, const Cone& branch, const std::vector<Open>& open) {
        if (open.empty()) return leaf(worker.found, branch);
        if (pool.stopped()) return;
        const auto chosen = chosenOf(open);
        const std::vector<Open> above = othersThan(open, chosen);
        for (std::size_t k = 0; k < chosen->cones.size(); ++k) {
            const Cone& next = chosen->cones[k];
            if (!firstVisit(next)) continue;
            if (k + 1 < chosen->cones.size() && pool.threads() > 1 && pool.hungry()) {
                pool.give(Task{next, above});
                continue;
            }
            visit(pool, worker, next, above);
        }
    }

    // The cells of a hypersurface that meet the branch, less those whose
    // intersection with it lies in another's (of equal ones, the first
    // stays): every leaf below such a cell lies in the leaf below the other
    // with the same cells chosen after it, so no maximal cell is lost, and a
    // branch that lies in some cell of the hypersurface keeps just that one.
    // The cones of the cells are cut into `cuts`, whose room is reused.
    Open meeting(const Cone& branch, std::size_t surface, const std::vector<std::size_t>& cells,
                 std::vector<Cone>& cuts) const {
        // A cell that holds the branch holds every other cell's meeting
        // with it: the first such cell alone stays, and cuts nothing.
        for (const std::size_t c : cells) {
            if (liesIn(branch, surface, c)) return Open{surface, {c}, {}, true};
        }
        std::vector<std::size_t> met;
        for (const std::size_t c : cells) {
            if (cuts.size() == met.size()) cuts.push_back(branch);
            Cone& cut = cuts[met.size()];
            cut = branch;
            for (const Row<Integer>& row : rows_[surface][c]) cut.add(row.entries, row.equal);
            if (meets(cut)) met.push_back(c);
        }
        Open o{surface, {}, {}};
        for (std::size_t i = 0; i < met.size(); ++i) {
            bool held = false;
            for (std::size_t j = 0; j < met.size() && !held; ++j) {
                held = j != i && liesIn(cuts[i], surface, met[j]) && (j < i || !liesIn(cuts[j], surface, met[i]));
            }
            if (!held) o.cells.push_back(met[i]);
        }
        return o;
    }

    // Whether the cone lies in a cell of a hypersurface.
    bool liesIn(const Cone& cone, std::size_t surface, std::size_t cell) const {
        return std::all_of(rows_[surface][cell].begin(), rows_[surface][cell].end(),
                           [&](const Row<Integer>& row) { return cone.satisfies(row.entries, row.equal); });
    }

    // Whether the cone holds more than a branch may end with: a point of
    // t > 0 (with lifts), or more than the lineality space (without).
    bool meets(const Cone& cone) const {
        if (fan_) return cone.rayCount() > 0 || cone.lineCount() > 0;
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
        std::vector<Integer> t(kept_.size() + 1, Integer(0));
        t[0] = 1;
        return t;
    }

    // A leaf's cell (several branches may end in one cell: their keys are one).
    void leaf(std::set<Leaf>& found, const Cone& cone) {
        if (found.insert(keyOf(cone)).second && progress_ != nullptr) progress_->cells.fetch_add(1, std::memory_order_relaxed);
    }

    // Whether no branch with this cone came before: the cone as the numbers
    // of its lines and of its rays, each sorted (equal numbers are equal
    // cones; one cone kept by other generators is seen again, which costs
    // time, never a cell). The cones remembered are a bounded cache, not
    // the whole tree: a full shard forgets its cones and starts again, and
    // a cone forgotten is walked again, which costs time, never a cell.
    bool firstVisit(const Cone& cone) {
        std::vector<std::uint64_t> lines;
        std::vector<std::uint64_t> rays;
        for (std::size_t k = 0; k < cone.lineCount(); ++k) lines.push_back(numberOf(cone.line(k)));
        for (std::size_t k = 0; k < cone.rayCount(); ++k) rays.push_back(numberOf(cone.ray(k)));
        std::sort(lines.begin(), lines.end());
        std::sort(rays.begin(), rays.end());
        lines.push_back(UINT64_MAX);  // between the lines and the rays
        lines.insert(lines.end(), rays.begin(), rays.end());
        ConeShard& shard = cones_[hashOf(std::span<const std::uint64_t>(lines)) % kShards];
        const std::lock_guard<std::mutex> lock(shard.lock);
        if (shard.cones.size() >= conesPerShard_) shard.cones.clear();
        return shard.cones.insert(std::move(lines)).second;
    }

    // The number of a vector among all the generators seen so far (a
    // shard's own count, then the shard).
    std::uint64_t numberOf(std::span<const Integer> v) {
        const std::uint64_t h = hashOf(v);
        VectorShard& shard = vectors_[h % kShards];
        const std::lock_guard<std::mutex> lock(shard.lock);
        const std::uint64_t next = shard.numbers.size() * kShards + h % kShards;
        return shard.numbers.try_emplace(std::vector<Integer>(v.begin(), v.end()), next).first->second;
    }

    // A hash of a vector's entries, seeded for the run.
    template <class T>
    std::uint64_t hashOf(std::span<const T> v) const {
        std::uint64_t h = seed_;
        for (const T& x : v) {
            std::uint64_t e;
            if constexpr (std::is_same_v<T, mpz_class>) {
                e = static_cast<std::uint64_t>(mpz_get_si(x.get_mpz_t())) ^ static_cast<std::uint64_t>(mpz_size(x.get_mpz_t()));
            } else {
                e = static_cast<std::uint64_t>(x);
            }
            h = mixed(h ^ e);
        }
        return h;
    }

    static std::uint64_t mixed(std::uint64_t x) {
        x ^= x >> 30;
        x *= 0xbf58476d1ce4e5b9ULL;
        x ^= x >> 27;
        x *= 0x94d049bb133111ebULL;
        return x ^ (x >> 31);
    }

    // Hashes for the tables below, by the run's seed.
    struct Hash {
        const Enumeration* owner;
        template <class T>
        std::size_t operator()(const std::vector<T>& v) const { return owner->hashOf(std::span<const T>(v)); }
    };

    Leaf keyOf(const Cone& cone) {
        Leaf key;
        for (std::size_t k = 0; k < cone.rayCount(); ++k) key.push_back(numberOf(cone.ray(k)));
        std::sort(key.begin(), key.end());
        return key;
    }

    // A generator as rationals in Q^n, 0 at L's pivots: a point's x / t, a ray's x.
    QVector rationalsOf(const std::vector<Integer>& v, bool point) const {
        QVector q(n_, 0);
        const std::size_t offset = fan_ ? 0 : 1;
        for (std::size_t i = 0; i < kept_.size(); ++i) {
            q[kept_[i]] = mpq_class(mpz_class(v[offset + i]), point ? mpz_class(v[0]) : mpz_class(1));
            q[kept_[i]].canonicalize();
        }
        return q;
    }

    std::vector<std::vector<std::vector<Row<Integer>>>> rows_;  // of each hypersurface's cells
    const Projection& onto_;        // onto the complement of the lineality space
    std::vector<std::size_t> kept_;  // the coordinates that are not pivots of its echelon basis
    // The generators and the cones of the branches so far, which every
    // thread reads and writes: split by hash, a lock a shard, so that the
    // threads seldom wait for one another.
    static constexpr std::size_t kShards = 64;
    std::uint64_t seed_ = hashSeed();
    struct VectorShard {
        std::mutex lock;
        std::unordered_map<std::vector<Integer>, std::uint64_t, Hash> numbers;
    };
    struct ConeShard {
        std::mutex lock;
        std::unordered_set<std::vector<std::uint64_t>, Hash> cones;
    };
    std::array<VectorShard, kShards> vectors_;
    std::array<ConeShard, kShards> cones_;
    std::vector<Worker> workers_;  // one a thread
    std::size_t conesPerShard_ = 0;  // the walk's cones remembered, shared out among the shards
    Walk::Progress* progress_ = nullptr;
    std::size_t capacity_ = 1;  // the most constraints on a branch: t >= 0 and one cell per hypersurface
    std::size_t n_;
    bool fan_;
};

// The maximal cells of the refinement, in machine words and, when they do
// not suffice, in GMP integers.
PolyhedralComplex refinedCells(const std::vector<Surface>& surfaces, const Projection& onto,
                               const std::vector<IntVector>& lineality, std::size_t n, bool fan, const Walk& walk) {
    try {
        Enumeration<std::int64_t> tree(surfaces, onto, lineality, n, fan);
        tree.run(walk);
        return tree.maximalCells();
    } catch (const Overflow&) {
        Enumeration<mpz_class> tree(surfaces, onto, lineality, n, fan);
        tree.run(walk);
        return tree.maximalCells();
    }
}

// The dimension of a cell in the complement of the lineality: the rank of
// its rays and of its vertices' differences.
std::size_t cellDimension(const PolyhedralComplex& c, const Cell& cell) {
    std::vector<QVector> spanning;
    for (const std::size_t r : cell.rays) spanning.push_back(toRational(c.rays[r]));
    for (std::size_t k = 1; k < cell.vertices.size(); ++k) {
        QVector d = c.vertices[cell.vertices[k]];
        for (std::size_t i = 0; i < d.size(); ++i) d[i] -= c.vertices[cell.vertices[0]][i];
        spanning.push_back(std::move(d));
    }
    return rowEchelon(std::move(spanning)).size();
}

}  // namespace

PolyhedralComplex prevariety(const std::vector<std::vector<TropicalTerm>>& polynomials, std::size_t n, const Walk& walk) {
    std::vector<Surface> surfaces;
    std::vector<QVector> spanning;  // of every polynomial's differences: their null space is the lineality
    for (const std::vector<TropicalTerm>& terms : polynomials) {
        if (terms.empty()) continue;  // 0: the whole space constrains nothing
        Span span = differenceSpan(terms, n);
        Ties ties = tiesOf(terms, span);
        if (ties.pairs.empty()) return {};  // a monomial: empty
        for (QVector& row : span.basis) spanning.push_back(std::move(row));
        surfaces.push_back(Surface{&terms, std::move(ties)});
    }
    if (surfaces.empty()) return wholeSpace(n);
    const Span span = spanOf(std::move(spanning), n);
    const std::vector<IntVector> lineality = primitiveComplementOf(span);
    const Projection onto(span);
    const bool fan = std::all_of(polynomials.begin(), polynomials.end(), [](const std::vector<TropicalTerm>& terms) {
        return std::all_of(terms.begin(), terms.end(), [](const TropicalTerm& t) { return sgn(t.lift) == 0; });
    });
    PolyhedralComplex c = refinedCells(surfaces, onto, lineality, n, fan, walk);
    if (c.cells.empty()) return c;
    c.lineality = lineality;
    for (const Cell& cell : c.cells) c.dimension = std::max(c.dimension, lineality.size() + cellDimension(c, cell));
    return c;
}

}  // namespace initform
