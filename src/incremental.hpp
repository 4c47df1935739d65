// A cone of Q^d kept by its generators while constraints are added one at a
// time (the double description method): a basis of its lineality space, its
// extreme rays, and for each ray the constraints it lies on. A constraint
// that some line crosses turns that line into a ray and slides everything
// else onto the hyperplane; otherwise the rays on its wrong side go, and
// each pair of adjacent rays across the hyperplane gives a new ray on it.
// Two rays are adjacent when no third ray lies on every constraint both lie
// on (a pair whose common constraints are too few to meet in an edge is
// no pair, which is told at once); when the constraints fill many words,
// a pair reads only the words where the ray below has some, so that a
// hull of many terms, each ray on few of them, costs what its rays' sets
// hold. The rays that stay keep their places. The cones of the tropical
// sets are small and their numbers tiny, so
// the entries are machine words, checked: a result that does not fit
// throws Overflow, and the caller starts again with GMP integers. Vectors
// and sets lie in one block each, so that a copy of a cone, made for every
// cell tested, is three allocations, and none when it is copied over a cone
// of its size.
#pragma once

#include <gmpxx.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

#include "bitsets.hpp"

namespace initform {

// A product or sum of machine words did not fit.
struct Overflow {};

// a*b - c*d: in machine words checked (Overflow when it does not fit), in
// GMP's integers exact.
std::int64_t mulSub(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d);
mpz_class mulSub(const mpz_class& a, const mpz_class& b, const mpz_class& c, const mpz_class& d);
// x as an Integer: a machine word where it fits (else Overflow).
template <class Integer>
Integer narrowed(const mpz_class& x) {
    if constexpr (std::is_same_v<Integer, mpz_class>) {
        return x;
    } else {
        if (!x.fits_slong_p()) throw Overflow{};
        return x.get_si();
    }
}

// Divides v by the gcd of its entries.
void makePrimitive(std::span<std::int64_t> v);
void makePrimitive(std::span<mpz_class> v);

// The cone {x : row·x >= 0 (or = 0) for every row added}, in generators.
template <class Integer>
class IncrementalCone {
public:
    // The whole space Q^d, with room for `capacity` constraints.
    IncrementalCone(std::size_t d, std::size_t capacity);

    // Cuts the cone by row·x >= 0, or by row·x = 0 where `equal`.
    void add(std::span<const Integer> row, bool equal);

    // Whether the cone lies in row·x >= 0 (or = 0): every generator does.
    bool satisfies(std::span<const Integer> row, bool equal) const;

    std::size_t lineCount() const { return lines_.size() / d_; }
    std::size_t rayCount() const { return rays_.size() / d_; }
    // An extreme ray, primitive; rays differing by a line are one.
    std::span<const Integer> ray(std::size_t k) const { return {rays_.data() + k * d_, d_}; }
    // A line of a basis of the lineality space.
    std::span<const Integer> line(std::size_t k) const { return {lines_.data() + k * d_, d_}; }
    // The constraints ray k lies on, by the order they were added in.
    ConstBitSpan tight(std::size_t k) const { return {tight_.data() + k * words_, words_}; }

private:
    void cutLine(std::size_t line, std::span<const Integer> row, bool equal);
    void cutRays(std::span<const Integer> row, bool equal);
    // Whether rays p and q span a 2-face, reading only the words of q's set
    // that qWords lists.
    template <class Words>
    bool adjacent(std::size_t p, std::size_t q, const Words& qWords) const;

    std::size_t d_;
    std::size_t words_;          // of each ray's set
    std::size_t added_ = 0;      // the number of constraints so far
    std::vector<Integer> lines_;  // a basis of the lineality space, d_ entries each
    std::vector<Integer> rays_;   // the extreme rays, d_ entries each
    std::vector<std::uint64_t> tight_;  // for each ray, the constraints it lies on
    // Room for a cut's working lists, kept empty between cuts: a copy of the
    // cone copies nothing of it, and the cone's own cuts reuse it.
    struct Spare {
        std::vector<Integer> values;
        std::vector<std::size_t> below;
        std::vector<Integer> rays;
        std::vector<std::uint64_t> tight;
        std::vector<std::size_t> words;      // the words of the rays below that hold constraints
        std::vector<std::size_t> wordsFrom;  // where each ray below's words begin
        void clear() {
            values.clear();
            below.clear();
            rays.clear();
            tight.clear();
            words.clear();
            wordsFrom.clear();
        }
    };
    Spare spare_;
};

extern template class IncrementalCone<std::int64_t>;
extern template class IncrementalCone<mpz_class>;

}  // namespace initform
