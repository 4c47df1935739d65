// Messages and the warning.
#include "diagnostics.hpp"

#include <ostream>
#include <string>

#include "lenient.hpp"

namespace initform {

namespace {

// A message with its control bytes escaped, so that it prints as one clean
// line: \t \r \v \f, and \xHH for the other bytes below 0x20 and 0x7f.
std::string escapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    constexpr char kHex[] = "0123456789abcdef";
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b != 0x7f) {
            out += c;
        } else if (c == '\t' || c == '\r' || c == '\v' || c == '\f') {
            out += c == '\t' ? "\\t" : c == '\r' ? "\\r" : c == '\v' ? "\\v" : "\\f";
        } else {
            out += {'\\', 'x', kHex[b >> 4], kHex[b & 15]};
        }
    }
    return out;
}

}  // namespace

void Diagnostics::line(std::string_view text) {
    out.put(escapeControls(text));
    out.lineEnd();
}

void Diagnostics::badInput(const BadInput& error) {
    const auto* unknown = dynamic_cast<const UnknownVariable*>(&error);
    if (fractionsNeedExact && unknown != nullptr && isFractionText(unknown->name)) {
        line("Bad input: Fraction '" + unknown->name + "' needs --exact");
        return;
    }
    line("Bad input: " + error.message);
}

void Diagnostics::finish() {
    if (wraps.any && err_ != nullptr) *err_ << kWrapWarning << '\n' << std::flush;
}

}  // namespace initform
