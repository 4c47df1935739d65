// Answering a file of weight vectors (--weights FILE) over one reading of
// the document: the polynomials are read whole once and stored, and each
// vector selects its initial forms from the stored terms.
#pragma once

#include "diagnostics.hpp"
#include "input.hpp"
#include "options.hpp"

namespace initform {

// Answers every vector line of the options' weights file, each byte for
// byte as its own run, over the coefficients' field; stops after the first
// that fails. Returns the exit status.
template <class A>
int answerWeightsFile(const Options& o, const typename A::Field& field, const InputSource& in, Diagnostics& diag);

}  // namespace initform
