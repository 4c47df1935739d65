// Polynomials: inserting terms so that like terms combine, and comparing
// exponent vectors.
#include "polynomial.hpp"

#include <algorithm>
#include <type_traits>

#include "exact.hpp"
#include "valued.hpp"
#include "wrapping.hpp"

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
            A::addCoeff(p.coeffs, t.coeff, c);
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

#define INITFORM_POLYNOMIAL(A)                                                             \
    template void insertTerm<A>(PolynomialOf<A>&, std::uint32_t, A::Coeff);                \
    template int compareKeys<A>(std::span<const EntryOf<A>>, std::span<const EntryOf<A>>);
INITFORM_POLYNOMIAL(Wrapping)
INITFORM_POLYNOMIAL(Exact)
INITFORM_POLYNOMIAL(Valued)
#undef INITFORM_POLYNOMIAL

}  // namespace initform
