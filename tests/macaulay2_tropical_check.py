#!/usr/bin/env python3
"""Cross-checks --tropical --min without a valuation against Macaulay2's
Polyhedra: the hypersurface of f is the codimension-1 skeleton of the normal
fan of f's Newton polytope (normalFan of newtonPolytope, whose cones are
inner normal cones, the smallest degree). For random polynomials in 2 and 3
variables, each maximal cell's rays (projected onto the orthogonal
complement of the lineality space, primitive) must be those of one such
cone, and the other way round. Skips itself (status 77, a skip to CTest)
without Macaulay2.

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


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("initform")
    ap.add_argument("--count", type=int, default=40)
    ns = ap.parse_args()
    why = missing(["M2"])
    if why:
        return skip(why)
    r = random.Random(33)
    cases = []
    for _ in range(ns.count):
        n = r.choice([2, 3])
        names = ["x", "y", "z"][:n]
        exps = {tuple(r.randint(0, 3) for _ in range(n)) for _ in range(r.randint(2, 6))}
        if len(exps) < 2:
            continue
        text = "+".join("*".join([str(r.randint(1, 5))] + [f"{v}^{e}" for v, e in zip(names, ex) if e]) for ex in exps)
        cases.append((names, sorted(exps), text))
    program = ['needsPackage "Polyhedra";']
    for k, (names, _, text) in enumerate(cases):
        program += [f"R{k} = QQ[{','.join(names)}]; F = normalFan newtonPolytope({text});",
                    f'print("case {k}"); print toString rays F; print toString linealitySpace F;',
                    "print toString cones(dim F - 1, F);"]
    got = subprocess.run(["M2", "--script", "/dev/stdin"], input="\n".join(program) + "\n", capture_output=True,
                         text=True)
    blocks = got.stdout.split("case ")[1:]
    passed = failed = 0
    for k, (names, exps, text) in enumerate(cases):
        if k >= len(blocks):
            failed += 1
            continue
        rays_text, _, cones_text = blocks[k].split("\n")[1:4]
        n = len(names)
        lineality = null_space([[a - b for a, b in zip(e, exps[0])] for e in exps], n)
        rays = [project(v, lineality) for v in matrix_columns(rays_text)]
        theirs = {frozenset(rays[i] for i in map(int, re.findall(r"\d+", c))) for c in re.findall(r"\{([^{}]*)\}", cones_text)}
        out = subprocess.run([ns.initform, "--tropical", "--min"], input=f"Q[{','.join(names)}]{{{text}}}".encode(),
                             capture_output=True).stdout.decode().splitlines()
        ours_rays = [tuple(int(x) for x in re.findall(r"-?\d+", l)) for l in out if l.startswith("ray ")]
        vertices = sum(l.startswith("vertex ") for l in out)
        ours = {frozenset(ours_rays[i - 1 - vertices] for i in map(int, l.split()[1:-2]) if i > vertices)
                for l in out if l.startswith("cell ")}
        if ours == theirs:
            passed += 1
        else:
            failed += 1
            print(f"differ on {text}: ours {sorted(map(sorted, ours))}, Macaulay2's {sorted(map(sorted, theirs))}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
