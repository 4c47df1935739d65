// Answering --tropical and --prevariety: where the initial forms of the
// document's polynomials keep two or more terms.
#pragma once

#include <cstddef>
#include <optional>

#include "diagnostics.hpp"
#include "input.hpp"
#include "options.hpp"
#include "refinement.hpp"
#include "valued.hpp"

namespace initform {

// `initform --tropical`: each polynomial's hypersurface, as "polynomial K"
// and its block. Returns the exit status.
// With --valuation, `prime` is its prime.
int answerTropical(const Options& o, const std::optional<Prime>& prime, const InputSource& in, Diagnostics& diag);
// `initform --prevariety`: the intersection of the hypersurfaces, with the
// cells of their common refinement, as one block.
// Its tree is walked as `walk` says.
int answerPrevariety(const Options& o, const std::optional<Prime>& prime, const Walk& walk, const InputSource& in,
                     Diagnostics& diag);

}  // namespace initform
