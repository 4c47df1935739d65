// Where everything the program reports goes. The messages of bad input go
// to standard output, through the Writer, with the output they follow.
// Standard error gets at most one line a run, at its end: a failure of the
// system itself (a read or write that failed, memory exhausted), or else the
// default mode's warning that numbers wrapped around.
#pragma once

#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>

#include "errors.hpp"
#include "wrapping.hpp"
#include "writer.hpp"

namespace initform {

// The warning line of the default mode.
inline constexpr std::string_view kWrapWarning =
    "initform: warning: numbers left the 32-bit range and wrapped around; --exact computes them exactly";
// The line of a run that ran out of memory.
inline constexpr std::string_view kOutOfMemory = "initform: out of memory";

// Makes GMP end the process with kOutOfMemory on standard error and status
// 1 when an allocation of its fails, rather than abort with a message of
// its own (GMP cannot go on after such a failure). Defined with the exact
// arithmetic, which alone uses GMP.
void exitWhenGmpRunsOutOfMemory();

// Standard error: whole lines, written at once and unbuffered, without
// allocating memory, so that running out of it can still be said.
class ErrorStream {
public:
    explicit ErrorStream(int fd) : fd_(fd) {}
    explicit ErrorStream(std::ostream& out) : out_(&out) {}
    // Writes the parts and a line end as one line; false when that failed.
    bool line(std::initializer_list<std::string_view> parts);
    // Whether it is a terminal, where progress may be shown.
    bool terminal() const;
    // Shows a progress text on the terminal's line in place of the last one
    // (an empty text clears the line).
    void progress(std::string_view text);

private:
    int fd_ = -1;
    std::ostream* out_ = nullptr;
};

class Diagnostics {
public:
    Diagnostics(Writer& out, ErrorStream& err) : out(out), err_(err) {}
    // A message line on standard output, its control bytes escaped.
    void line(std::string_view text);
    // "Bad input: " and the error's message.
    void badInput(const BadInput& error);
    // With --lenient but without --exact, a fraction read as a variable is
    // reported as a fraction that needs --exact.
    bool fractionsNeedExact = false;
    // Where the run notes wrap-around; the warning follows when it is set.
    WrapNotes wraps;
    // Notes a failure of the system itself (the first one counts).
    void systemFailure(const SystemFailure& failure);
    void outOfMemory() { outOfMemory_ = true; }
    // Progress on standard error, where it is a terminal (see ErrorStream).
    bool showsProgress() const { return err_.terminal(); }
    void progress(std::string_view text) { err_.progress(text); }
    // Ends the run: writes standard error's line, if any, and returns the
    // exit status, which is 1 after any failure of the system.
    int finish(int status);
    Writer& out;

private:
    ErrorStream& err_;
    bool outOfMemory_ = false;
    const char* failed_ = nullptr;  // what failed (SystemFailure::text)
    int error_ = 0;
    std::string reason_;  // why, when errno does not say it
};

}  // namespace initform
