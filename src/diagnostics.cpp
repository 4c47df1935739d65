// Messages and the warning.
#include "diagnostics.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstring>
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

void Diagnostics::systemFailure(const SystemFailure& failure) {
    if (failed_ != nullptr) return;
    failed_ = failure.text;
    error_ = failure.error;
    reason_ = failure.reason;
}

int Diagnostics::finish(int status) {
    // What is written is passed on (after running out of memory, an answer
    // cut short is not).
    if (!outOfMemory_) out.flush();
    // Output that cannot be written is the failure to say, not the warning.
    if (outOfMemory_) {
        err_.line({kOutOfMemory});
    } else if (failed_ != nullptr) {
        err_.line({"initform: ", failed_, ": ", reason_.empty() ? std::string_view(std::strerror(error_)) : reason_});
    } else if (!out.ok()) {
        err_.line({"initform: cannot write standard output: ", std::strerror(out.error())});
    } else {
        // A warning that cannot be written is output lost too.
        const bool said = !wraps.any || err_.line({kWrapWarning});
        return said || status != 0 ? status : 1;
    }
    return 1;
}

bool ErrorStream::terminal() const { return fd_ >= 0 && ::isatty(fd_) == 1; }

void ErrorStream::progress(std::string_view text) {
    // Back to the line's start, the text, and the rest of the line cleared.
    std::string shown = "\r" + std::string(text) + "\033[K";
    writeAll(fd_, shown.data(), shown.size());
}

bool ErrorStream::line(std::initializer_list<std::string_view> parts) {
    // Assembled on the stack: long enough for every line this program says.
    char text[512];
    std::size_t size = 0;
    for (std::string_view part : parts) {
        const std::size_t n = std::min(part.size(), sizeof text - 1 - size);
        std::memcpy(text + size, part.data(), n);
        size += n;
    }
    text[size++] = '\n';
    if (out_ == nullptr) return writeAll(fd_, text, size) == 0;
    out_->write(text, static_cast<std::streamsize>(size)).flush();
    return out_->good();
}

}  // namespace initform
