// Reading standard input: the whole document into one buffer, its line ends
// removed, before anything is parsed.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string_view>

namespace initform {

// Room for input text: memory mapped on its own (`mapped` bytes), or from
// malloc (`mapped` 0). It frees what it holds.
class TextBuffer {
public:
    TextBuffer() = default;
    TextBuffer(char* p, std::size_t mapped) : p_(p), mapped_(mapped) {}
    TextBuffer(TextBuffer&& other) noexcept : p_(other.p_), mapped_(other.mapped_) { other.release(); }
    TextBuffer& operator=(TextBuffer&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = other.p_;
            mapped_ = other.mapped_;
            other.release();
        }
        return *this;
    }
    ~TextBuffer() { reset(); }
    char* get() const { return p_; }
    char& operator[](std::size_t i) const { return p_[i]; }
    void reset();

private:
    // Forgets the memory without freeing it (it has moved on).
    void release() {
        p_ = nullptr;
        mapped_ = 0;
    }
    char* p_ = nullptr;
    std::size_t mapped_ = 0;
};

// Room for `size` bytes of input.
TextBuffer allocateText(std::size_t size);

// A text read whole, followed by a NUL that is not part of it: every
// polynomial text in it is then terminated.
struct InputText {
    TextBuffer data;
    std::size_t size = 0;
    std::string_view text() const { return {data.get(), size}; }
};

// A copy of `text` as an InputText.
InputText copyText(std::string_view text);

// Where the document is read from: a file descriptor (standard input), or a
// stream (the tests and the fuzz harness).
struct InputSource {
    int fd = -1;
    std::istream* stream = nullptr;
};

// Reads the whole input and joins its lines with nothing in between (with
// `lines`, keeps its line ends). Throws SystemFailure when a read fails; a
// read interrupted by a signal is retried.
InputText readDocument(const InputSource& in, bool lines = false);

}  // namespace initform
