#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "complex.hpp"
#include "incremental.hpp"
#include "refinement.hpp"

namespace initform {
namespace {

struct Constraint {
    std::vector<long> row;
    bool equal;
};

// The cone's generators as text: the number of lines, then the rays sorted.
template <class Integer>
std::string generatorsOf(std::size_t d, const std::vector<Constraint>& constraints) {
    IncrementalCone<Integer> cone(d, constraints.size());
    for (const Constraint& c : constraints) {
        std::vector<Integer> row;
        for (const long x : c.row) row.emplace_back(x);
        cone.add(row, c.equal);
    }
    std::vector<std::string> rays;
    for (std::size_t k = 0; k < cone.rayCount(); ++k) {
        std::string text = "(";
        for (const Integer& x : cone.ray(k)) {
            if (text.size() > 1) text += ',';
            text += mpz_class(x).get_str();
        }
        rays.push_back(text + ")");
    }
    std::sort(rays.begin(), rays.end());
    std::string out = std::to_string(cone.lineCount()) + " lines";
    for (const std::string& r : rays) out += " " + r;
    return out;
}

TEST(IncrementalCone, KeepsTheExtremeRays) {
    const struct {
        const char* name;
        std::size_t d;
        std::vector<Constraint> constraints;
        const char* generators;
    } rows[] = {
        {"whole plane", 2, {}, "2 lines"},
        {"half plane", 2, {{{1, 0}, false}}, "1 lines (1,0)"},
        {"a line", 2, {{{1, -1}, true}}, "1 lines"},
        {"quadrant", 2, {{{1, 0}, false}, {{0, 1}, false}}, "0 lines (0,1) (1,0)"},
        {"quadrant cut to its diagonal", 2, {{{1, 0}, false}, {{0, 1}, false}, {{1, -1}, true}}, "0 lines (1,1)"},
        {"quadrant cut away", 2, {{{1, 0}, false}, {{0, 1}, false}, {{-1, -1}, false}}, "0 lines"},
        {"redundant cut", 2, {{{1, 0}, false}, {{0, 1}, false}, {{1, 1}, false}}, "0 lines (0,1) (1,0)"},
        // The octant cut through two of its edges: each meets the third.
        {"octant corner", 3, {{{1, 0, 0}, false}, {{0, 1, 0}, false}, {{0, 0, 1}, false}, {{-1, -1, 2}, false}},
         "0 lines (0,0,1) (0,2,1) (2,0,1)"},
        // Rays (±1,±1,1): opposite corners are not adjacent, and no ray
        // comes between them.
        {"square cone halved", 3,
         {{{1, 0, 1}, false}, {{-1, 0, 1}, false}, {{0, 1, 1}, false}, {{0, -1, 1}, false}, {{1, 0, 0}, false}},
         "0 lines (0,-1,1) (0,1,1) (1,-1,1) (1,1,1)"},
        {"square cone on a plane", 3,
         {{{1, 0, 1}, false}, {{-1, 0, 1}, false}, {{0, 1, 1}, false}, {{0, -1, 1}, false}, {{1, -1, 0}, true}},
         "0 lines (-1,-1,1) (1,1,1)"},
        // A line cut twice: a ray, then the lines left slide onto the cuts.
        {"lines cut", 3, {{{1, 1, 0}, false}, {{0, 1, 1}, true}}, "1 lines (1,0,0)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(generatorsOf<std::int64_t>(row.d, row.constraints), row.generators) << row.name;
        EXPECT_EQ(generatorsOf<mpz_class>(row.d, row.constraints), row.generators) << row.name;
    }
}

// The cone {x : (1, i, i^2)·x >= 0, i < 300} has a ray for each edge of the
// polygon of the points (i, i^2): consecutive points, and the first with
// the last. Its constraints fill five words, where a pair of rays reads
// only the words the ray below lies on.
TEST(IncrementalCone, FindsTheEdgesOfAPolygonOfManyCorners) {
    constexpr long kCorners = 300;
    const struct {
        const char* name;
        long (*corner)(long k);  // the corner added k-th
    } rows[] = {
        {"in order", [](long k) { return k; }},
        {"backwards", [](long k) { return kCorners - 1 - k; }},
        {"by sevens", [](long k) { return k * 7 % kCorners; }},
    };
    for (const auto& row : rows) {
        IncrementalCone<std::int64_t> cone(3, kCorners);
        for (long k = 0; k < kCorners; ++k) {
            const long i = row.corner(k);
            const std::vector<std::int64_t> constraint{1, i, i * i};
            cone.add(constraint, false);
        }
        std::vector<std::pair<long, long>> edges;
        for (std::size_t r = 0; r < cone.rayCount(); ++r) {
            std::vector<long> on;
            for (long k = 0; k < kCorners; ++k) {
                if (has(cone.tight(r), static_cast<std::size_t>(k))) on.push_back(row.corner(k));
            }
            std::sort(on.begin(), on.end());
            ASSERT_EQ(on.size(), 2u) << row.name;
            edges.emplace_back(on[0], on[1]);
        }
        std::sort(edges.begin(), edges.end());
        std::vector<std::pair<long, long>> expected{{0, kCorners - 1}};
        for (long i = 0; i + 1 < kCorners; ++i) expected.emplace_back(i, i + 1);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(edges, expected) << row.name;
    }
}

TEST(IncrementalCone, SaysWhenMachineWordsOverflow) {
    // Each second cut combines two rays made by the first: a product beyond
    // 2^63, or two products within it whose sum is not.
    const long big = 1L << 40;
    const long root = 3037000499;  // its square is just below 2^63
    const struct {
        const char* name;
        std::vector<Constraint> constraints;
        const char* generators;
    } rows[] = {
        {"product",
         {{{1, 0, 0}, false}, {{0, 1, 0}, false}, {{0, 0, 1}, false}, {{-big, -big - 1, big + 3}, false},
          {{1, -1, 0}, false}},
         "0 lines (0,0,1) (1099511627779,0,1099511627776) (1099511627779,1099511627779,2199023255553)"},
        {"sum",
         {{{1, 0, 0}, false}, {{0, 1, 0}, false}, {{0, 0, 1}, false}, {{-3037000000, -3037000000, root}, false},
          {{1, -1, 0}, false}},
         "0 lines (0,0,1) (3037000499,0,3037000000) (3037000499,3037000499,6074000000)"},
    };
    for (const auto& row : rows) {
        EXPECT_THROW(generatorsOf<std::int64_t>(3, row.constraints), Overflow) << row.name;
        EXPECT_EQ(generatorsOf<mpz_class>(3, row.constraints), row.generators) << row.name;
    }
}

// The terms of polynomials given by their exponents (all lifts 0) or, with
// lifts, by (lift, exponent...) rows.
std::vector<std::vector<TropicalTerm>> termsOf(const std::vector<std::vector<std::vector<long>>>& polys, bool lifted) {
    std::vector<std::vector<TropicalTerm>> out;
    for (const auto& p : polys) {
        std::vector<TropicalTerm>& terms = out.emplace_back();
        for (const auto& t : p) {
            TropicalTerm& term = terms.emplace_back();
            term.lift = lifted ? t[0] : 0;
            for (std::size_t k = lifted ? 1 : 0; k < t.size(); ++k) term.exponent.emplace_back(t[k]);
        }
    }
    return out;
}

std::string blockOf(const PolyhedralComplex& c) {
    std::ostringstream text;
    {
        Writer w(text);
        writeComplex(w, c);
        w.flush();
    }
    return text.str();
}

TEST(Prevariety, TheSameWhateverTheWalkRemembers) {
    // Each row: a system whose walk meets cones it met before. However few
    // cones the walk remembers, and on however many threads, the cells are
    // the same.
    const struct {
        const char* name;
        std::size_t n;
        bool lifted;
        std::vector<std::vector<std::vector<long>>> polys;
    } rows[] = {
        {"cyclic 4", 4, false,
         {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
          {{1, 1, 0, 0}, {0, 1, 1, 0}, {0, 0, 1, 1}, {1, 0, 0, 1}},
          {{1, 1, 1, 0}, {0, 1, 1, 1}, {1, 0, 1, 1}, {1, 1, 0, 1}},
          {{1, 1, 1, 1}, {0, 0, 0, 0}}}},
        {"G(2,5) as three relations", 10, false,
         {{{1, 0, 0, 0, 0, 0, 0, 1, 0, 0}, {0, 1, 0, 0, 0, 1, 0, 0, 0, 0}, {0, 0, 1, 0, 1, 0, 0, 0, 0, 0}},
          {{1, 0, 0, 0, 0, 0, 0, 0, 1, 0}, {0, 1, 0, 0, 0, 0, 1, 0, 0, 0}, {0, 0, 0, 1, 1, 0, 0, 0, 0, 0}},
          {{0, 1, 0, 0, 0, 0, 0, 0, 0, 1}, {0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, {0, 0, 0, 1, 0, 1, 0, 0, 0, 0}}}},
        {"lifted conics", 2, true,
         {{{0, 0, 0}, {1, 1, 0}, {0, 0, 1}, {2, 2, 0}, {1, 1, 1}, {0, 0, 2}},
          {{3, 0, 0}, {0, 1, 0}, {1, 0, 1}, {0, 2, 0}, {2, 1, 1}, {0, 0, 2}}}},
    };
    for (const auto& row : rows) {
        const std::vector<std::vector<TropicalTerm>> polys = termsOf(row.polys, row.lifted);
        const std::string whole = blockOf(prevariety(polys, row.n));
        EXPECT_NE(whole, "empty\n") << row.name;
        for (const std::size_t remembered : {0, 1, 64, 100}) {
            for (const std::size_t threads : {1, 3}) {
                Walk walk;
                walk.remembered = remembered;
                walk.threads = threads;
                EXPECT_EQ(blockOf(prevariety(polys, row.n, walk)), whole) << row.name << ", " << remembered << " cones";
            }
        }
    }
}

}  // namespace
}  // namespace initform
