// A whole run of the filter, from the command line to the exit status.
#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

#include "diagnostics.hpp"
#include "input.hpp"
#include "writer.hpp"

namespace initform {

// Runs the filter: args are the command-line arguments after the program
// name. Standard error gets at most one line. Returns the exit status.
int run(std::span<const std::string_view> args, const InputSource& in, Writer& out, ErrorStream& err);
// The same over streams, for the tests and the fuzz harness.
int run(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace initform
