#!/usr/bin/env python3
"""Cross-checks --cone with Macaulay2 on Gröbner bases: Macaulay2 computes
the reduced Gröbner bases of random ideals under random weight orders, and
of the real bases in the shared data, prints each as a document (leading
term first), and computes its cone from the bounding vectors with Polyhedra
(coneFromHData). initform's dimension, equations, lineality space and
facets must be Macaulay2's, and its interior point must lie in the
relative interior. Skips itself (status 77, a skip to CTest) when Macaulay2
or the data is missing.

usage: macaulay2_cone_check.py INITFORM DATA_DIR [--ideals 60]
"""
import argparse
from fractions import Fraction
import math
import os
import random
import subprocess
import sys

from skips import missing, skip

# The real bases of the shared data, and the order they are bases in.
REAL = [("cyclic6-dp-q.txt", "GRevLex"), ("katsura5-lex-q.txt", "Lex"), ("katsura3-monic-singular.txt", "GRevLex")]


def marked_sets(r, count):
    """Random marked bases, not Gröbner bases: (document, bounding vectors).
    Small exponents, so that bounding vectors often oppose each other and
    the cone has equations."""
    sets = []
    for _ in range(count):
        names = ["a", "b", "c", "d"][:r.randint(2, 4)]
        polys, bounding = [], []
        for _ in range(r.randint(1, 4)):
            monos = list({tuple(r.randint(0, 2) for _ in names) for _ in range(r.randint(2, 4))})
            if len(monos) < 2:
                continue
            polys.append("+".join(f"{r.randint(1, 7)}*" + "*".join(f"{v}^{e}" for v, e in zip(names, m)) for m in monos))
            bounding += [[x - y for x, y in zip(monos[0], m)] for m in monos[1:]]
        if polys:
            sets.append(("Q[" + ",".join(names) + "]{" + ",".join(polys) + "}", bounding))
    return sets


def m2_program(cases, data, sets):
    lines = ['needsPackage "Polyhedra";',
             'showCone = (doc, G) -> showBounding(doc,',
             '  flatten apply(G, g -> (e := exponents g; apply(drop(e, 1), b -> (first e) - b))));',
             'showBounding = (doc, bv) -> (',
             '  C := coneFromHData matrix bv;',
             '  print("case " | doc);',
             '  print("dim " | toString dim C);',
             '  scan(entries hyperplanes C, v -> print("equation " | toString v));',
             '  scan(entries transpose linSpace C, v -> print("lineality " | toString v));',
             '  scan(entries facets C, v -> print("facet " | toString v)));',
             'docOf = (R, G) -> "Q[" | demark(",", toString \\ gens R) | "]{" | demark(",", toString \\ G) | "}";']
    for name, order in REAL:
        text = open(os.path.join(data, name)).read().replace("\n", "")
        head, body = text.split("]{", 1)
        names = head[2:]
        polys = body.split("}", 1)[0]
        lines.append(f'R = QQ[{names}, MonomialOrder => {order}]; '
                     f'G = apply({{{polys}}}, f -> sub(f, R)); showCone("{name}", G);')
    for doc, bounding in sets:
        rows = ",".join("{" + ",".join(map(str, v)) + "}" for v in bounding)
        lines.append(f'showBounding("{doc}", {{{rows}}});')
    for names, weights, gens in cases:
        lines.append(f'R = QQ[{",".join(names)}, MonomialOrder => {{Weights => {{{",".join(map(str, weights))}}}}}]; '
                     f'G = flatten entries gens gb ideal({",".join(gens)}); '
                     f'if #G < 40 and all(G, g -> #terms g > 1) then showCone(docOf(R, G), G);')
    return "\n".join(lines) + "\n"


def random_cases(r, count):
    cases = []
    for _ in range(count):
        names = ["x", "y", "z", "t"][:r.randint(2, 4)]
        gens = []
        for _ in range(r.randint(1, 3)):
            terms = []
            for _ in range(r.randint(2, 4)):
                mono = "*".join(f"{v}^{r.randint(0, 3)}" for v in names)
                terms.append(f"({r.randint(-5, 5) or 1})*{mono}")
            gens.append("+".join(terms))
        cases.append((names, [r.randint(1, 9) for _ in names], gens))
    return cases


def parse_m2(out):
    """{document or file name: {"dim": int, "equation": [...], ...}}."""
    cases, current = {}, None
    for line in out.splitlines():
        kind, _, rest = line.partition(" ")
        if kind == "case":
            current = cases.setdefault(rest, {"dim": None, "equation": [], "lineality": [], "facet": []})
        elif kind == "dim":
            current["dim"] = int(rest)
        elif kind in ("equation", "lineality", "facet"):
            current[kind].append([Fraction(x) for x in rest.strip("{}").split(",")])
    return cases


def parse_initform(out):
    cone = {"dim": None, "equation": [], "lineality": [], "facet": [], "interior": []}
    for line in out.splitlines():
        kind, _, rest = line.partition(" ")
        if kind == "dimension":
            cone["dim"] = int(rest)
        else:
            cone[kind].append([Fraction(x) for x in rest.strip("()").split(",")])
    return cone


def rref(rows):
    rows = [list(r) for r in rows]
    n = len(rows[0]) if rows else 0
    rank = 0
    for col in range(n):
        pivot = next((i for i in range(rank, len(rows)) if rows[i][col] != 0), None)
        if pivot is None:
            continue
        rows[rank], rows[pivot] = rows[pivot], rows[rank]
        lead = rows[rank][col]
        rows[rank] = [x / lead for x in rows[rank]]
        for i in range(len(rows)):
            if i != rank and rows[i][col] != 0:
                f = rows[i][col]
                rows[i] = [a - f * b for a, b in zip(rows[i], rows[rank])]
        rank += 1
    return [tuple(r) for r in rows[:rank]]


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


def orthogonal(rows):
    """An orthogonal basis of the span of the rows (Gram-Schmidt)."""
    basis = []
    for r in rref(rows):
        v = list(r)
        for b in basis:
            v = [x - dot(v, b) / dot(b, b) * y for x, y in zip(v, b)]
        basis.append(v)
    return basis


def normal(v, equations):
    """A facet normal made unique: projected off the equations, scaled so
    that its entries are coprime integers."""
    for e in orthogonal(equations):
        v = [a - dot(v, e) / dot(e, e) * b for a, b in zip(v, e)]
    den = 1
    for x in v:
        den = den * x.denominator // math.gcd(den, x.denominator)
    ints = [int(x * den) for x in v]
    g = 0
    for x in ints:
        g = math.gcd(g, x)
    return tuple(x // g for x in ints) if g else tuple(ints)


def compare(name, want, got):
    """What differs, or None."""
    if want["dim"] != got["dim"]:
        return f"dimension {got['dim']}, Macaulay2 {want['dim']}"
    for kind in ("equation", "lineality"):
        if rref(want[kind]) != rref(got[kind]):
            return f"{kind} {got[kind]}, Macaulay2 {want[kind]}"
    eq = got["equation"]
    ours = sorted(normal(f, eq) for f in got["facet"])
    theirs = sorted(set(normal(f, eq) for f in want["facet"]))
    if ours != theirs:
        return f"facets {ours}, Macaulay2 {theirs}"
    point = got["interior"][0]
    if any(dot(f, point) <= 0 for f in got["facet"]) or any(dot(e, point) != 0 for e in eq):
        return f"interior point {point} not in the relative interior"
    return None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("initform")
    ap.add_argument("data")
    ap.add_argument("--ideals", type=int, default=60)
    ns = ap.parse_args()
    why = missing(["M2"], ns.data)
    if why:
        return skip(why)
    r = random.Random(11)
    program = m2_program(random_cases(r, ns.ideals), ns.data, marked_sets(r, ns.ideals))
    run = subprocess.run(["M2", "--script", "/dev/stdin"], input=program, capture_output=True, text=True)
    if run.returncode != 0:
        print("Macaulay2 failed:", run.stderr[-2000:])
        return 1
    cases = parse_m2(run.stdout)
    passed = failed = 0
    for name, want in cases.items():
        path = os.path.join(ns.data, name)
        doc = open(path, "rb").read() if os.path.exists(path) else name.encode()
        got = subprocess.run([ns.initform, "--cone", "--lenient"], input=doc, capture_output=True)
        wrong = compare(name, want, parse_initform(got.stdout.decode())) if got.returncode == 0 else got.stdout
        if wrong:
            failed += 1
            if failed <= 5:
                print(f"{name[:200]}: {wrong}")
        else:
            passed += 1
    print(f"{passed} cones agree with Macaulay2 ({len(REAL)} real bases, the rest of random ideals and marked sets)")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or passed < len(REAL) else 0


if __name__ == "__main__":
    sys.exit(main())
