// The lenient reading of --lenient: documents as computer algebra systems
// print them, rewritten into the canonical text form before the one reader
// runs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace initform {

// The document rewritten into the canonical text form: white space
// removed, "**" as '^', and in the polynomial list no leading '+',
// coefficients out of parentheses, p//q as p/q, and a term's trailing
// "/digits" moved into its coefficient. nullopt when the text is canonical
// already.
std::optional<std::string> normalizeLenient(std::string_view text);
// True for digits '/' digits, the text of a fraction.
bool isFractionText(std::string_view text);

}  // namespace initform
