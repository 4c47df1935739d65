// A whole run of the filter, from the command line to the exit status.
#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

#include "writer.hpp"

namespace initform {

// Runs the filter: args are the command-line arguments after the program
// name. Returns the process exit status. The warning goes to `err` (none
// with the overloads without it).
int run(std::span<const std::string_view> args, std::istream& in, Writer& out, std::ostream* err);
int run(std::span<const std::string_view> args, std::istream& in, Writer& out);
int run(std::span<const std::string_view> args, std::istream& in, std::ostream& out);

}  // namespace initform
