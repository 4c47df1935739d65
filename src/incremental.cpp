// The double description step, written once for both kinds of integers; the
// few operations that differ (checked products, gcds) are overloads.
#include "incremental.hpp"

#include <numeric>

namespace initform {

namespace {

// a*b - c*d.
std::int64_t mulSub(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d) {
    std::int64_t ab = 0;
    std::int64_t cd = 0;
    std::int64_t out = 0;
    if (__builtin_mul_overflow(a, b, &ab) || __builtin_mul_overflow(c, d, &cd) || __builtin_sub_overflow(ab, cd, &out)) {
        throw Overflow{};
    }
    return out;
}
mpz_class mulSub(const mpz_class& a, const mpz_class& b, const mpz_class& c, const mpz_class& d) { return a * b - c * d; }

std::int64_t dotOf(const std::vector<std::int64_t>& a, const std::vector<std::int64_t>& b) {
    std::int64_t sum = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        std::int64_t term = 0;
        if (__builtin_mul_overflow(a[k], b[k], &term) || __builtin_add_overflow(sum, term, &sum)) throw Overflow{};
    }
    return sum;
}
mpz_class dotOf(const std::vector<mpz_class>& a, const std::vector<mpz_class>& b) {
    mpz_class sum = 0;
    for (std::size_t k = 0; k < a.size(); ++k) sum += a[k] * b[k];
    return sum;
}

int signOf(std::int64_t x) { return (x > 0) - (x < 0); }
int signOf(const mpz_class& x) { return sgn(x); }

// v divided by the gcd of its entries.
void makePrimitive(std::vector<std::int64_t>& v) {
    std::int64_t g = 0;
    for (const std::int64_t x : v) {
        if (x == INT64_MIN) throw Overflow{};  // its absolute value does not fit
        g = std::gcd(g, x);
    }
    if (g > 1) {
        for (std::int64_t& x : v) x /= g;
    }
}
void makePrimitive(std::vector<mpz_class>& v) {
    mpz_class g = 0;
    for (const mpz_class& x : v) mpz_gcd(g.get_mpz_t(), g.get_mpz_t(), x.get_mpz_t());
    if (g > 1) {
        for (mpz_class& x : v) mpz_divexact(x.get_mpz_t(), x.get_mpz_t(), g.get_mpz_t());
    }
}

// (a·p) q - (a·q) p, made primitive: on the hyperplane a·x = 0, and a
// positive combination of p and q where a·p > 0 >= a·q.
template <class Integer>
std::vector<Integer> combined(const std::vector<Integer>& p, const Integer& ap, const std::vector<Integer>& q,
                              const Integer& aq) {
    std::vector<Integer> out(p.size());
    for (std::size_t k = 0; k < p.size(); ++k) out[k] = mulSub(ap, q[k], aq, p[k]);
    makePrimitive(out);
    return out;
}

}  // namespace

template <class Integer>
IncrementalCone<Integer>::IncrementalCone(std::size_t d, std::size_t capacity) : capacity(capacity) {
    for (std::size_t k = 0; k < d; ++k) {
        lines.emplace_back(d, Integer(0));
        lines.back()[k] = 1;
    }
}

template <class Integer>
void IncrementalCone<Integer>::add(const Vector& row, bool equal) {
    for (std::size_t l = 0; l < lines.size(); ++l) {
        if (signOf(dotOf(row, lines[l])) != 0) return cutLine(l, row, equal);
    }
    cutRays(row, equal);
}

// A line l that crosses the hyperplane: every other generator slides along
// l onto it, and l's positive half is the one new ray (none for an equation).
template <class Integer>
void IncrementalCone<Integer>::cutLine(std::size_t line, const Vector& row, bool equal) {
    Vector l = std::move(lines[line]);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(line));
    Integer al = dotOf(row, l);
    if (signOf(al) < 0) {
        for (Integer& x : l) x = mulSub(x, Integer(-1), Integer(0), Integer(0));
        al = dotOf(row, l);
    }
    for (Vector& m : lines) {
        const Integer am = dotOf(row, m);
        if (signOf(am) != 0) m = combined(l, al, m, am);
    }
    for (std::size_t r = 0; r < rays.size(); ++r) {
        const Integer ar = dotOf(row, rays[r]);
        if (signOf(ar) != 0) rays[r] = combined(l, al, rays[r], ar);
        insert(tight[r], added);
    }
    if (!equal) {
        // A line lay on every constraint so far.
        BitSet on = emptySet(capacity);
        for (std::size_t k = 0; k < added; ++k) insert(on, k);
        rays.push_back(std::move(l));
        tight.push_back(std::move(on));
    }
    ++added;
}

// No line crosses: the rays on the hyperplane stay, those on the right side
// stay unless it is an equation, and adjacent pairs across it meet on it.
template <class Integer>
void IncrementalCone<Integer>::cutRays(const Vector& row, bool equal) {
    std::vector<Integer> values;
    for (const Vector& r : rays) values.push_back(dotOf(row, r));
    std::vector<Vector> keptRays;
    std::vector<BitSet> keptTight;
    for (std::size_t p = 0; p < rays.size(); ++p) {
        if (signOf(values[p]) <= 0) continue;
        for (std::size_t q = 0; q < rays.size(); ++q) {
            if (signOf(values[q]) >= 0 || !adjacent(p, q)) continue;
            keptRays.push_back(combined(rays[p], values[p], rays[q], values[q]));
            keptTight.push_back(intersection(tight[p], tight[q]));
            insert(keptTight.back(), added);
        }
    }
    for (std::size_t r = 0; r < rays.size(); ++r) {
        const int side = signOf(values[r]);
        if (side < 0 || (side > 0 && equal)) continue;
        if (side == 0) insert(tight[r], added);
        keptRays.push_back(std::move(rays[r]));
        keptTight.push_back(std::move(tight[r]));
    }
    rays = std::move(keptRays);
    tight = std::move(keptTight);
    ++added;
}

template <class Integer>
bool IncrementalCone<Integer>::adjacent(std::size_t p, std::size_t q) const {
    const BitSet both = intersection(tight[p], tight[q]);
    for (std::size_t t = 0; t < rays.size(); ++t) {
        if (t != p && t != q && isSubset(both, tight[t])) return false;
    }
    return true;
}

template struct IncrementalCone<std::int64_t>;
template struct IncrementalCone<mpz_class>;

}  // namespace initform
