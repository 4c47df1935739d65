// Loading and framing the document.
#include "document.hpp"

#include <sys/random.h>
#include <time.h>

#include <string>

#include "lenient.hpp"

namespace initform {

Framing frameDocument(std::string_view text) {
    if (!text.starts_with("Q[")) return {std::nullopt, "Bad input: Must start with 'Q['"};
    const std::size_t h = text.find("]{");
    if (h == npos) return {std::nullopt, "Bad input: Couldn't find ']{'"};
    const std::size_t e = text.find('}');
    if (e == npos) return {std::nullopt, "Bad input: Couldn't find '}'"};
    return {Frame{text.substr(2, h - 2), text.substr(h + 2, e > h ? e - h - 2 : npos), e > h}, {}};
}

Document loadDocument(const InputSource& in, bool lenient) {
    InputText input = readDocument(in);
    if (lenient) {
        // Rewritten into a buffer of its own, unless it is canonical already.
        if (const std::optional<std::string> text = normalizeLenient(input.text())) input = copyText(*text);
    }
    Document d{std::move(input), {}, {}};
    d.framing = frameDocument(d.input.text());
    if (d.framing.frame) {
        StringList names;
        populate(names, d.framing.frame->varText, ',');
        d.vars = makeVariables(std::move(names), hashSeed());
    }
    return d;
}

std::uint64_t hashSeed() {
    std::uint64_t seed = 0;
    if (::getentropy(&seed, sizeof seed) == 0) return seed;
    // Without the system's entropy, the clock still differs from run to run.
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u + static_cast<std::uint64_t>(now.tv_nsec);
}

std::uint64_t mixSeed(std::uint64_t seed) {
    seed ^= seed >> 31;
    seed *= 0xbf58476d1ce4e5b9ULL;
    return seed ^ (seed >> 29);
}

}  // namespace initform
