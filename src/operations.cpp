// Operations on polynomials: combining like terms, weighted degrees, the
// initial form and the division by the largest common monomial.
#include <algorithm>
#include <optional>
#include <string>
#include <type_traits>

#include "initform.hpp"

namespace initform {

namespace {

template <class A>
std::uint64_t hashKey(std::span<const EntryOf<A>> key, std::uint64_t seed) {
    using Bits = std::make_unsigned_t<typename A::Exponent>;
    std::uint64_t h = (seed ^ 0x2545f4914f6cdd1dULL ^ key.size()) * 0x9e3779b97f4a7c15ULL;
    for (const EntryOf<A>& e : key) {
        h ^= (std::uint64_t{e.var} << 32) ^ static_cast<Bits>(e.exp);
        h *= 0x9e3779b97f4a7c15ULL;
        h ^= h >> 29;
    }
    h *= 0xbf58476d1ce4e5b9ULL;
    return h ^ (h >> 31);
}

template <class A>
bool sameKey(std::span<const EntryOf<A>> a, std::span<const EntryOf<A>> b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const EntryOf<A>& x, const EntryOf<A>& y) {
               return x.var == y.var && x.exp == y.exp;
           });
}

void placeInIndex(KeyIndex& index, std::size_t term, std::uint32_t hash) {
    const std::size_t mask = index.slots.size() - 1;
    std::size_t s = hash & mask;
    while (index.slots[s].stamp == index.stamp) s = (s + 1) & mask;
    index.slots[s] = {term, hash, index.stamp};
    ++index.count;
}

// Makes the index cover exactly the polynomial's terms, with room for one
// more. Needed after the terms were rearranged, and when it fills up.
template <class A>
void rebuildIndex(PolynomialOf<A>& p) {
    KeyIndex& index = p.index;
    std::size_t capacity = std::max<std::size_t>(index.slots.size(), 16);
    while (capacity < 2 * (p.terms.size() + 1)) capacity *= 2;
    if (capacity != index.slots.size()) {
        index.slots.assign(capacity, KeyIndex::Slot{0, 0, 0});
        index.stamp = 1;
        index.count = 0;
    } else {
        forgetTerms(index);
    }
    for (std::size_t t = 0; t < p.terms.size(); ++t) {
        placeInIndex(index, t, static_cast<std::uint32_t>(hashKey<A>(keyOf(p, p.terms[t]), index.seed)));
    }
}

}  // namespace

void forgetTerms(KeyIndex& index) {
    index.count = 0;
    if (++index.stamp == 0) {  // once in 2^32 calls: really empty the slots
        for (KeyIndex::Slot& s : index.slots) s.stamp = 0;
        index.stamp = 1;
    }
}

template <class A>
void clearPoly(PolynomialOf<A>& p) {
    p.terms.clear();
    p.entries.clear();
    p.pool.clear();
    forgetTerms(p.index);
}

template <class A>
void insertTerm(PolynomialOf<A>& p, std::uint32_t count, typename A::Coeff c) {
    const std::size_t first = p.entries.size() - count;
    if (p.terms.empty()) {
        // Nothing to combine with. The index learns of the term only when a
        // second one comes: read with a degree filter, most polynomials keep
        // a single term at a time. (A count below the terms' makes the next
        // insertion rebuild the index.)
        p.terms.push_back({first, count, c});
        p.index.count = 0;
        return;
    }
    KeyIndex& index = p.index;
    if (index.count != p.terms.size() || 2 * (p.terms.size() + 1) > index.slots.size()) {
        rebuildIndex(p);
    }
    const std::span<const EntryOf<A>> key(p.entries.data() + first, count);
    const auto hash = static_cast<std::uint32_t>(hashKey<A>(key, index.seed));
    const std::size_t mask = index.slots.size() - 1;
    for (std::size_t s = hash & mask; index.slots[s].stamp == index.stamp; s = (s + 1) & mask) {
        const KeyIndex::Slot& slot = index.slots[s];
        if (slot.hash != hash) continue;
        TermOf<A>& t = p.terms[slot.term];
        if (sameKey<A>(keyOf(p, t), key)) {
            A::addCoeff(p.pool, t.coeff, c);
            p.entries.resize(first);
            return;
        }
    }
    p.terms.push_back({first, count, c});
    placeInIndex(index, p.terms.size() - 1, hash);
}

template <class A>
int compareKeys(std::span<const EntryOf<A>> a, std::span<const EntryOf<A>> b) {
    // An absent entry stands for the exponent 0.
    std::size_t i = 0;
    std::size_t j = 0;
    for (;;) {
        if (i == a.size() && j == b.size()) return 0;
        if (j == b.size() || (i < a.size() && a[i].var < b[j].var)) return a[i].exp < 0 ? -1 : 1;
        if (i == a.size() || b[j].var < a[i].var) return b[j].exp < 0 ? 1 : -1;
        if (a[i].exp != b[j].exp) return a[i].exp < b[j].exp ? -1 : 1;
        ++i;
        ++j;
    }
}

std::int32_t dot(std::span<const std::int32_t> a, std::span<const std::int32_t> b) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        sum += static_cast<std::uint32_t>(a[i]) * static_cast<std::uint32_t>(b[i]);
    }
    return static_cast<std::int32_t>(sum);
}

template <class A>
typename A::Degree dot(std::span<const EntryOf<A>> key, std::span<const typename A::Weight> weights) {
    typename A::Degree sum{};
    for (const EntryOf<A>& e : key) A::addProduct(sum, e.exp, weights[e.var]);
    return sum;
}

template <class A>
typename A::Degree rankOf(std::span<const EntryOf<A>> key, const DegreeFilterOf<A>& query) {
    return A::rank(degreeOf<A>(key, query), query.rule.smallest);
}

template <class A>
bool dropZeroTerms(PolynomialOf<A>& p) {
    p.terms.erase(std::remove_if(p.terms.begin(), p.terms.end(), [](const TermOf<A>& t) { return A::isZero(t.coeff); }),
                  p.terms.end());
    forgetTerms(p.index);  // positions changed
    return p.terms.empty();
}

template <class A>
bool selectInitial(const PolynomialOf<A>& p, std::size_t first, std::size_t last, const DegreeFilterOf<A>& query,
                   std::vector<std::size_t>& chosen) {
    chosen.clear();
    bool wrapped = false;
    // The classic rule never takes a rank below 0; the others start at
    // the first counted term's rank.
    std::optional<typename A::Degree> max;
    if (query.rule.floorAtZero) max.emplace();
    for (std::size_t k = first; k < last; ++k) {
        const TermOf<A>& t = p.terms[k];
        if (query.rule.dropZeros && A::isZero(t.coeff)) continue;
        if constexpr (!A::exact) {
            // The degree summed in 64 bits tells whether its 32 bits wrapped.
            Int128 sum = 0;
            for (const EntryOf<A>& e : keyOf(p, t)) sum += static_cast<Int128>(e.exp) * query.weights[e.var];
            wrapped |= sum != static_cast<typename A::Degree>(sum);
        }
        typename A::Degree r = rankOf<A>(keyOf(p, t), query);
        if (max && r < *max) continue;
        if (!max || *max < r) {
            max = std::move(r);
            chosen.clear();
        }
        chosen.push_back(k);
    }
    return wrapped;
}

template <class A>
void transformToInitial(PolynomialOf<A>& p, const DegreeFilterOf<A>& query) {
    std::vector<std::size_t> chosen;
    selectInitial(p, 0, p.terms.size(), query, chosen);
    std::size_t out = 0;
    for (std::size_t k : chosen) p.terms[out++] = p.terms[k];  // k >= out: in place
    p.terms.resize(out);
    // Positions changed; the index is rebuilt if more terms are added.
    forgetTerms(p.index);
}

template <class A>
void transformToInitial(PolynomialOf<A>& p, std::span<const typename A::Weight> weights) {
    transformToInitial(p, DegreeFilterOf<A>{weights});
}

namespace {

// Writes into pool, from its current end, the exponent vector of the largest
// monomial dividing every term: for each variable the smallest exponent over
// all terms, where a term without the variable counts as exponent 0. Only
// the nonzero entries are written. Returns their number.
template <class A>
std::size_t commonMonomial(const PolynomialOf<A>& p, std::vector<EntryOf<A>>& pool) {
    const std::size_t start = pool.size();
    for (const TermOf<A>& t : p.terms) {
        std::span<const EntryOf<A>> key = keyOf(p, t);
        pool.insert(pool.end(), key.begin(), key.end());
    }
    std::sort(pool.begin() + static_cast<std::ptrdiff_t>(start), pool.end(),
              [](const EntryOf<A>& a, const EntryOf<A>& b) { return a.var < b.var; });
    std::size_t out = start;
    for (std::size_t i = start; i < pool.size();) {
        const std::uint32_t var = pool[i].var;
        std::size_t holders = 0;
        typename A::Exponent least = pool[i].exp;
        for (; i < pool.size() && pool[i].var == var; ++i, ++holders) least = std::min(least, pool[i].exp);
        if (holders < p.terms.size()) least = std::min<typename A::Exponent>(least, 0);
        if (least != 0) pool[out++] = {var, least};
    }
    pool.resize(out);
    return out - start;
}

// Appends to the pool the key E - g of a term, over the union of both entry
// lists; g is the first gSize entries of the pool.
template <class A>
void subtractKey(std::span<const EntryOf<A>> key, std::size_t gSize, std::vector<EntryOf<A>>& pool) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < key.size() || j < gSize) {
        const EntryOf<A>* g = pool.data();
        std::uint32_t var;
        typename A::Exponent value = 0;
        if (j == gSize || (i < key.size() && key[i].var <= g[j].var)) {
            var = key[i].var;
            value = key[i++].exp;
        } else {
            var = g[j].var;
        }
        if (j < gSize && g[j].var == var && !A::subExponent(value, g[j++].exp)) {
            throw OutOfRange("Exponent", "reduced exponent of variable " + std::to_string(var + 1));
        }
        if (value != 0) pool.push_back({var, value});
    }
}

}  // namespace

template <class A>
void reducePoly(const PolynomialOf<A>& p, PolynomialOf<A>& result) {
    clearPoly(result);
    if (p.terms.size() == 1) {
        // The usual initial form: one term, divided by its own monomial.
        result.terms.push_back({0, 0, A::copyCoeff(p.pool, p.terms[0].coeff, result.pool)});
        return;
    }
    // The common monomial g goes first in the result's pool; the new keys
    // follow it, and g is removed at the end.
    const std::size_t gSize = commonMonomial(p, result.entries);
    result.terms.reserve(p.terms.size());
    for (const TermOf<A>& t : p.terms) {
        const std::size_t first = result.entries.size();
        subtractKey<A>(keyOf(p, t), gSize, result.entries);
        result.terms.push_back({first - gSize, static_cast<std::uint32_t>(result.entries.size() - first),
                                A::copyCoeff(p.pool, t.coeff, result.pool)});
    }
    result.entries.erase(result.entries.begin(), result.entries.begin() + static_cast<std::ptrdiff_t>(gSize));
}

template <class A>
PolynomialOf<A> reducePoly(const PolynomialOf<A>& p) {
    PolynomialOf<A> result;
    reducePoly(p, result);
    return result;
}

template <class A>
ExponentVectorOf<A> denseKey(std::span<const EntryOf<A>> key, std::size_t dimension) {
    ExponentVectorOf<A> e(dimension, 0);
    for (const EntryOf<A>& x : key) e.at(x.var) = x.exp;
    return e;
}

#define INITFORM_OPERATIONS(A)                                                                       \
    template void clearPoly<A>(PolynomialOf<A>&);                                                    \
    template void insertTerm<A>(PolynomialOf<A>&, std::uint32_t, A::Coeff);                          \
    template int compareKeys<A>(std::span<const EntryOf<A>>, std::span<const EntryOf<A>>);           \
    template A::Degree dot<A>(std::span<const EntryOf<A>>, std::span<const A::Weight>);              \
    template void transformToInitial<A>(PolynomialOf<A>&, std::span<const A::Weight>);               \
    template void transformToInitial<A>(PolynomialOf<A>&, const DegreeFilterOf<A>&);                 \
    template A::Degree rankOf<A>(std::span<const EntryOf<A>>, const DegreeFilterOf<A>&);             \
    template bool dropZeroTerms<A>(PolynomialOf<A>&);                                                \
    template bool selectInitial<A>(const PolynomialOf<A>&, std::size_t, std::size_t, const DegreeFilterOf<A>&, \
                                   std::vector<std::size_t>&);                                       \
    template void reducePoly<A>(const PolynomialOf<A>&, PolynomialOf<A>&);                           \
    template PolynomialOf<A> reducePoly<A>(const PolynomialOf<A>&);                                  \
    template ExponentVectorOf<A> denseKey<A>(std::span<const EntryOf<A>>, std::size_t);
INITFORM_OPERATIONS(Wrapping)
INITFORM_OPERATIONS(Exact)
#undef INITFORM_OPERATIONS

}  // namespace initform
