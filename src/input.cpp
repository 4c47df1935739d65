// Reading standard input whole into one buffer.
#include "input.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <new>
#include <vector>

#include "errors.hpp"

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

#if defined(MAP_ANONYMOUS) && defined(MADV_HUGEPAGE)
#define INITFORM_HUGE_PAGES 1
#endif

namespace initform {

namespace {

// Removes every '\n' from data[0, size) in place; returns the new size.
std::size_t removeLineEnds(char* data, std::size_t size) {
    char* out = static_cast<char*>(std::memchr(data, '\n', size));
    if (out == nullptr) return size;
    const char* in = out + 1;
    const char* end = data + size;
    while (in < end) {
        const char* nl = static_cast<const char*>(std::memchr(in, '\n', static_cast<std::size_t>(end - in)));
        const char* stop = nl ? nl : end;
        std::memmove(out, in, static_cast<std::size_t>(stop - in));
        out += stop - in;
        in = stop + 1;
    }
    return static_cast<std::size_t>(out - data);
}

// Reads up to `count` bytes into `to`; returns how many arrived (fewer only
// at the end of the input).
std::size_t readSome(const InputSource& in, char* to, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const std::size_t want = std::min<std::size_t>(count - got, PTRDIFF_MAX);
        std::ptrdiff_t n;
        if (in.stream != nullptr) {
            n = in.stream->rdbuf()->sgetn(to + got, static_cast<std::streamsize>(want));
        } else {
            n = ::read(in.fd, to + got, want);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw SystemFailure("cannot read standard input", errno);
        }
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

// The size of the rest of the input where the system knows it in advance:
// a regular file's. Only a hint for the first block: what the reads return
// decides (a directory, a pipe or a device has none).
std::size_t sizeHint(const InputSource& in) {
    if (in.stream != nullptr) {
        std::streambuf* buf = in.stream->rdbuf();
        const std::streamoff here = buf->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
        if (here < 0) return 0;
        const std::streamoff end = buf->pubseekoff(0, std::ios_base::end, std::ios_base::in);
        if (buf->pubseekoff(here, std::ios_base::beg, std::ios_base::in) != here || end <= here) return 0;
        return static_cast<std::size_t>(end - here);
    }
    struct stat st {};
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    const off_t here = ::lseek(in.fd, 0, SEEK_CUR);
    return here >= 0 && st.st_size > here ? static_cast<std::size_t>(st.st_size - here) : 0;
}

}  // namespace

void TextBuffer::reset() {
#ifdef INITFORM_HUGE_PAGES
    if (mapped_ != 0) ::munmap(p_, mapped_);
#endif
    if (mapped_ == 0) std::free(p_);
    release();
}

// A large buffer is mapped on its own and advised to be backed by huge pages
// where the system offers them: the input is written into it once from end
// to end, and a fault for every 4 KB page of it costs more than copying the
// bytes (docs/performance.md).
TextBuffer allocateText(std::size_t size) {
#ifdef INITFORM_HUGE_PAGES
    constexpr std::size_t kHuge = std::size_t{1} << 21;
    if (size >= kHuge && size <= SIZE_MAX - kHuge) {
        const std::size_t rounded = (size + kHuge - 1) / kHuge * kHuge;
        void* p = ::mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        ::madvise(p, rounded, MADV_HUGEPAGE);  // only advice: without it, small pages serve
        return TextBuffer(static_cast<char*>(p), rounded);
    }
#endif
    void* p = std::malloc(size);
    if (p == nullptr) throw std::bad_alloc();
    return TextBuffer(static_cast<char*>(p), 0);
}

InputText copyText(std::string_view text) {
    InputText out{allocateText(text.size() + 1), text.size()};
    std::memcpy(out.data.get(), text.data(), text.size());
    out.data[text.size()] = '\0';
    return out;
}

// The input is read in blocks (a file whose size is known: in one), and the
// blocks are joined at the end, so that the peak memory stays near the
// input size.
InputText readDocument(const InputSource& in, bool lines) {
    // A block and its NUL fill one huge page (allocateText).
    constexpr std::size_t kBlock = (std::size_t{1} << 21) - 1;
    const std::size_t hint = sizeHint(in);
    std::size_t block = hint < kBlock ? kBlock : hint + 1;
    std::vector<InputText> blocks;
    std::size_t total = 0;
    for (bool more = true; more;) {
        InputText b{allocateText(block + 1), 0};
        b.size = readSome(in, b.data.get(), block);
        more = b.size == block;
        if (!lines) b.size = removeLineEnds(b.data.get(), b.size);
        b.data[b.size] = '\0';
        total += b.size;
        if (b.size > 0) blocks.push_back(std::move(b));
        block = kBlock;
    }
    if (blocks.size() == 1) return std::move(blocks[0]);
    InputText doc{allocateText(total + 1), 0};
    for (InputText& b : blocks) {
        std::memcpy(doc.data.get() + doc.size, b.data.get(), b.size);
        doc.size += b.size;
        b.data.reset();
    }
    doc.data[doc.size] = '\0';
    return doc;
}

}  // namespace initform
