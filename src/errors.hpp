// The errors of bad input, and the failures of the system itself. A bad
// input ends the answer it occurs in: the driver writes "Bad input: " and
// the message, and the run ends with status 1. A failure of the system is
// said on standard error instead.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace initform {

// An error in the document or in the arguments. The message may hold any
// byte, NUL included; the diagnostics escape control bytes when they print it.
struct BadInput : std::exception {
    explicit BadInput(std::string message) : message(std::move(message)) {}
    const char* what() const noexcept override { return "bad input"; }
    std::string message;
};

// A factor names no ring variable.
struct UnknownVariable : BadInput {
    explicit UnknownVariable(std::string_view name)
        : BadInput("Unknown variable '" + std::string(name) + "'"), name(name) {}
    std::string name;
};

// Exact mode: a number, or a sum of exponents, that leaves the 64-bit range.
struct OutOfRange : BadInput {
    OutOfRange(std::string_view what, std::string_view text)
        : BadInput(std::string(what) + " out of range '" + std::string(text) + "'") {}
};

// Exact mode: a coefficient or a weight such as 3/0.
struct ZeroDenominator : BadInput {
    explicit ZeroDenominator(std::string_view text)
        : BadInput("Zero denominator '" + std::string(text) + "'") {}
};

// A call to the system failed: `what` failed (a text that lives as long as
// the program, such as "cannot read standard input") with this errno value,
// or for a reason of its own (the loader's, say) in place of errno's.
struct SystemFailure : std::exception {
    SystemFailure(const char* what, int error) : text(what), error(error) {}
    SystemFailure(const char* what, std::string reason) : text(what), error(0), reason(std::move(reason)) {}
    const char* what() const noexcept override { return text; }
    const char* text;
    int error;
    std::string reason;
};

}  // namespace initform
