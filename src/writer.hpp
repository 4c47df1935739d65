// Output: a buffer that collects what is printed and hands it on to a
// stream or a file descriptor.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string_view>
#include <vector>

namespace initform {

// Collects output and hands it on, to a stream or to a file descriptor. A
// line end is '\n' followed by a flush: to a descriptor, one write(2) per
// line; between line ends, output is passed on in large blocks.
class Writer {
public:
    explicit Writer(std::ostream& out) : out_(&out) {}
    explicit Writer(int fd) : fd_(fd) {}
    [[gnu::always_inline]] void put(char c) {
        *reserve(1) = c;
        ++size_;
    }
    void put(std::string_view s);
    void putNumber(std::int64_t n) {
        // Most exponents and coefficients have one or two digits.
        if (static_cast<std::uint64_t>(n) < 10) return put(static_cast<char>('0' + n));
        if (static_cast<std::uint64_t>(n) < 100) {
            char* to = reserve(2);
            to[0] = static_cast<char>('0' + n / 10);
            to[1] = static_cast<char>('0' + n % 10);
            size_ += 2;
            return;
        }
        putLongNumber(n);
    }
    // Room for n more characters; `commit` keeps those written before `end`.
    char* reserve(std::size_t n) {
        if (capacity_ - size_ < n) grow(n);
        return buf_.data() + size_;
    }
    void commit(const char* end) { size_ = static_cast<std::size_t>(end - buf_.data()); }
    void lineEnd() {
        put('\n');
        if (!held_) flush();
    }
    // Whether output is held until flush(), however long: a weights file's
    // answers are passed on whole, so that a run cut short leaves no part of
    // the answer it could not finish. Otherwise (the default) every line end
    // flushes, and a long line is passed on in large blocks.
    void holdUntilFlush(bool on) {
        held_ = on;
        spillAt_ = on ? SIZE_MAX : kSpillSize;
    }
    void flush();
    // Passes collected output on without a flush once there is a lot of it
    // (unless it is held).
    void spillIfLarge() {
        if (size_ >= spillAt_) spill();
    }
    bool ok() const;
    // Why output failed, as an errno value (0 for no failure).
    int error() const;

private:
    static constexpr std::size_t kSpillSize = std::size_t{1} << 16;
    void spill();
    void grow(std::size_t n);
    void putLongNumber(std::int64_t n);  // the numbers putNumber does not write inline
    std::ostream* out_ = nullptr;
    int fd_ = -1;
    int error_ = 0;
    bool held_ = false;
    std::size_t spillAt_ = kSpillSize;
    // The collected output: a plain buffer, so that a short piece is copied
    // inline rather than by a call; its first size_ bytes are used.
    std::vector<char> buf_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;  // buf_.size(), kept beside size_
};

// Writes all of data to a descriptor, again after an interruption or a
// short write. Returns 0, or the errno value of the failure (EIO when
// write(2) wrote nothing without saying why).
inline int writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
        } else if (n == 0) {
            return EIO;  // nothing written and no reason given: it would never end
        } else if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

inline void Writer::put(std::string_view s) {
    const std::size_t n = s.size();
    char* to = reserve(n);
    // Names are short: copy them with fixed-size moves, not a call (up to
    // 0.7 % of the instructions where many lines are written).
    if (n >= 8 && n <= 16) {
        std::memcpy(to, s.data(), 8);
        std::memcpy(to + n - 8, s.data() + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(to, s.data(), 4);
        std::memcpy(to + n - 4, s.data() + n - 4, 4);
    } else if (n >= 2 && n < 4) {
        std::memcpy(to, s.data(), 2);
        std::memcpy(to + n - 2, s.data() + n - 2, 2);
    } else if (n == 1) {
        *to = s[0];
    } else if (n > 16) {
        std::memcpy(to, s.data(), n);
    }
    size_ += n;
}

}  // namespace initform
