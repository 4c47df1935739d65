// Answering --cone and --toward: the document read as a marked basis, each
// polynomial's first term (as written, once like terms combine) marked.
#pragma once

#include "diagnostics.hpp"
#include "document.hpp"
#include "options.hpp"

namespace initform {

// `initform --cone`: the Gröbner cone of the marked basis. Returns the exit status.
int answerCone(const Options& o, const InputSource& in, Diagnostics& diag);
// `initform VECTOR --toward TARGET`: the walk's next weight.
int answerWalk(const Options& o, const InputSource& in, Diagnostics& diag);

}  // namespace initform
