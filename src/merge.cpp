// Reading prevariety blocks back, line by line, into cells keyed by their
// vertices and rays, so that the cells of several blocks can be compared.
#include "merge.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "complex.hpp"
#include "errors.hpp"
#include "pieces.hpp"

namespace initform {

namespace {

// What the blocks say together: the lineality of the first, the largest
// dimension, and every cell.
struct Merged {
    bool any = false;  // a block was read
    std::size_t dimension = 0;
    std::optional<std::vector<IntVector>> lineality;
    std::set<CellKey> cells;
};

// One block as it is read: its lines so far.
struct Block {
    std::size_t line = 0;  // where it starts
    std::size_t dimension = 0;
    std::vector<IntVector> lineality;
    std::vector<QVector> vertices;
    std::vector<IntVector> rays;
    std::vector<std::vector<std::size_t>> cells;
};

BadInput notABlock(std::size_t line, std::string_view text) {
    return BadInput("Line " + std::to_string(line) + " of the parts is no line of a block: '" + std::string(text) + "'");
}

// The entries of "(a,b,c)" as rationals in lowest terms (integers where
// `integers`); nullopt for anything else.
std::optional<QVector> entriesOf(std::string_view text, bool integers) {
    if (text.size() < 2 || text.front() != '(' || text.back() != ')') return std::nullopt;
    QVector v;
    for (Pieces pieces(text.substr(1, text.size() - 2), ','); pieces.next();) {
        const std::string piece(pieces.piece());
        const std::size_t slash = piece.find('/');
        if (piece.empty() || (integers && slash != npos)) return std::nullopt;
        const auto digits = [](std::string_view t, bool sign) {
            if (sign && !t.empty() && t[0] == '-') t.remove_prefix(1);
            return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
        };
        if (!digits(std::string_view(piece).substr(0, slash), true) ||
            (slash != npos && !digits(std::string_view(piece).substr(slash + 1), false))) {
            return std::nullopt;
        }
        mpq_class& q = v.emplace_back();
        q.set_str(piece, 10);
        if (sgn(q.get_den()) == 0) return std::nullopt;
        q.canonicalize();
    }
    return v;
}

IntVector integersOf(const QVector& v) {
    IntVector out;
    for (const mpq_class& x : v) out.push_back(x.get_num());
    return out;
}

// Adds a finished block's cells to what is merged.
void addBlock(Merged& m, const Block& b) {
    const std::string at = "the block at line " + std::to_string(b.line);
    if (m.lineality && *m.lineality != b.lineality) throw BadInput("The parts' lineality spaces differ (" + at + ")");
    m.lineality = b.lineality;
    m.dimension = std::max(m.dimension, b.dimension);
    for (const std::vector<std::size_t>& ids : b.cells) {
        CellKey key;
        for (const std::size_t id : ids) {
            if (id >= 1 && id <= b.vertices.size()) {
                key.vertices.push_back(b.vertices[id - 1]);
            } else if (id > b.vertices.size() && id <= b.vertices.size() + b.rays.size()) {
                key.rays.push_back(b.rays[id - 1 - b.vertices.size()]);
            } else {
                throw BadInput("A cell of " + at + " names no vertex or ray " + std::to_string(id));
            }
        }
        std::sort(key.vertices.begin(), key.vertices.end());
        std::sort(key.rays.begin(), key.rays.end());
        m.cells.insert(std::move(key));
    }
}

// Reads the blocks of one text into what is merged.
void readBlocks(std::string_view text, Merged& m) {
    std::optional<Block> block;
    std::size_t number = 0;
    for (Pieces lines(text, '\n'); lines.next();) {
        const std::string_view line = lines.piece();
        ++number;
        if (line.empty() && lines.last()) break;  // after the last line end
        const std::size_t space = line.find(' ');
        const std::string_view word = line.substr(0, space);
        const std::string_view rest = space == npos ? std::string_view{} : line.substr(space + 1);
        const bool starts = line == "empty" || word == "dimension";
        if (starts && block) addBlock(m, *block);
        if (line == "empty") {
            block.reset();
            m.any = true;
            continue;
        }
        if (word == "dimension") {
            const std::optional<QVector> d = entriesOf("(" + std::string(rest) + ")", true);
            if (!d || d->size() != 1 || sgn((*d)[0]) < 0) throw notABlock(number, line);
            block.emplace() = Block{number, (*d)[0].get_num().get_ui(), {}, {}, {}, {}};
            m.any = true;
            continue;
        }
        const std::optional<QVector> v = block && word != "cell" ? entriesOf(rest, word != "vertex") : std::nullopt;
        if (word == "lineality" && v) {
            block->lineality.push_back(integersOf(*v));
        } else if (word == "vertex" && v) {
            block->vertices.push_back(*v);
        } else if (word == "ray" && v) {
            block->rays.push_back(integersOf(*v));
        } else if (word == "cell" && block && !rest.empty()) {
            std::vector<std::size_t>& ids = block->cells.emplace_back();
            for (Pieces p(rest, ' '); p.next();) {
                const std::optional<QVector> id = entriesOf("(" + std::string(p.piece()) + ")", true);
                if (!id || id->size() != 1 || sgn((*id)[0]) <= 0 || !(*id)[0].get_num().fits_ulong_p()) throw notABlock(number, line);
                ids.push_back((*id)[0].get_num().get_ui());
            }
        } else {
            throw notABlock(number, line);
        }
    }
    if (block) addBlock(m, *block);
}

// The text of a part's file, or of standard input.
InputText partText(std::string_view path, const InputSource& in) {
    if (path.empty()) return readDocument(in, true);
    const std::string name(path);
    int fd;
    do {
        fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throw BadInput("Cannot open part file '" + name + "': " + std::strerror(errno));
    try {
        InputText text = readDocument(InputSource{fd, nullptr}, true);
        ::close(fd);
        return text;
    } catch (const SystemFailure& failure) {
        ::close(fd);
        throw BadInput("Cannot read part file '" + name + "': " + std::strerror(failure.error));
    }
}

}  // namespace

int answerMerge(const Options& o, const InputSource& in, Diagnostics& diag) {
    Merged m;
    try {
        if (o.parts.empty()) readBlocks(partText({}, in).text(), m);
        for (const std::string_view path : o.parts) readBlocks(partText(path, in).text(), m);
        if (!m.any) throw BadInput("No block to merge");
    } catch (const BadInput& error) {
        diag.badInput(error);
        return 1;
    }
    PolyhedralComplex c = m.cells.empty() ? PolyhedralComplex{} : maximalOf(m.cells);
    c.dimension = m.dimension;
    c.lineality = m.lineality.value_or(std::vector<IntVector>{});
    writeComplex(diag.out, std::move(c));
    diag.out.flush();
    return diag.out.ok() ? 0 : 1;
}

}  // namespace initform
