// The canonical printing of a polyhedral complex, and of the vectors that
// --cone prints too. A complex is printed as its dimension, a basis of its
// lineality space, its vertices and rays after projection onto the
// orthogonal complement of that space (vertices rationals, rays primitive
// integer vectors, each list sorted and numbered together from 1), and its
// maximal cells as the numbers of their vertices and rays.
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "linear.hpp"
#include "writer.hpp"

namespace initform {

// A maximal cell: the positions of its vertices and rays in the complex's
// lists (any order, repeats allowed) and, in a hypersurface, the
// multiplicity that ends its line.
struct Cell {
    std::vector<std::size_t> vertices;
    std::vector<std::size_t> rays;
    std::optional<mpz_class> multiplicity;
};

// A polyhedral complex in Q^n; empty (no cells) prints as "empty". Its
// cells share the lists of vertices and rays, where a vector may stand
// more than once.
struct PolyhedralComplex {
    std::size_t dimension = 0;
    std::vector<IntVector> lineality;  // reduced row echelon form, each row primitive
    std::vector<QVector> vertices;
    std::vector<IntVector> rays;
    std::vector<Cell> cells;
};

// A cell's vertices and rays, each list sorted and without repeats: a cell
// that another holds is a face of it, so its vertices and rays are some of
// the other's.
struct CellKey {
    std::vector<QVector> vertices;
    std::vector<IntVector> rays;
    auto operator<=>(const CellKey& o) const = default;
};

// The cells of the keys that no other key holds, as a complex (its
// dimension and lineality left to the caller).
PolyhedralComplex maximalOf(const std::set<CellKey>& found);

// The positions of the lists, each sorted and no two equal, that no other
// list holds: of cells given by the numbers of their vectors, the maximal.
std::vector<std::size_t> maximalLists(const std::vector<std::vector<std::size_t>>& lists);

// Writes "(a,b,c)", each entry an integer or p/q in lowest terms.
void writeVector(Writer& w, const IntVector& v);
void writeVector(Writer& w, const QVector& v);
// Writes "LABEL (a,b,c)" and a line end.
void writeLine(Writer& w, std::string_view label, const IntVector& v);

// Writes the complex's block: "empty", or its dimension, lineality, vertex,
// ray and cell lines. The complex is used up: its cells become the lines'
// numbers.
void writeComplex(Writer& w, PolyhedralComplex c);

}  // namespace initform
