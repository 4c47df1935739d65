// Output through a buffer: short pieces are copied inline, and the buffer
// is handed on at each line end (or in large blocks between them).
#include "writer.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ostream>

namespace initform {

void Writer::putLongNumber(std::int64_t n) {
    char* to = reserve(24);
    size_ = static_cast<std::size_t>(std::to_chars(to, to + 24, n).ptr - buf_.data());
}

void Writer::grow(std::size_t n) {
    const std::size_t capacity = std::max({capacity_ * 2, size_ + n, std::size_t{256}});
    buf_.resize(capacity);
    capacity_ = capacity;
}

void Writer::spill() {
    if (out_ != nullptr) {
        // Straight to the stream's buffer; a short write marks the stream bad.
        const auto size = static_cast<std::streamsize>(size_);
        if (out_->good() && out_->rdbuf()->sputn(buf_.data(), size) != size) out_->setstate(std::ios::badbit);
    } else if (error_ == 0) {
        error_ = writeAll(fd_, buf_.data(), size_);
    }
    size_ = 0;
}

void Writer::flush() {
    spill();
    if (out_ != nullptr && out_->good() && out_->rdbuf()->pubsync() != 0) out_->setstate(std::ios::badbit);
}

bool Writer::ok() const { return out_ != nullptr ? out_->good() : error_ == 0; }

int Writer::error() const { return out_ != nullptr ? (out_->good() ? 0 : EIO) : error_; }

}  // namespace initform
