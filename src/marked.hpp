// Answering --cone and --toward: the document read as a marked basis, each
// polynomial's first term (as written, once like terms combine) marked.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "diagnostics.hpp"
#include "document.hpp"
#include "numbers.hpp"
#include "options.hpp"

namespace initform {

// A bounding vector, sparse: its nonzero entries (variable, value) in the
// order of the variables. A difference of two 64-bit exponents fits 128 bits.
using SparseVector = std::vector<std::pair<std::uint32_t, Int128>>;

// The bounding vectors of the marked basis of a framed document: each
// marked exponent minus each other exponent of its polynomial (the other
// way round for the smallest degree), primitive, without zero vectors and
// repeats, in the order they first come. Exponents are read as with
// --exact. Throws BadInput for a polynomial that is 0 or whose marked term
// cancels, naming it by its position from 1.
std::vector<SparseVector> boundingVectors(const Document& d, bool smallest);

// `initform --cone`: the Gröbner cone of the marked basis. Returns the exit status.
int answerCone(const Options& o, const InputSource& in, Diagnostics& diag);
// `initform VECTOR --toward TARGET`: the walk's next weight.
int answerWalk(const Options& o, const InputSource& in, Diagnostics& diag);

}  // namespace initform
