#!/usr/bin/env python3
"""Cross-checks --tropical --min and --prevariety --min without a valuation
against Macaulay2's Polyhedra: the hypersurface of f is the codimension-1
skeleton of the normal fan of f's Newton polytope (normalFan of
newtonPolytope, whose cones are inner normal cones, the smallest degree).
For random polynomials in 2 and 3 variables, each maximal cell's rays
(projected onto the orthogonal complement of the lineality space,
primitive) must be those of one such cone, and the other way round. For
random lists in 3 and 4 variables and for cyclic 5, Macaulay2 intersects
the skeletons' cones one list at a time, breadth first, every cone with
every cone (a different order from initform's tree, and no pruning but
repeats), and its maximal intersections beyond the lineality space must be
the prevariety's cells. Skips itself (status 77, a skip to CTest) without
Macaulay2.

usage: macaulay2_tropical_check.py INITFORM [--count N]
"""
import argparse
from fractions import Fraction
import random
import re
import subprocess
import sys

from skips import missing, skip
from tropical_model import null_space, primitive


def project(v, lineality):
    """v less its projection onto the span of the lineality basis."""
    basis = []
    for l in lineality:  # Gram-Schmidt
        u = [Fraction(x) for x in l]
        for b in basis:
            f = sum(x * y for x, y in zip(u, b)) / sum(x * x for x in b)
            u = [x - f * y for x, y in zip(u, b)]
        basis.append(u)
    w = [Fraction(x) for x in v]
    for b in basis:
        f = sum(x * y for x, y in zip(w, b)) / sum(x * x for x in b)
        w = [x - f * y for x, y in zip(w, b)]
    return primitive(w)


def matrix_columns(text):
    """The columns of Macaulay2's toString of a matrix."""
    rows = [[int(x) for x in re.findall(r"-?\d+", row)] for row in re.findall(r"\{([^{}]*)\}", text)]
    return [tuple(r[k] for r in rows) for k in range(len(rows[0]))] if rows and rows[0] else []


# The cells of a hypersurface as cones, and the maximal intersections of
# one cell from each, beyond a lineality space of dimension d0, of a list.
M2_PREVARIETY = """
cellsOf = f -> (F := normalFan newtonPolytope f;
  apply(cones(dim F - 1, F), c -> coneFromVData(submatrix(rays F, c), linealitySpace F)));
key = C -> (sort entries transpose rays C, sort entries transpose linealitySpace C);
prevariety = (fs, d0) -> (
  cs := apply(fs, cellsOf);
  L := first cs;
  for k from 1 to #cs - 1 do (
    H := new MutableHashTable;
    for A in L do for B in cs#k do (C := intersection(A, B); H#(key C) = C);
    L = values H);
  keep := select(L, C -> dim C > d0);
  if #keep == 0 then keep = L;
  select(keep, C -> not any(keep, D -> key D =!= key C and contains(D, C))));
"""


def hypersurface_cases(r, count):
    cases = []
    for _ in range(count):
        n = r.choice([2, 3])
        names = ["x", "y", "z"][:n]
        exps = {tuple(r.randint(0, 3) for _ in range(n)) for _ in range(r.randint(2, 6))}
        if len(exps) < 2:
            continue
        text = "+".join("*".join([str(r.randint(1, 5))] + [f"{v}^{e}" for v, e in zip(names, ex) if e]) for ex in exps)
        cases.append((names, [sorted(exps)], [text]))
    return cases


def prevariety_cases(r, count):
    cases = []
    for _ in range(count):
        n = r.choice([3, 4])
        names = ["x", "y", "z", "w"][:n]
        polys = []
        for _ in range(r.randint(2, 3)):
            exps = {tuple(r.randint(0, 2) for _ in range(n)) for _ in range(r.randint(2, 4))}
            if len(exps) >= 2:
                polys.append(sorted(exps))
        if polys:
            cases.append((names, polys, [term_text(names, exps) for exps in polys]))
    n = 5
    names = [f"x{i}" for i in range(1, n + 1)]
    cyclic = [sorted(tuple(1 if (i - s) % n < k else 0 for i in range(n)) for s in range(n)) for k in range(1, n)]
    cases.append((names, cyclic + [[(0,) * n, (1,) * n]], [term_text(names, e) for e in cyclic] + ["*".join(names) + "-1"]))
    return cases


def term_text(names, exps):
    return "+".join("*".join(["1"] + [f"{v}^{e}" for v, e in zip(names, ex) if e]) for ex in exps)


def lineality_of(polys, n):
    return null_space([[a - b for a, b in zip(e, exps[0])] for exps in polys for e in exps], n)


def theirs(block, lineality):
    """The cones Macaulay2 printed, each as its set of projected rays."""
    rays_text, cones_text = block.split("\n")[1:3]
    rays = [project(v, lineality) for v in matrix_columns(rays_text)]
    return {frozenset(rays[i] for i in map(int, re.findall(r"\d+", c))) for c in re.findall(r"\{([^{}]*)\}", cones_text)}


def their_cells(block, lineality):
    """The cones of a prevariety Macaulay2 printed, one a line."""
    cells = set()
    for line in block.split("\n")[1:]:
        if line.startswith("cone"):
            cells.add(frozenset(project(v, lineality) for v in matrix_columns(line[5:])))
    return cells


def ours(initform, mode, names, texts):
    """Our cells, each as its set of rays."""
    out = subprocess.run([initform, mode, "--min"], input=f"Q[{','.join(names)}]{{{','.join(texts)}}}".encode(),
                         capture_output=True).stdout.decode().splitlines()
    rays = [tuple(int(x) for x in re.findall(r"-?\d+", l)) for l in out if l.startswith("ray ")]
    vertices = sum(l.startswith("vertex ") for l in out)
    return {frozenset(rays[i - 1 - vertices] for i in map(int, l.split()[1:]) if i > vertices)
            for l in (l.split(" multiplicity")[0] for l in out) if l.startswith("cell ")}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("initform")
    ap.add_argument("--count", type=int, default=40)
    ns = ap.parse_args()
    why = missing(["M2"])
    if why:
        return skip(why)
    r = random.Random(33)
    surfaces = hypersurface_cases(r, ns.count)
    lists = prevariety_cases(r, ns.count)
    program = ['needsPackage "Polyhedra";', M2_PREVARIETY]
    for k, (names, _, texts) in enumerate(surfaces):
        program += [f"R = QQ[{','.join(names)}]; F = normalFan newtonPolytope({texts[0]});",
                    f'print("case {k}"); print toString rays F; print toString cones(dim F - 1, F);']
    for k, (names, polys, texts) in enumerate(lists):
        d0 = len(lineality_of(polys, len(names)))
        program += [f"R = QQ[{','.join(names)}]; P = prevariety({{{','.join(texts)}}}, {d0});",
                    f'print("case {len(surfaces) + k}"); scan(P, C -> print("cone " | toString rays C));']
    got = subprocess.run(["M2", "--script", "/dev/stdin"], input="\n".join(program) + "\n", capture_output=True,
                         text=True)
    blocks = got.stdout.split("case ")[1:]
    passed = failed = 0
    for k, (names, polys, texts) in enumerate(surfaces + lists):
        if k >= len(blocks):
            failed += 1
            continue
        lineality = lineality_of(polys, len(names))
        surface = k < len(surfaces)
        want = theirs(blocks[k], lineality) if surface else their_cells(blocks[k], lineality)
        got_cells = ours(ns.initform, "--tropical" if surface else "--prevariety", names, texts)
        if got_cells == want:
            passed += 1
        else:
            failed += 1
            print(f"differ on {texts}: ours {sorted(map(sorted, got_cells))}, Macaulay2's {sorted(map(sorted, want))}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
