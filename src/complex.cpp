// Printing a polyhedral complex in its canonical form.
#include "complex.hpp"

#include <algorithm>
#include <string>

namespace initform {

namespace {

// Coordinate by coordinate, by value.
bool lessQ(const QVector& a, const QVector& b) { return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end()); }
bool lessZ(const IntVector& a, const IntVector& b) { return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end()); }

template <class V, class Less>
std::vector<V> sortedUnique(std::vector<V> v, Less less) {
    std::sort(v.begin(), v.end(), less);
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

// The number (from `first`) of v in the sorted list.
template <class V, class Less>
std::size_t numberOf(const std::vector<V>& sorted, const V& v, Less less, std::size_t first) {
    return first + static_cast<std::size_t>(std::lower_bound(sorted.begin(), sorted.end(), v, less) - sorted.begin());
}

template <class Vector>
void writeEntries(Writer& w, const Vector& v) {
    w.put('(');
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i > 0) w.put(',');
        w.put(v[i].get_str());
    }
    w.put(')');
}

}  // namespace

void writeVector(Writer& w, const IntVector& v) { writeEntries(w, v); }

void writeVector(Writer& w, const QVector& v) { writeEntries(w, v); }

void writeLine(Writer& w, std::string_view label, const IntVector& v) {
    w.put(label);
    w.put(' ');
    writeVector(w, v);
    w.lineEnd();
}

void writeComplex(Writer& w, const PolyhedralComplex& c) {
    if (c.cells.empty()) {
        w.put("empty");
        w.lineEnd();
        return;
    }
    std::vector<QVector> vertices;
    std::vector<IntVector> rays;
    for (const Cell& cell : c.cells) {
        vertices.insert(vertices.end(), cell.vertices.begin(), cell.vertices.end());
        rays.insert(rays.end(), cell.rays.begin(), cell.rays.end());
    }
    vertices = sortedUnique(std::move(vertices), lessQ);
    rays = sortedUnique(std::move(rays), lessZ);
    // Each cell as the numbers of its vertices and rays; the cells sorted.
    std::vector<std::pair<std::vector<std::size_t>, const Cell*>> numbered;
    for (const Cell& cell : c.cells) {
        std::vector<std::size_t> ids;
        for (const QVector& v : cell.vertices) ids.push_back(numberOf(vertices, v, lessQ, 1));
        for (const IntVector& r : cell.rays) ids.push_back(numberOf(rays, r, lessZ, 1 + vertices.size()));
        numbered.emplace_back(sortedUnique(std::move(ids), std::less<>()), &cell);
    }
    std::sort(numbered.begin(), numbered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    w.put("dimension ");
    w.put(std::to_string(c.dimension));
    w.lineEnd();
    for (const IntVector& v : c.lineality) writeLine(w, "lineality", v);
    for (const QVector& v : vertices) {
        w.put("vertex ");
        writeVector(w, v);
        w.lineEnd();
    }
    for (const IntVector& r : rays) writeLine(w, "ray", r);
    for (const auto& [ids, cell] : numbered) {
        w.put("cell");
        for (const std::size_t id : ids) {
            w.put(' ');
            w.put(std::to_string(id));
        }
        if (cell->multiplicity) {
            w.put(" multiplicity ");
            w.put(cell->multiplicity->get_str());
        }
        w.lineEnd();
    }
}

}  // namespace initform
