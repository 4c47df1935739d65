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

// The vectors sorted, repeats removed, and the number (from `first`) each
// position of the list now has.
template <class V, class Less>
std::pair<std::vector<const V*>, std::vector<std::size_t>> numbered(const std::vector<V>& list, Less less, std::size_t first) {
    std::vector<std::size_t> order(list.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return less(list[a], list[b]); });
    std::vector<const V*> sorted;
    std::vector<std::size_t> number(list.size());
    for (const std::size_t k : order) {
        if (sorted.empty() || less(*sorted.back(), list[k])) sorted.push_back(&list[k]);
        number[k] = first + sorted.size() - 1;
    }
    return {std::move(sorted), std::move(number)};
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
    const auto [vertices, vertexNumber] = numbered(c.vertices, lessQ, 1);
    const auto [rays, rayNumber] = numbered(c.rays, lessZ, 1 + vertices.size());
    // Each cell as the numbers of its vertices and rays; the cells sorted.
    std::vector<std::pair<std::vector<std::size_t>, const Cell*>> cells;
    for (const Cell& cell : c.cells) {
        std::vector<std::size_t> ids;
        for (const std::size_t v : cell.vertices) ids.push_back(vertexNumber[v]);
        for (const std::size_t r : cell.rays) ids.push_back(rayNumber[r]);
        cells.emplace_back(sortedUnique(std::move(ids), std::less<>()), &cell);
    }
    std::sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    w.put("dimension ");
    w.put(std::to_string(c.dimension));
    w.lineEnd();
    for (const IntVector& v : c.lineality) writeLine(w, "lineality", v);
    for (const QVector* v : vertices) {
        w.put("vertex ");
        writeVector(w, *v);
        w.lineEnd();
    }
    for (const IntVector* r : rays) writeLine(w, "ray", *r);
    for (const auto& [ids, cell] : cells) {
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
