// Cutting texts into pieces: the ring's names, the weights of a vector and
// the polynomial list are cut at ',', a polynomial at its signs. Pieces are
// views into a text that outlives them.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace initform {

// Pieces of the input document or of an argument.
using StringList = std::vector<std::string_view>;

inline constexpr std::size_t npos = std::string_view::npos;

// Calls each(piece, last) for every piece of `text` cut at `delimiter`,
// empty pieces included (a text with k delimiters has k + 1), in order;
// stops early when `each` returns false. Returns whether it went through.
template <class Each>
bool forEachPiece(std::string_view text, char delimiter, Each&& each) {
    for (std::size_t pos = 0;;) {
        const std::size_t cut = text.find(delimiter, pos);
        const bool last = cut == npos;
        if (!each(text.substr(pos, last ? npos : cut - pos), last)) return false;
        if (last) return true;
        pos = cut + 1;
    }
}

// Appends to `list` the pieces of `text` cut at `delimiter`.
inline void populate(StringList& list, std::string_view text, char delimiter) {
    forEachPiece(text, delimiter, [&list](std::string_view piece, bool) {
        list.push_back(piece);
        return true;
    });
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
