#!/usr/bin/env python3
"""Checks the Python interface (interfaces/python) against SymPy's own
initial forms on the real bases: 100 random weight vectors each, through
initial_forms with SymPy objects and through a Session with strings; then
the cone, the walk, the valuation, the errors, and an offline install.
The SymPy part skips itself where SymPy is not importable.

usage: python_interface_check.py INITFORM DATA_DIR
"""
import fractions
import os
import random
import shutil
import subprocess
import sys
import tempfile

from systems import block_lines, random_xyz_list

BASES = ["katsura3-monic-singular.txt", "katsura5-lex-q.txt", "cyclic6-dp-q.txt"]


def sympy_initial(poly, gens, w):
    """SymPy's own textbook initial form: the terms of largest weighted degree."""
    import sympy
    terms = sympy.Poly(poly, *gens).terms()
    top = max(sum(a * b for a, b in zip(e, w)) for e, _ in terms)
    return sum((c * sympy.prod(g ** a for g, a in zip(gens, e)) for e, c in terms
                if sum(a * b for a, b in zip(e, w)) == top), sympy.Integer(0))


def _refuse():
    raise ValueError("no SymPy: nothing to mix")


def check_hostile(initform, check, sympy):
    """Hostile names, weights, primes and rules: each is refused or answered
    as data, nothing the caller passes runs, and no process is left behind."""
    scratch = tempfile.mkdtemp()
    marker = os.path.join(scratch, "ran")
    if sympy is not None:
        x, y = sympy.symbols("x y")
        evil = sympy.Symbol(f"__import__('os').mkdir({marker!r})")
        check("a hostile name is data", initform.initial_forms([evil ** 2 + y], [1, 1], gens=[evil, y]) == [evil ** 2])
        v0 = sympy.Symbol("v0")
        check("names cannot collide", initform.initial_forms([x ** 3 + v0 ** 2], [1, 1], gens=[x, v0]) == [x ** 3])
    refused = [("a weight with a line end", lambda: initform.initial_forms(["x+y"], ["1\n", 1])),
               ("a weight that is code", lambda: initform.initial_forms(["x+y"], [f"1;open({marker!r},'w')", 1])),
               ("a weight that is a bool", lambda: initform.initial_forms(["x+y"], [True, 1])),
               ("a prime that is code", lambda: initform.initial_forms(["x"], [1], valuation=f"2; touch {marker}")),
               ("a rule typo in the cone", lambda: initform.groebner_cone(["x-y"], rule="minimum")),
               ("a text beside SymPy objects", lambda: initform.initial_forms(
                   [f"__import__('os').mkdir({marker!r})", sympy.Symbol("x")], [1]) if sympy else _refuse()),
               ("a rule typo in the walk", lambda: initform.next_weight(["x-y"], [1, 0], [0, 1], rule="minimum")),
               ("a session's weight with a line end", lambda: initform.Session(["x"], ["x"]).initial_forms(["1\n2"]))]
    for name, call in refused:
        try:
            call()
            check(name, False)
        except ValueError:
            check(name, True)
    check("nothing ran", not os.path.exists(marker))
    # A killed child: InputError, and the child reaped.
    session = initform.Session(["x^2+y"], ["x", "y"])
    session._proc.kill()
    try:
        session.initial_forms([1, 1])
        check("a killed child", False)
    except initform.InputError:
        check("a killed child", session._proc.returncode is not None)
    # A dropped session ends its process.
    session = initform.Session(["x^2+y"], ["x", "y"])
    check("a session answers", session.initial_forms([1, 1]) == ["x^2"])
    proc = session._proc
    del session
    import gc
    gc.collect()
    check("a dropped session ends its process", proc.returncode is not None)
    check("the walk reaches a fraction target as given",
          initform.next_weight(["x-y^2", "z^3-y^2"], [2, 1, 9], [20, "1/2", 2], "xyz") == [20, fractions.Fraction(1, 2), 2])
    shutil.rmtree(scratch, ignore_errors=True)


def as_block(t):
    """A TropicalSet written back as the lines of its block."""
    if t.empty:
        return ["empty"]
    vec = lambda v: "(" + ",".join(str(x) for x in v) + ")"
    lines = [f"dimension {t.dimension}"] + [f"lineality {vec(v)}" for v in t.lineality]
    lines += [f"vertex {vec(v)}" for v in t.vertices] + [f"ray {vec(v)}" for v in t.rays]
    for cell, m in zip(t.cells, t.multiplicities):
        lines.append("cell " + " ".join(str(k + 1) for k in cell) + ("" if m is None else f" multiplicity {m}"))
    return lines


def check_tropical(initform, binary, check, sympy):
    """The tropical calls: the README's three examples as objects, random
    lists in 3 variables as the binary's blocks, and hostile rows."""
    line = initform.tropical_hypersurfaces(["x+y+1"])[0]
    check("a tropical line", (line.vertices, line.rays, line.cells, line.multiplicities) ==
          (((0, 0),), ((-1, 0), (0, -1), (1, 1)), ((0, 1), (0, 2), (0, 3)), (1, 1, 1)))
    conic = initform.tropical_hypersurfaces(["x^2+y^2+2*x+2*y+4"], valuation=2, rule="min")[0]
    check("a conic at P = 2", (conic.vertices, conic.multiplicities) == (((1, 1),), (2, 2, 2)))
    cyclic4 = initform.prevariety(["a+b+c+d", "a*b+b*c+c*d+d*a", "a*b*c+b*c*d+c*d*a+d*a*b", "a*b*c*d-1"])
    check("cyclic 4's prevariety", (cyclic4.dimension, cyclic4.rays, cyclic4.cells) ==
          (1, ((-1, 1, -1, 1), (1, -1, 1, -1)), ((0, 1), (0, 2))))
    check("a monomial's hypersurface is empty", initform.tropical_hypersurfaces(["x*y"])[0].empty)
    check("a plane set draws itself", "<svg" in line._repr_svg_() and cyclic4._repr_svg_() is None)
    r = random.Random(42)
    for trial in range(12):
        polys = random_xyz_list(r)
        rule, valuation = r.choice(["max", "min"]), r.choice([None, 2, 3])
        args = ["--" + rule] + ([] if valuation is None else ["--valuation", str(valuation)])
        document = "Q[x,y,z]{" + ",".join(polys) + "}"
        lines = block_lines(binary, ["--tropical"] + args, document)
        sets = initform.tropical_hypersurfaces(polys, "xyz", rule=rule, valuation=valuation)
        check(f"hypersurfaces of {polys}", sum((["polynomial " + str(k + 1)] + as_block(t) for k, t in enumerate(sets)),
                                               []) == lines)
        both = initform.prevariety(polys, "xyz", rule=rule, valuation=valuation)
        check(f"prevariety of {polys}", as_block(both) == block_lines(binary, ["--prevariety"] + args, document))
    if sympy is not None:
        # SymPy polynomials over symbols out of alphabetical order come back in the caller's coordinates.
        b, a = sympy.symbols("b a")
        t = initform.tropical_hypersurfaces([a + b ** 2 + 1], gens=[b, a])[0]
        check("SymPy's coordinates", t.rays == ((-1, 0), (0, -1), (1, 2)) and t.multiplicities == (1, 2, 1))
        keyword = sympy.Symbol("lambda")
        check("a variable named like a keyword",
              initform.prevariety([keyword + 1, keyword + b], gens=[keyword, b]).vertices == ((0, 0),))
    for name, call in [("a tropical rule typo", lambda: initform.prevariety(["x+y"], rule="largest")),
                       ("the classic rule in a tropical call", lambda: initform.tropical_hypersurfaces(["x+y"], rule="classic")),
                       ("a valuation that is not prime", lambda: initform.tropical_hypersurfaces(["x+2"], valuation=4)),
                       ("a valuation that is code", lambda: initform.prevariety(["x+2"], valuation="2; rm -rf /")),
                       ("a text that would run code", lambda: initform.prevariety(["__import__('os').system('x')"]))]:
        try:
            call()
            check(name, False)
        except ValueError:
            check(name, True)


def main():
    binary, data = sys.argv[1], sys.argv[2]
    os.environ["INITFORM"] = binary
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "interfaces", "python"))
    import initform
    r = random.Random(29)
    passed = failed = 0

    def check(what, ok):
        nonlocal passed, failed
        if ok:
            passed += 1
        else:
            failed += 1
            print("failed:", what)

    try:
        import sympy
    except ImportError:
        sympy = None
        print("SymPy is not importable: the SymPy round trips are skipped")
    if not os.path.isdir(data):
        print(f"the data folder {data} is absent: the round trips on the real bases are skipped")
    for name in BASES:
        path = os.path.join(data, name)
        if not os.path.exists(path):
            continue
        polys, names = initform.read_document(open(path).read())
        vectors = [[r.randint(-9, 9) for _ in names] for _ in range(100)]
        with initform.Session(polys, names) as session:
            strings = [session.initial_forms(w) for w in vectors]
        check(f"{name}: a session answers as single runs",
              all(strings[k] == initform.initial_forms(polys, vectors[k], names) for k in range(0, 100, 25)))
        if sympy is None:
            continue
        gens = sympy.symbols(names)
        exprs = [sympy.sympify(p.replace("^", "**"), locals=dict(zip(names, gens))) for p in polys]
        for w, forms in zip(vectors, strings):
            got = initform.initial_forms(exprs, w, gens) if w is vectors[0] else \
                [sympy.sympify(f.replace("^", "**"), locals=dict(zip(names, gens))) for f in forms]
            want = [sympy_initial(e, gens, w) for e in exprs]
            check(f"{name} {w}", all(sympy.expand(a - b) == 0 for a, b in zip(got, want)))
    # The cone and the walk, as the tool's own tests state them.
    cone = initform.groebner_cone(["y^2-x*z", "x*y-z", "x^2-y"], "xyz")
    check("cone", (cone.dimension, cone.lineality, cone.facets) == (3, [[1, 2, 3]], [[-1, 2, -1], [2, -1, 0]]))
    check("walk", initform.next_weight(["y^2-x", "z^3-x"], [1, 1, 10], [10, 1, 1], "xyz") == [2, 1, 9])
    check("fraction weights", initform.initial_forms(["x^2+y^3+x*y"], ["1/2", "1/3"], rule="min") == ["x*y"])
    check("valuation", initform.initial_forms(["x^2+y^2+2*x+2*y"], [-1, -1], valuation=2, rule="min") == ["y^2+x^2"])
    if sympy is not None:
        x, y = sympy.symbols("x y")
        G = sympy.groebner([x**2 - y, x * y - 1], x, y, order="grevlex")
        check("cone of a SymPy Gröbner basis", initform.groebner_cone(G).dimension == 2)
    # Errors: initform's message, as InputError (a ValueError).
    for polys, w, message in [(["x+q"], [1], "Unknown variable 'q'"), (["x"], [1, 2], "Dimension of standard input"),
                              (["x"], ["1/0"], "Zero denominator")]:
        try:
            initform.initial_forms(polys, w, ["x"])
            check(f"error {message}", False)
        except initform.InputError as e:
            check(f"error {message}", message in str(e) and isinstance(e, ValueError))
    try:
        initform.initial_forms(["x"], [1], rule="largest")
        check("bad rule", False)
    except ValueError as e:
        check("bad rule", "rule" in str(e))
    try:
        with initform.Session(["x", "y"], ["x", "y"]) as session:
            session.initial_forms([1])
        check("session error", False)
    except initform.InputError as e:
        check("session error", "Dimension" in str(e))
    check_hostile(initform, check, sympy)
    check_tropical(initform, binary, check, sympy)
    # An offline install, without build isolation.
    import importlib.util
    if not importlib.util.find_spec("pip") or not importlib.util.find_spec("wheel"):
        print("pip or wheel is missing in this Python: the offline install is not checked")
    else:
        # Built from a copy: the build writes its own directories beside the
        # sources, which must not land in the checkout.
        with tempfile.TemporaryDirectory() as scratch:
            sources, wheels = os.path.join(scratch, "python"), os.path.join(scratch, "wheels")
            shutil.copytree(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "interfaces", "python"),
                            sources, ignore=shutil.ignore_patterns("build", "*.egg-info", "__pycache__"))
            built = subprocess.run([sys.executable, "-m", "pip", "wheel", "--no-build-isolation", "--no-deps", "-q",
                                    "-w", wheels, sources], capture_output=True)
            check("an offline wheel", built.returncode == 0 and os.path.isdir(wheels)
                  and any(f.endswith(".whl") for f in os.listdir(wheels)))
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
