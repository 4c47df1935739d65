// The document: the text read from standard input, its framing
// ("Q[" names "]{" polynomials "}") and the ring's variables.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "input.hpp"
#include "variables.hpp"

namespace initform {

// The two texts a well-framed document holds.
struct Frame {
    std::string_view varText;
    std::string_view polyText;
    // Whether a '}' after the "]{" ends the list; a '}' inside the variable
    // text leaves the list running to the document's end.
    bool closed = true;
};

// The frame of a document text, or the message of its first framing fault.
struct Framing {
    std::optional<Frame> frame;
    std::string_view fault;
};
Framing frameDocument(std::string_view text);

// The document read once: its text, its framing and its ring variables.
struct Document {
    InputText input;
    Framing framing;
    Variables vars;
};

// Reads and frames the document on `in` (with --lenient, rewritten into the
// canonical form first), and makes its variables.
Document loadDocument(const InputSource& in, bool lenient);

// A seed for the hash tables that differs from run to run, so that no
// input can be crafted to make lookups slow. It changes no output.
std::uint64_t hashSeed();
// A seed derived from another, for a second table.
std::uint64_t mixSeed(std::uint64_t seed);

}  // namespace initform
