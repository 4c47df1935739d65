// Polyhedra in exact rational arithmetic, computed by cddlib; this unit
// converts to and from it. cddlib is loaded when --cone or --toward asks
// for a polyhedron, so that other runs neither load it nor need it. cddlib
// does not check its allocations: its computations run in one child process
// (apart), so that memory running out inside it is reported as such, never
// as a signal. The child ends with its parent, whatever ends the parent.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "linear.hpp"

namespace initform {

// A cone given by generators: extreme rays, and a basis of its lineality
// space (lines).
struct ConeGenerators {
    std::vector<IntVector> rays;
    std::vector<IntVector> lines;
};

// The constraints b + a·x >= 0 (or = 0, where `equal` says so) on x in Q^n,
// each row b, a_1, ..., a_n.
struct Constraints {
    std::size_t n = 0;
    std::vector<QVector> rows;
    std::vector<bool> equal;
    void add(QVector row, bool isEqual) {
        rows.push_back(std::move(row));
        equal.push_back(isEqual);
    }
};

// A polyhedron given by generators: points, rays and lines in Q^n.
struct Generators {
    std::vector<QVector> points;
    std::vector<QVector> rays;
    std::vector<QVector> lines;
};

// cddlib, loaded. Its computations are made only inside apart().
class Polyhedra {
public:
    // Loads cddlib; throws SystemFailure with the loader's reason when it cannot.
    Polyhedra();
    ~Polyhedra();
    Polyhedra(const Polyhedra&) = delete;
    Polyhedra& operator=(const Polyhedra&) = delete;

    // Runs `work` in a child process and returns the text it returns. The
    // child running out of memory throws bad_alloc; cddlib reporting an
    // error, a signal ending the child, or a child that cannot be started
    // throws SystemFailure.
    std::string apart(const std::function<std::string()>& work) const;

    // Inside apart(): the generators of the polyhedron of the constraints
    // (no points when it is empty).
    Generators generators(const Constraints& c) const;

    struct Library;

private:
    std::unique_ptr<Library> cdd_;
};

// The generators of {w in Q^n : v·w >= 0 for every v of `inequalities`},
// computed apart.
ConeGenerators coneGenerators(const Polyhedra& polyhedra, const std::vector<IntVector>& inequalities, std::size_t n);

}  // namespace initform
