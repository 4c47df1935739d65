// The table of the ring's variables.
#include "variables.hpp"

#include <bit>

namespace initform {

namespace {

std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 32;
    h *= 0xd6e8feb86659fd93ULL;
    h ^= h >> 32;
    h *= 0xd6e8feb86659fd93ULL;
    h ^= h >> 32;
    return h;
}

// Names longer than kPackedName are mixed 8 bytes at a time and compared
// byte for byte when found.
std::uint64_t hashLongName(std::string_view s, std::uint64_t seed) {
    std::uint64_t h = mix(seed ^ 0x9e3779b97f4a7c15ULL ^ s.size());
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        h = mix(h ^ w) + i;
    }
    std::uint64_t w = 0;
    for (std::size_t k = 0; i + k < s.size(); ++k) {
        w |= std::uint64_t{static_cast<unsigned char>(s[i + k])} << (8 * k);
    }
    return mix(h ^ w);
}

}  // namespace

std::uint64_t hashName(std::string_view name, std::uint64_t seed) {
    if (name.size() > kPackedName) return hashLongName(name, seed);
    std::uint64_t bytes = 0;
    for (std::size_t k = 0; k < name.size(); ++k) {
        bytes |= std::uint64_t{static_cast<unsigned char>(name[k])} << (8 * k);
    }
    return packedName(bytes, name.size(), seed);
}

Variables makeVariables(StringList names, std::uint64_t seed) {
    Variables v;
    v.seed = seed;
    // A sparse table: most names are found at their first slot.
    std::size_t capacity = 64;
    while (capacity < 4 * names.size()) capacity *= 2;
    v.slots.assign(capacity, Variables::Slot{0, 0, 0});
    v.shift = 64 - static_cast<unsigned>(std::countr_zero(capacity));
    v.names = std::move(names);
    for (std::size_t k = 0; k < v.names.size(); ++k) {
        const std::uint64_t h = hashName(v.names[k], seed);
        if (lookUp(v, v.names[k], h) != npos) continue;  // a repeated name: keep the first
        std::size_t s = h >> v.shift;
        while (v.slots[s].var != 0) s = (s + 1) & (capacity - 1);
        v.slots[s] = {h, static_cast<std::uint32_t>(k + 1), cappedSize(v.names[k].size())};
    }
    v.shortNames.assign(kShortNames, Variables::kNoShortName);
    for (std::size_t k = v.names.size(); k-- > 0;) {
        // From the last name to the first, so that a repeated name keeps the first.
        const std::string_view name = v.names[k];
        if (isShortName(name)) {
            v.shortNames[shortNameIndex(name.size(), name[0], name.back())] = static_cast<std::uint32_t>(k);
        }
    }
    return v;
}

}  // namespace initform
