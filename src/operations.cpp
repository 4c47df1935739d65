// Operations on polynomials: combining like terms, weighted degrees, the
// initial form and the division by the largest common monomial.
#include <algorithm>

#include "initform.hpp"

namespace initform {

namespace {

std::uint64_t hashKey(std::span<const Entry> key, std::uint64_t seed) {
    std::uint64_t h = (seed ^ 0x2545f4914f6cdd1dULL ^ key.size()) * 0x9e3779b97f4a7c15ULL;
    for (const Entry& e : key) {
        h ^= (std::uint64_t{e.var} << 32) | static_cast<std::uint32_t>(e.exp);
        h *= 0x9e3779b97f4a7c15ULL;
        h ^= h >> 29;
    }
    h *= 0xbf58476d1ce4e5b9ULL;
    return h ^ (h >> 31);
}

bool sameKey(std::span<const Entry> a, std::span<const Entry> b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const Entry& x, const Entry& y) {
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
void rebuildIndex(Polynomial& p) {
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
        placeInIndex(index, t, static_cast<std::uint32_t>(hashKey(keyOf(p, p.terms[t]), index.seed)));
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

void clearPoly(Polynomial& p) {
    p.terms.clear();
    p.entries.clear();
    forgetTerms(p.index);
}

void insertTerm(Polynomial& p, std::uint32_t count, std::int32_t c) {
    KeyIndex& index = p.index;
    if (index.count != p.terms.size() || 2 * (p.terms.size() + 1) > index.slots.size()) {
        rebuildIndex(p);
    }
    const std::size_t first = p.entries.size() - count;
    const std::span<const Entry> key(p.entries.data() + first, count);
    const auto hash = static_cast<std::uint32_t>(hashKey(key, index.seed));
    const std::size_t mask = index.slots.size() - 1;
    for (std::size_t s = hash & mask; index.slots[s].stamp == index.stamp; s = (s + 1) & mask) {
        const KeyIndex::Slot& slot = index.slots[s];
        if (slot.hash != hash) continue;
        Term& t = p.terms[slot.term];
        if (sameKey(keyOf(p, t), key)) {
            t.coeff = static_cast<std::int32_t>(static_cast<std::uint32_t>(t.coeff) +
                                                static_cast<std::uint32_t>(c));
            p.entries.resize(first);
            return;
        }
    }
    p.terms.push_back({first, count, c});
    placeInIndex(index, p.terms.size() - 1, hash);
}

int compareKeys(std::span<const Entry> a, std::span<const Entry> b) {
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

std::int32_t dot(std::span<const Entry> key, std::span<const std::int32_t> weights) {
    std::uint32_t sum = 0;
    for (const Entry& e : key) {
        sum += static_cast<std::uint32_t>(e.exp) * static_cast<std::uint32_t>(weights[e.var]);
    }
    return static_cast<std::int32_t>(sum);
}

void transformToInitial(Polynomial& p, std::span<const std::int32_t> weights) {
    std::int32_t max = 0;  // the initial form never takes a degree below 0
    for (const Term& t : p.terms) max = std::max(max, dot(keyOf(p, t), weights));
    auto below = [&](const Term& t) { return dot(keyOf(p, t), weights) < max; };
    p.terms.erase(std::remove_if(p.terms.begin(), p.terms.end(), below), p.terms.end());
    // Positions changed; the index is rebuilt if more terms are added.
    forgetTerms(p.index);
}

namespace {

// Writes into pool, from its current end, the exponent vector of the largest
// monomial dividing every term: for each variable the smallest exponent over
// all terms, where a term without the variable counts as exponent 0. Only
// the nonzero entries are written. Returns their number.
std::size_t commonMonomial(const Polynomial& p, std::vector<Entry>& pool) {
    const std::size_t start = pool.size();
    for (const Term& t : p.terms) {
        std::span<const Entry> key = keyOf(p, t);
        pool.insert(pool.end(), key.begin(), key.end());
    }
    std::sort(pool.begin() + static_cast<std::ptrdiff_t>(start), pool.end(),
              [](const Entry& a, const Entry& b) { return a.var < b.var; });
    std::size_t out = start;
    for (std::size_t i = start; i < pool.size();) {
        const std::uint32_t var = pool[i].var;
        std::size_t holders = 0;
        std::int32_t least = pool[i].exp;
        for (; i < pool.size() && pool[i].var == var; ++i, ++holders) least = std::min(least, pool[i].exp);
        if (holders < p.terms.size()) least = std::min(least, 0);
        if (least != 0) pool[out++] = {var, least};
    }
    pool.resize(out);
    return out - start;
}

}  // namespace

void reducePoly(const Polynomial& p, Polynomial& result) {
    clearPoly(result);
    // The common monomial g goes first in the result's pool; the new keys
    // follow it, and g is removed at the end.
    const std::size_t gSize = commonMonomial(p, result.entries);
    result.terms.reserve(p.terms.size());
    for (const Term& t : p.terms) {
        // E - g over the union of both entry lists, wrapping in 32 bits.
        const std::span<const Entry> key = keyOf(p, t);
        const std::size_t first = result.entries.size();
        std::size_t i = 0;
        std::size_t j = 0;
        while (i < key.size() || j < gSize) {
            const Entry* g = result.entries.data();
            std::uint32_t var;
            std::uint32_t value = 0;
            if (j == gSize || (i < key.size() && key[i].var <= g[j].var)) {
                var = key[i].var;
                value = static_cast<std::uint32_t>(key[i++].exp);
            } else {
                var = g[j].var;
            }
            if (j < gSize && g[j].var == var) value -= static_cast<std::uint32_t>(g[j++].exp);
            if (value != 0) result.entries.push_back({var, static_cast<std::int32_t>(value)});
        }
        result.terms.push_back({first - gSize,
                                static_cast<std::uint32_t>(result.entries.size() - first), t.coeff});
    }
    result.entries.erase(result.entries.begin(), result.entries.begin() + static_cast<std::ptrdiff_t>(gSize));
}

Polynomial reducePoly(const Polynomial& p) {
    Polynomial result;
    reducePoly(p, result);
    return result;
}

ExponentVector denseKey(std::span<const Entry> key, std::size_t dimension) {
    ExponentVector e(dimension, 0);
    for (const Entry& x : key) e.at(x.var) = x.exp;
    return e;
}

}  // namespace initform
