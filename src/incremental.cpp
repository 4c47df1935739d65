// The double description step, written once for both kinds of integers; the
// few operations that differ (checked products, gcds) are overloads.
#include "incremental.hpp"

#include <algorithm>
#include <iterator>
#include <numeric>

namespace initform {

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

void makePrimitive(std::span<std::int64_t> v) {
    std::int64_t g = 0;
    for (const std::int64_t x : v) {
        if (x == INT64_MIN) throw Overflow{};  // its absolute value does not fit
        g = std::gcd(g, x);
    }
    if (g > 1) {
        for (std::int64_t& x : v) x /= g;
    }
}
void makePrimitive(std::span<mpz_class> v) {
    mpz_class g = 0;
    for (const mpz_class& x : v) mpz_gcd(g.get_mpz_t(), g.get_mpz_t(), x.get_mpz_t());
    if (g > 1) {
        for (mpz_class& x : v) mpz_divexact(x.get_mpz_t(), x.get_mpz_t(), g.get_mpz_t());
    }
}

namespace {

std::int64_t dotOf(std::span<const std::int64_t> a, std::span<const std::int64_t> b) {
    std::int64_t sum = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        std::int64_t term = 0;
        if (__builtin_mul_overflow(a[k], b[k], &term) || __builtin_add_overflow(sum, term, &sum)) throw Overflow{};
    }
    return sum;
}
mpz_class dotOf(std::span<const mpz_class> a, std::span<const mpz_class> b) {
    mpz_class sum = 0;
    for (std::size_t k = 0; k < a.size(); ++k) sum += a[k] * b[k];
    return sum;
}

int signOf(std::int64_t x) { return (x > 0) - (x < 0); }
int signOf(const mpz_class& x) { return sgn(x); }

// Writes (a·p) q - (a·q) p, made primitive, to out: on the hyperplane
// a·x = 0, and a positive combination of p and q where a·p > 0 >= a·q.
template <class Integer>
void combine(std::span<const Integer> p, const Integer& ap, std::span<const Integer> q, const Integer& aq,
             std::span<Integer> out) {
    for (std::size_t k = 0; k < p.size(); ++k) out[k] = mulSub(ap, q[k], aq, p[k]);
    makePrimitive(out);
}

// The span of the k-th vector of d entries in a block.
template <class T>
std::span<T> slot(std::vector<T>& block, std::size_t k, std::size_t d) {
    return {block.data() + k * d, d};
}

}  // namespace

template <class Integer>
IncrementalCone<Integer>::IncrementalCone(std::size_t d, std::size_t capacity)
    : d_(d), words_((capacity + 63) / 64), lines_(d * d, Integer(0)) {
    for (std::size_t k = 0; k < d; ++k) lines_[k * d + k] = 1;
}

template <class Integer>
void IncrementalCone<Integer>::add(std::span<const Integer> row, bool equal) {
    for (std::size_t l = 0; l < lineCount(); ++l) {
        if (signOf(dotOf(row, line(l))) != 0) return cutLine(l, row, equal);
    }
    cutRays(row, equal);
}

// A line l that crosses the hyperplane: every other generator slides along
// l onto it, and l's positive half is the one new ray (none for an equation).
template <class Integer>
void IncrementalCone<Integer>::cutLine(std::size_t line, std::span<const Integer> row, bool equal) {
    std::vector<Integer> l(lines_.begin() + static_cast<std::ptrdiff_t>(line * d_),
                           lines_.begin() + static_cast<std::ptrdiff_t>((line + 1) * d_));
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line * d_),
                 lines_.begin() + static_cast<std::ptrdiff_t>((line + 1) * d_));
    Integer al = dotOf(row, l);
    if (signOf(al) < 0) {
        for (Integer& x : l) x = mulSub(x, Integer(-1), Integer(0), Integer(0));
        al = dotOf(row, l);
    }
    const auto slide = [&](std::span<Integer> m) {
        const Integer am = dotOf(row, m);
        if (signOf(am) != 0) combine<Integer>(l, al, m, am, m);
    };
    for (std::size_t m = 0; m < lineCount(); ++m) slide(slot(lines_, m, d_));
    for (std::size_t r = 0; r < rayCount(); ++r) {
        slide(slot(rays_, r, d_));
        insert(slot(tight_, r, words_), added_);
    }
    if (!equal) {
        // A line lay on every constraint so far.
        rays_.insert(rays_.end(), l.begin(), l.end());
        tight_.resize(tight_.size() + words_, 0);
        for (std::size_t k = 0; k < added_; ++k) insert(slot(tight_, rayCount() - 1, words_), k);
    }
    ++added_;
}

namespace {

// Sets of up to this many words are read whole by the adjacency test.
constexpr std::size_t kDenseWords = 4;

// The words 0 .. n - 1 of a set, every one, as a range of their numbers.
struct AllWords {
    struct Iterator {
        std::size_t k;
        std::size_t operator*() const { return k; }
        Iterator& operator++() {
            ++k;
            return *this;
        }
        bool operator!=(const Iterator& o) const { return k != o.k; }
    };
    std::size_t n;
    Iterator begin() const { return {0}; }
    Iterator end() const { return {n}; }
};

}  // namespace

// No line crosses: the rays on the hyperplane stay, those on the right side
// stay unless it is an equation, and adjacent pairs across it meet on it.
template <class Integer>
void IncrementalCone<Integer>::cutRays(std::span<const Integer> row, bool equal) {
    std::vector<Integer>& values = spare_.values;
    std::vector<std::size_t>& below = spare_.below;  // the rays on the wrong side
    std::vector<Integer>& newRays = spare_.rays;  // the rays made on the hyperplane
    std::vector<std::uint64_t>& newTight = spare_.tight;
    for (std::size_t r = 0; r < rayCount(); ++r) values.push_back(dotOf(row, ray(r)));
    for (std::size_t q = 0; q < values.size(); ++q) {
        if (signOf(values[q]) < 0) below.push_back(q);
    }
    // Each ray below's words that hold constraints: a pair need read no
    // other word, which pays when the constraints fill many words and a ray
    // lies on few of them (the terms of a hull with a vertex on all). Sets
    // of a few words are read whole.
    std::vector<std::size_t>& words = spare_.words;
    std::vector<std::size_t>& wordsFrom = spare_.wordsFrom;
    if (words_ > kDenseWords) {
        for (const std::size_t q : below) {
            wordsFrom.push_back(words.size());
            for (std::size_t w = 0; w < words_; ++w) {
                if (tight(q)[w] != 0) words.push_back(w);
            }
        }
        wordsFrom.push_back(words.size());
    }
    for (std::size_t p = 0; p < values.size(); ++p) {
        if (signOf(values[p]) <= 0) continue;
        for (std::size_t b = 0; b < below.size(); ++b) {
            const std::size_t q = below[b];
            const bool meets = words_ > kDenseWords
                                   ? adjacent(p, q, std::span<const std::size_t>{words.data() + wordsFrom[b], words.data() + wordsFrom[b + 1]})
                                   : adjacent(p, q, AllWords{words_});
            if (!meets) continue;
            const std::size_t k = newRays.size() / d_;
            newRays.resize(newRays.size() + d_);
            combine<Integer>(ray(p), values[p], ray(q), values[q], slot(newRays, k, d_));
            newTight.resize(newTight.size() + words_);
            const BitSpan on = slot(newTight, k, words_);
            for (std::size_t w = 0; w < words_; ++w) on[w] = tight(p)[w] & tight(q)[w];
            insert(on, added_);
        }
    }
    // The rays that stay keep their places, moved down over those that go;
    // the new rays follow them.
    std::size_t kept = 0;
    for (std::size_t r = 0; r < values.size(); ++r) {
        const int side = signOf(values[r]);
        if (side < 0 || (side > 0 && equal)) continue;
        if (kept != r) {
            const std::span<Integer> from = slot(rays_, r, d_);
            std::move(from.begin(), from.end(), slot(rays_, kept, d_).begin());
            std::copy(tight(r).begin(), tight(r).end(), slot(tight_, kept, words_).begin());
        }
        if (side == 0) insert(slot(tight_, kept, words_), added_);
        ++kept;
    }
    rays_.resize(kept * d_);
    tight_.resize(kept * words_);
    std::move(newRays.begin(), newRays.end(), std::back_inserter(rays_));
    tight_.insert(tight_.end(), newTight.begin(), newTight.end());
    spare_.clear();
    ++added_;
}

template <class Integer>
bool IncrementalCone<Integer>::satisfies(std::span<const Integer> row, bool equal) const {
    for (std::size_t l = 0; l < lineCount(); ++l) {
        if (signOf(dotOf(row, line(l))) != 0) return false;
    }
    for (std::size_t r = 0; r < rayCount(); ++r) {
        const int side = signOf(dotOf(row, ray(r)));
        if (side < 0 || (side > 0 && equal)) return false;
    }
    return true;
}

template <class Integer>
template <class Words>
bool IncrementalCone<Integer>::adjacent(std::size_t p, std::size_t q, const Words& qWords) const {
    // Two rays span a face of dimension 2 beyond the lineality space only if
    // they share at least d - 2 - lines constraints. Only the words where q
    // has constraints are read, so that a pair costs what q's few
    // constraints cost, not the number of constraints added.
    std::size_t common = 0;
    for (const std::size_t w : qWords) common += static_cast<std::size_t>(__builtin_popcountll(tight(p)[w] & tight(q)[w]));
    if (common + 2 + lineCount() < d_) return false;
    for (std::size_t t = 0; t < rayCount(); ++t) {
        if (t == p || t == q) continue;
        bool within = true;
        for (const std::size_t w : qWords) {
            if ((tight(p)[w] & tight(q)[w] & ~tight(t)[w]) != 0) {
                within = false;
                break;
            }
        }
        if (within) return false;
    }
    return true;
}

template class IncrementalCone<std::int64_t>;
template class IncrementalCone<mpz_class>;

}  // namespace initform
