// The ring's variables: their names, and a table that finds the variable a
// factor names. A name that occurs twice is found at its first position.
//
// The reader looks up a name for every factor it reads, so the lookups are
// inline here, with two shortcuts that docs/performance.md measures: names
// of one or two bytes are found in a direct table without hashing, and a
// name of up to seven bytes is packed with its length into one word, which
// identifies it, so that it is compared without touching its bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "pieces.hpp"

namespace initform {

struct Variables {
    struct Slot {
        std::uint64_t hash;
        std::uint32_t var;   // name position + 1; 0 marks a free slot
        std::uint32_t size;  // the name's length, capped at 2^32 - 1
    };
    StringList names;
    std::vector<Slot> slots;  // a power of two of them
    unsigned shift = 0;       // a hash's slot is hash >> shift
    std::uint64_t seed = 0;   // varies the hash, so that crafted names cannot collide
    // Names of one or two bytes: name position (kNoShortName for none) at
    // shortNameIndex of the name's bytes.
    std::vector<std::uint32_t> shortNames;
    static constexpr std::uint32_t kNoShortName = UINT32_MAX;
};

// The table of `names`. The seed only changes where names are stored, never
// what is found: with a seed nobody knows, no set of names can be made to
// collide in the table.
Variables makeVariables(StringList names, std::uint64_t seed = 0);
// The hash of a name in a table with this seed.
std::uint64_t hashName(std::string_view name, std::uint64_t seed);

// Names of up to this many bytes are packed with their length into one
// word, and hashed by a bijection: equal hashes and lengths mean equal names.
inline constexpr std::size_t kPackedName = 7;

// The low `size` bytes of a word, for each size up to kPackedName.
inline constexpr std::uint64_t kByteMasks[kPackedName + 1] = {
    0, 0xff, 0xffff, 0xffffff, 0xffffffff, 0xffffffffff, 0xffffffffffff, 0xffffffffffffff,
};

inline std::uint64_t packedName(std::uint64_t bytes, std::size_t size, std::uint64_t seed) {
    // Multiplying by an odd number is a bijection; the table takes its
    // slot from the product's high bits, which depend on every byte.
    return (((bytes & kByteMasks[size]) | (std::uint64_t{size} << 56)) ^ seed) * 0x9e3779b97f4a7c15ULL;
}

// True for the names kept in Variables::shortNames.
inline bool isShortName(std::string_view name) { return name.size() - 1 < 2; }

// Where a name of `size` one or two bytes, b0 and b1, sits in
// Variables::shortNames: one byte at b0, two at 256 + b0 + 256 * b1. b1 is
// ignored for one byte, so that the reader can pass the byte after the name
// and index both sizes without a branch.
inline constexpr std::size_t kShortNames = 256 + 65536;
inline std::size_t shortNameIndex(std::size_t size, char b0, char b1) {
    const std::size_t second = 256 + 256 * std::size_t{static_cast<unsigned char>(b1)};
    return static_cast<unsigned char>(b0) + (size == 2 ? second : 0);
}

inline std::uint32_t cappedSize(std::size_t n) {
    return static_cast<std::uint32_t>(std::min<std::size_t>(n, UINT32_MAX));
}

// The position of the variable called `name`, whose hash is known, or npos.
inline std::size_t lookUp(const Variables& vars, std::string_view name, std::uint64_t hash) {
    const std::size_t mask = vars.slots.size() - 1;
    const std::uint32_t size = cappedSize(name.size());
    for (std::size_t s = hash >> vars.shift;; s = (s + 1) & mask) {
        const Variables::Slot& slot = vars.slots[s];
        if (slot.hash == hash && slot.size == size && slot.var != 0 &&
            (name.size() <= kPackedName ||
             std::memcmp(vars.names[slot.var - 1].data(), name.data(), name.size()) == 0)) {
            return slot.var - 1;
        }
        if (slot.var == 0) return npos;
    }
}

// The same for a name of at most kPackedName bytes, whose hash and length
// identify it.
inline std::size_t lookUpPacked(const Variables& vars, std::uint32_t size, std::uint64_t hash) {
    const std::size_t mask = ~std::size_t{0} >> vars.shift;  // slots.size() - 1
    for (std::size_t s = hash >> vars.shift;; s = (s + 1) & mask) {
        const Variables::Slot& slot = vars.slots[s];
        if (slot.var == 0) return npos;
        if (slot.hash == hash && slot.size == size) return slot.var - 1;
    }
}

}  // namespace initform
