// Cutting texts into pieces: the ring's names, the weights of a vector and
// the polynomial list are cut at ',', a polynomial at its signs. Pieces are
// views into a text that outlives them.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

namespace initform {

// Pieces of the input document or of an argument.
using StringList = std::vector<std::string_view>;

inline constexpr std::size_t npos = std::string_view::npos;

// The pieces of `text` cut at `delimiter`, one at a time, empty pieces
// included (a text with k delimiters has k + 1):
//     for (Pieces pieces(text, ','); pieces.next();) use(pieces.piece(), pieces.last());
class Pieces {
public:
    Pieces(std::string_view text, char delimiter) : text_(text), delimiter_(delimiter) {}
    // Moves to the next piece; false after the last. Always inlined: once
    // it is called from many units, the compiler would otherwise call it
    // from the polynomial list's loop, once per polynomial.
    [[gnu::always_inline]] bool next() {
        if (last_) return false;
        // memchr itself: string_view::find, called from many units, is left
        // out of line.
        const void* hit = pos_ < text_.size() ? std::memchr(text_.data() + pos_, delimiter_, text_.size() - pos_) : nullptr;
        const std::size_t cut = hit == nullptr ? npos : static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data());
        last_ = cut == npos;
        piece_ = text_.substr(pos_, last_ ? npos : cut - pos_);
        pos_ = cut + 1;
        return true;
    }
    std::string_view piece() const { return piece_; }
    bool last() const { return last_; }

private:
    std::string_view text_;
    char delimiter_;
    std::size_t pos_ = 0;
    std::string_view piece_;
    bool last_ = false;
};

// Appends to `list` the pieces of `text` cut at `delimiter`.
inline void populate(StringList& list, std::string_view text, char delimiter) {
    for (Pieces pieces(text, delimiter); pieces.next();) list.push_back(pieces.piece());
}

// The position of the first '+' or '-' after `start` (npos for none): the
// end of a term that begins at `start`. The character at `start` itself is
// never a delimiter, so a sign there belongs to the term.
inline std::size_t nextDelimiter(std::size_t start, std::string_view text) {
    for (std::size_t i = start + 1; i < text.size(); ++i) {
        if (text[i] == '+' || text[i] == '-') return i;
    }
    return npos;
}

// The bytes that may follow a polynomial text in memory: the ',' after it
// in the list, the '}' that closes the list, the NUL after a std::string or
// after the document.
inline constexpr char kTerminators[] = {',', '}', '\0'};

// A text whose next byte in memory is readable and one of kTerminators, so
// that the reader can scan it without bounds checks.
struct TerminatedText {
    std::string_view view;
};

}  // namespace initform
