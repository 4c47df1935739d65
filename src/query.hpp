// The query: the weights of one vector and the rule that says which terms
// make up an initial form, and the operations that select them.
//
// While a polynomial is read, the query also restricts reading to the
// candidates for the initial form: a term whose rank (its degree, or for
// the smallest its complement) is below that of a term already read (or
// below the floor) can never be part of it, because like terms share their
// degree. A term of a higher rank clears those read before, so a polynomial
// read from empty holds its initial form at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "polynomial.hpp"
#include "wrapping.hpp"

namespace initform {

// Which terms make up an initial form: the rule of one query.
struct Selection {
    // Degrees below 0 never count: a polynomial whose terms all have
    // negative degrees has no initial form (the document format's rule).
    bool floorAtZero = true;
    // The terms of smallest degree rather than largest.
    bool smallest = false;
    // A term whose coefficient is 0 once like terms are combined is no term.
    bool dropZeros = false;
};
// The document format's rule: largest degree, never below 0, zeros count.
inline constexpr Selection kClassic{};
// The textbook rules of --max and --min.
inline constexpr Selection kLargest{false, false, true};
inline constexpr Selection kSmallest{false, true, true};

template <class A>
struct QueryOf {
    explicit QueryOf(std::span<const typename A::Weight> w, Selection r = kClassic,
                     std::span<const typename A::BigWeight> big = {}, WrapNotes* n = nullptr)
        : weights(w), rule(r), bigWeights(big), notes(n) {
        if constexpr (A::exact) {
            fastFactors = big.empty() ? A::fastFactors(w) : 0;
        } else {
            safeBound = A::safeBound(w);
        }
        rankMask = r.smallest ? -1 : 0;
        restart();
    }
    // Where each polynomial starts: at 0, or below every rank.
    void restart() { A::resetFloor(floor, rule.floorAtZero); }
    // Raises the floor to the rank of a term kept.
    void raise(typename A::Degree&& rank) { A::raiseFloor(floor, std::move(rank)); }

    std::span<const typename A::Weight> weights;
    Selection rule;
    // Exact mode: the weights themselves when some leave 64 bits (`weights`
    // then holds nothing useful, and every degree is summed from these).
    std::span<const typename A::BigWeight> bigWeights;
    // The rank of the best term read so far in the current polynomial.
    typename A::Degree floor{};
    // All ones for the smallest degree, else 0: a degree of 64 bits or less
    // XOR-ed with it is its rank (the complement is -d - 1).
    std::int64_t rankMask = 0;
    // Exact mode: terms of fewer factors, with exponents in bounds, have
    // their degree summed in 64 bits (Exact::fastFactors).
    std::size_t fastFactors = 0;
    // Default mode: while the exponents' bound stays below this no degree
    // can wrap (Wrapping::safeBound).
    std::uint64_t safeBound = Wrapping::kExponentLimit;
    // Where wrap-around is noted (default mode).
    WrapNotes* notes = nullptr;
    // --valuation: the prime and how the valuation shifts degrees.
    [[no_unique_address]] typename A::Valuation valuation{};
};

// A query of zero weights: every term has the degree 0, so it keeps every
// term, for reading a polynomial whole.
template <class A>
struct WholeQueryOf {
    explicit WholeQueryOf(std::size_t variables, WrapNotes* notes = nullptr)
        : zeros(variables), query(zeros, kClassic, {}, notes) {}
    WholeQueryOf(const WholeQueryOf&) = delete;  // `query` points into `zeros`
    WholeQueryOf& operator=(const WholeQueryOf&) = delete;
    WeightVectorOf<A> zeros;
    QueryOf<A> query;
};

// The weighted degree of a term.
template <class A>
typename A::Degree dot(std::span<const EntryOf<A>> key, std::span<const typename A::Weight> weights) {
    typename A::Degree sum{};
    for (const EntryOf<A>& e : key) A::addProduct(sum, e.exp, weights[e.var]);
    return sum;
}
// The weighted degree of a term under a query's weights, of any size
// (inline: the reader calls it for every term it sums again).
template <class A>
typename A::Degree degreeOf(std::span<const EntryOf<A>> key, const QueryOf<A>& query) {
    if constexpr (A::exact) {
        if (!query.bigWeights.empty()) return A::bigDot(key, query.bigWeights);
    }
    return dot<A>(key, query.weights);
}
// The rank of a term of p under a query: its degree (with --valuation,
// shifted by its coefficient's), or the complement for the smallest.
template <class A>
typename A::Degree rankOf(const PolynomialOf<A>& p, const TermOf<A>& t, const QueryOf<A>& query) {
    typename A::Degree d = degreeOf<A>(keyOf(p, t), query);
    if constexpr (A::valued) A::addShift(d, p.coeffs, t.coeff, query.valuation);
    return A::rank(std::move(d), query.rule.smallest);
}
// Collects in `chosen` the positions of the terms [first, last) of p that
// make up their initial form under the query's rule; notes any term's
// degree that wraps around.
template <class A>
void selectInitial(const PolynomialOf<A>& p, std::size_t first, std::size_t last, const QueryOf<A>& query,
                   std::vector<std::size_t>& chosen);
// Cuts p down to its initial form under the query's rule.
template <class A>
void transformToInitial(PolynomialOf<A>& p, const QueryOf<A>& query);
// Removes from p, read through the query, the terms that cancelled: those
// whose coefficient is 0 once like terms combined, and with --valuation
// those whose combined valuation rose, so that their rank fell below the
// query's floor. True when none is left: then a term the query dropped
// while reading may be the answer.
template <class A>
bool dropCancelled(PolynomialOf<A>& p, const QueryOf<A>& query);

}  // namespace initform
