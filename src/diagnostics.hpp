// Where everything the program reports goes: the messages of bad input on
// standard output, through the Writer, with the output they follow; the
// one warning of the default mode on standard error, at the end of a run.
#pragma once

#include <iosfwd>
#include <string_view>

#include "errors.hpp"
#include "wrapping.hpp"
#include "writer.hpp"

namespace initform {

// The warning line of the default mode.
inline constexpr std::string_view kWrapWarning =
    "initform: warning: numbers left the 32-bit range and wrapped around; --exact computes them exactly";

class Diagnostics {
public:
    Diagnostics(Writer& out, std::ostream* err) : out(out), err_(err) {}
    // A message line on standard output, its control bytes escaped.
    void line(std::string_view text);
    // "Bad input: " and the error's message.
    void badInput(const BadInput& error);
    // With --lenient but without --exact, a fraction read as a variable is
    // reported as a fraction that needs --exact.
    bool fractionsNeedExact = false;
    // Where the run notes wrap-around; the warning follows when it is set.
    WrapNotes wraps;
    // Writes the warning, if any, to standard error.
    void finish();
    Writer& out;

private:
    std::ostream* err_;
};

}  // namespace initform
