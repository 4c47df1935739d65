"""A model of --tropical and --prevariety by brute force, for the model
comparison: no hull and no polyhedral library, only Fractions.

A maximal cell of a hypersurface is the set where two terms tie below all
others, when it has the full dimension; its vertices are the solutions of
every square system of its tight constraints, its rays those of every
system one short. A prevariety's cells are the intersections of every tuple
of cells, one from each hypersurface, that lie in no other.
"""
from fractions import Fraction
from itertools import combinations, product
from math import gcd


def eliminate(rows, n):
    """Gauss-Jordan elimination on the first n columns of the rows, over
    Fractions: (the reduced rows, zero rows at the end, and the pivot columns)."""
    m = [[Fraction(x) for x in r] for r in rows]
    rank, pivots = 0, []
    for c in range(n):
        p = next((r for r in range(rank, len(m)) if m[r][c] != 0), None)
        if p is None:
            continue
        m[rank], m[p] = m[p], m[rank]
        m[rank] = [x / m[rank][c] for x in m[rank]]
        for r in range(len(m)):
            if r != rank and m[r][c] != 0:
                f = m[r][c]
                m[r] = [x - f * y for x, y in zip(m[r], m[rank])]
        pivots.append(c)
        rank += 1
    return m, pivots


def rank_and_solve(rows, rhs):
    """(rank, the unique solution of rows·x = rhs or None)."""
    n = len(rows[0]) if rows else 0
    m, pivots = eliminate([list(r) + [b] for r, b in zip(rows, rhs)], n)
    if any(all(x == 0 for x in row[:n]) and row[n] != 0 for row in m) or len(pivots) < n:
        return len(pivots), None
    sol = [Fraction(0)] * n
    for r, c in enumerate(pivots):
        sol[c] = m[r][n]
    return len(pivots), sol


def null_space(rows, n):
    """A basis of the vectors orthogonal to the rows, in reduced row echelon form."""
    m, pivots = eliminate(rows, n)
    basis = []
    for free in (c for c in range(n) if c not in pivots):
        v = [Fraction(0)] * n
        v[free] = Fraction(1)
        for r, c in enumerate(pivots):
            v[c] = -m[r][free]
        basis.append(v)
    return rref(basis, n)


def rref(rows, n):
    m, pivots = eliminate(rows, n)
    return m[:len(pivots)]


def primitive(v):
    den = 1
    for x in v:
        den = den * Fraction(x).denominator // gcd(den, Fraction(x).denominator)
    ints = [int(x * den) for x in v]
    g = 0
    for x in ints:
        g = gcd(g, x)
    return tuple(x // g for x in ints) if g else tuple(ints)


def polyhedron(equal, ineq, n):
    """Vertices and extreme rays of {w : e·w + e0 = 0, g·w + g0 >= 0}, each
    row (constant, coefficients); pointed (the equations hold the lineality
    space's complement). None when empty."""
    ok = lambda w: all(r[0] + sum(a * b for a, b in zip(r[1:], w)) >= 0 for r in ineq)
    okd = lambda d: all(sum(a * b for a, b in zip(r[1:], d)) >= 0 for r in ineq)
    vertices, rays = set(), set()
    for k in range(0, min(n, len(ineq)) + 1):
        for tight in combinations(ineq, k):
            rows = [r[1:] for r in equal] + [r[1:] for r in tight]
            _, w = rank_and_solve(rows, [-r[0] for r in equal] + [-r[0] for r in tight])
            if w is not None and ok(w):
                vertices.add(tuple(w))  # n independent tight constraints: a vertex
            basis = null_space(rows, n) if rows else [[Fraction(int(i == j)) for j in range(n)] for i in range(n)]
            if len(basis) == 1:  # n - 1 of them: an extreme ray, either way
                for sign in (1, -1):
                    d = [sign * x for x in basis[0]]
                    if okd(d):
                        rays.add(primitive(d))
    if not vertices:
        return None
    return vertices, rays


def cell_dimension(vertices, rays):
    vs = sorted(vertices)
    rows = [list(map(Fraction, r)) for r in rays] + [[a - b for a, b in zip(v, vs[0])] for v in vs[1:]]
    return len(rref(rows, len(vs[0]))) if rows else 0


def complement_equations(lineality):
    """Equations w·l = 0 for a lineality basis."""
    return [[Fraction(0)] + list(l) for l in lineality]


def hypersurface_cells(terms, n, lineality):
    """[(H-rep, vertices, rays, multiplicity)] of the maximal cells."""
    cells = {}
    for i, j in combinations(range(len(terms)), 2):
        (ai, li), (aj, lj) = terms[i], terms[j]
        equal = [[li - lj] + [x - y for x, y in zip(ai, aj)]] + complement_equations(lineality)
        ineq = [[lk - li] + [x - y for x, y in zip(ak, ai)] for k, (ak, lk) in enumerate(terms) if k not in (i, j)]
        got = polyhedron(equal, ineq, n)
        if got is None or cell_dimension(*got) + len(lineality) != n - 1:
            continue
        key = (frozenset(got[0]), frozenset(got[1]))
        # The terms that tie with i all over the cell: its dual edge's lattice points.
        tied = [a for a, l in terms
                if all(sum(x * y for x, y in zip(a, v)) + l == sum(x * y for x, y in zip(ai, v)) + li for v in got[0])
                and all(sum((x - y) * z for x, y, z in zip(a, ai, r)) == 0 for r in got[1])]
        mult = max(gcdv([x - y for x, y in zip(p, q)]) for p, q in combinations(tied, 2))
        cells[key] = ([equal[0]], ineq, mult)  # the tie, without the lineality's equations
    return cells


def gcdv(v):
    g = 0
    for x in v:
        g = gcd(g, int(x))
    return g


def block(lineality_basis, cells, dimension, multiplicity):
    """The canonical block of cells {(vertices, rays): multiplicity}."""
    if not cells:
        return "empty\n"
    vertices = sorted({v for vs, _ in cells for v in vs})
    rays = sorted({r for _, rs in cells for r in rs})
    number = {("v", v): k + 1 for k, v in enumerate(vertices)}
    number.update({("r", r): len(vertices) + k + 1 for k, r in enumerate(rays)})
    fmt = lambda v: "(" + ",".join(str(Fraction(x)) for x in v) + ")"
    lines = [f"dimension {dimension}"] + [f"lineality {fmt(primitive(l))}" for l in lineality_basis]
    lines += [f"vertex {fmt(v)}" for v in vertices] + [f"ray {fmt(r)}" for r in rays]
    numbered = sorted((sorted([number[("v", v)] for v in vs] + [number[("r", r)] for r in rs]), m)
                      for (vs, rs), m in cells.items())
    for ids, m in numbered:
        lines.append("cell " + " ".join(map(str, ids)) + ("" if not multiplicity else f" multiplicity {m}"))
    return "\n".join(lines) + "\n"


def whole(n):
    units = [[Fraction(int(i == j)) for j in range(n)] for i in range(n)]
    return block(units, {(frozenset([tuple([Fraction(0)] * n)]), frozenset()): None}, n, False)


def tropical(polys, n):
    """--tropical's output for polynomials given as [(exponent tuple, lift)]."""
    out = []
    for k, terms in enumerate(polys, 1):
        out.append(f"polynomial {k}\n")
        if not terms:
            out.append(whole(n))
            continue
        if len(terms) == 1:
            out.append("empty\n")
            continue
        lineality = null_space([[x - y for x, y in zip(a, terms[0][0])] for a, _ in terms], n)
        cells = hypersurface_cells(terms, n, lineality)
        out.append(block(lineality, {key: m for key, (_, _, m) in cells.items()}, n - 1, True))
    return "".join(out)


def prevariety(polys, n):
    """--prevariety's output."""
    surfaces, differences = [], []
    for terms in polys:
        if not terms:
            continue
        if len(terms) == 1:
            return "empty\n"
        differences += [[x - y for x, y in zip(a, terms[0][0])] for a, _ in terms]
        surfaces.append(terms)
    if not surfaces:
        return whole(n)
    lineality = null_space(differences, n)
    hs = [hypersurface_cells(t, n, null_space([[x - y for x, y in zip(a, t[0][0])] for a, _ in t], n)) for t in surfaces]
    found = {}
    for choice in product(*[list(h.values()) for h in hs]):
        equal = [row for c in choice for row in c[0]] + complement_equations(lineality)
        ineq = [row for c in choice for row in c[1]]
        got = polyhedron(equal, ineq, n)
        if got is not None:
            found[(frozenset(got[0]), frozenset(got[1]))] = (equal, ineq)
    inside = lambda key, rep: all(
        all(e[0] + sum(a * b for a, b in zip(e[1:], v)) == 0 for e in rep[0]) and
        all(g[0] + sum(a * b for a, b in zip(g[1:], v)) >= 0 for g in rep[1]) for v in key[0]) and all(
        all(sum(a * b for a, b in zip(e[1:], r)) == 0 for e in rep[0]) and
        all(sum(a * b for a, b in zip(g[1:], r)) >= 0 for g in rep[1]) for r in key[1])
    maximal = {key: None for key in found
               if not any(other != key and inside(key, rep) for other, rep in found.items())}
    if not maximal:
        return "empty\n"
    dim = len(lineality) + max(cell_dimension(vs, rs) for vs, rs in maximal)
    return block(lineality, maximal, dim, False)
