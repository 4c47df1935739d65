// Everything initform declares, for the benchmarks and the fuzz harness.
// The program's own units include only the headers they use.
#pragma once

#include "answer.hpp"
#include "diagnostics.hpp"
#include "document.hpp"
#include "errors.hpp"
#include "exact.hpp"
#include "input.hpp"
#include "lenient.hpp"
#include "numbers.hpp"
#include "options.hpp"
#include "pieces.hpp"
#include "polynomial.hpp"
#include "printer.hpp"
#include "query.hpp"
#include "reader.hpp"
#include "reduce.hpp"
#include "run.hpp"
#include "variables.hpp"
#include "weights.hpp"
#include "wrapping.hpp"
#include "writer.hpp"
