// Reading the document: the buffers that hold it.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <sstream>

#include "initform.hpp"

namespace initform::test {
namespace {

TEST(TextBuffer, AMovedFromBufferFreesNothing) {
    // A page mapped low, inside the range a mapped buffer of 4 MB would
    // cover if it were freed again from address 0 once moved from.
    void* low = ::mmap(reinterpret_cast<void*>(0x100000), 4096, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (low == MAP_FAILED) GTEST_SKIP() << "no page can be mapped at 1 MB here";
    {
        TextBuffer big = allocateText(std::size_t{4} << 20);
        TextBuffer moved = std::move(big);
        TextBuffer assigned;
        assigned = std::move(moved);
        assigned[0] = 'x';
    }
    // The low page is still there: msync fails with ENOMEM on unmapped memory.
    EXPECT_EQ(::msync(low, 4096, MS_ASYNC), 0);
    ::munmap(low, 4096);
}

TEST(ReadDocument, JoinsLinesAcrossBlocks) {
    // More than one block of 2 MB, with line ends at every size of piece.
    std::string text;
    for (std::size_t k = 0; text.size() < (std::size_t{5} << 20); ++k) text += std::string(k % 7, 'a') + "\n";
    std::istringstream in(text);
    const InputText doc = readDocument(InputSource{-1, &in});
    std::string joined = text;
    std::erase(joined, '\n');
    ASSERT_EQ(doc.size, joined.size());
    EXPECT_EQ(doc.text(), joined);
    EXPECT_EQ(doc.data[doc.size], '\0');
}

}  // namespace
}  // namespace initform::test
