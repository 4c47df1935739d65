// Printing a polyhedral complex in its canonical form.
#include "complex.hpp"

#include <algorithm>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <string>

namespace initform {

namespace {

// Coordinate by coordinate, by value.
bool lessQ(const QVector& a, const QVector& b) { return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end()); }
bool lessZ(const IntVector& a, const IntVector& b) { return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end()); }

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

std::vector<std::size_t> maximalLists(const std::vector<std::vector<std::size_t>>& lists) {
    std::unordered_map<std::size_t, std::vector<std::size_t>> holding;
    for (std::size_t k = 0; k < lists.size(); ++k) {
        for (const std::size_t m : lists[k]) holding[m].push_back(k);
    }
    std::vector<std::size_t> maximal;
    for (std::size_t k = 0; k < lists.size(); ++k) {
        const std::vector<std::size_t>& list = lists[k];
        // A list that holds this one holds its rarest number (the empty list
        // is held by any other).
        const auto rarest = std::min_element(list.begin(), list.end(), [&](std::size_t a, std::size_t b) {
            return holding[a].size() < holding[b].size();
        });
        const auto holds = [&](std::size_t o) {
            return o != k && std::includes(lists[o].begin(), lists[o].end(), list.begin(), list.end());
        };
        const bool held = rarest == list.end() ? lists.size() > 1
                                               : std::any_of(holding[*rarest].begin(), holding[*rarest].end(), holds);
        if (!held) maximal.push_back(k);
    }
    return maximal;
}

// Keys are compared by the numbers of their vectors, vertices first.
PolyhedralComplex maximalOf(const std::set<CellKey>& found) {
    constexpr std::size_t kFirstRay = SIZE_MAX / 2;  // rays are numbered from here, after every vertex
    std::map<QVector, std::size_t> vertexAt;
    std::map<IntVector, std::size_t> rayAt;
    std::vector<std::vector<std::size_t>> members;  // each key's vertices and rays, numbered together
    for (const CellKey& key : found) {
        std::vector<std::size_t>& m = members.emplace_back();
        for (const QVector& v : key.vertices) m.push_back(vertexAt.try_emplace(v, vertexAt.size()).first->second);
        for (const IntVector& r : key.rays) m.push_back(kFirstRay + rayAt.try_emplace(r, rayAt.size()).first->second);
        std::sort(m.begin(), m.end());
    }
    // Every vector stands once: a held key's vectors are its holder's.
    PolyhedralComplex c;
    c.vertices.resize(vertexAt.size());
    for (auto& [v, at] : vertexAt) c.vertices[at] = v;
    c.rays.resize(rayAt.size());
    for (auto& [r, at] : rayAt) c.rays[at] = r;
    for (const std::size_t k : maximalLists(members)) {
        Cell& cell = c.cells.emplace_back();
        for (const std::size_t m : members[k]) {
            if (m < kFirstRay) cell.vertices.push_back(m);
            else cell.rays.push_back(m - kFirstRay);
        }
    }
    return c;
}

void writeVector(Writer& w, const IntVector& v) { writeEntries(w, v); }

void writeVector(Writer& w, const QVector& v) { writeEntries(w, v); }

void writeLine(Writer& w, std::string_view label, const IntVector& v) {
    w.put(label);
    w.put(' ');
    writeVector(w, v);
    w.lineEnd();
}

void writeComplex(Writer& w, PolyhedralComplex c) {
    if (c.cells.empty()) {
        w.put("empty");
        w.lineEnd();
        return;
    }
    const auto [vertices, vertexNumber] = numbered(c.vertices, lessQ, 1);
    const auto [rays, rayNumber] = numbered(c.rays, lessZ, 1 + vertices.size());
    // Each cell's numbers written over its own lists (so that the block is
    // not held twice), vertices' and rays' in its first; the cells sorted.
    for (Cell& cell : c.cells) {
        std::vector<std::size_t>& ids = cell.vertices;
        for (std::size_t& v : ids) v = vertexNumber[v];
        ids.reserve(ids.size() + cell.rays.size());
        for (const std::size_t r : cell.rays) ids.push_back(rayNumber[r]);
        std::vector<std::size_t>().swap(cell.rays);
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    }
    std::sort(c.cells.begin(), c.cells.end(), [](const Cell& a, const Cell& b) { return a.vertices < b.vertices; });
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
    for (const Cell& cell : c.cells) {
        w.put("cell");
        for (const std::size_t id : cell.vertices) {
            w.put(' ');
            w.put(std::to_string(id));
        }
        if (cell.multiplicity) {
            w.put(" multiplicity ");
            w.put(cell.multiplicity->get_str());
        }
        w.lineEnd();
    }
}

}  // namespace initform
