// --merge: the blocks that the parts of one prevariety printed (each run
// with --part K/N), read back and printed as the one block of the whole:
// the cells of every part, less those that another part's cell holds.
#pragma once

#include "diagnostics.hpp"
#include "input.hpp"
#include "options.hpp"

namespace initform {

// `initform --merge [FILE ...]`: the parts' blocks from the files, or from
// standard input without any. Returns the exit status.
int answerMerge(const Options& o, const InputSource& in, Diagnostics& diag);

}  // namespace initform
