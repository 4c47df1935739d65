#!/usr/bin/env python3
"""Checks the Singular library (interfaces/singular/initform.lib): on the
real bases 100 random weight vectors each, answered in one
initialFormsMany call, against Singular's own jet recipe
f - jet(f, deg(f,w)-1, w); single calls, the cone, the walk, rational
weights, the restored short, the errors, and that no temporary file stays.
Skips itself (status 77, a skip to CTest) without Singular or the data.

usage: singular_interface_check.py INITFORM DATA_DIR
"""
import os
import random
import shutil
import subprocess
import sys

from skips import blank_tmpdir, left_behind, missing, skip
from systems import block_lines, random_xyz_list

BASES = [("katsura3-monic-singular.txt", "dp"), ("katsura5-lex-q.txt", "lp"), ("cyclic6-dp-q.txt", "dp")]
LIBRARY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "interfaces", "singular", "initform.lib")


def singular(script, env):
    return subprocess.run(["Singular", "-q", "--no-rc"], input=script + "\nquit;\n", capture_output=True, text=True,
                          env=env)


def tropical_script(binary, r):
    """Singular statements that print "tropical" and 1 for each tropical
    call whose list holds the numbers of the binary's block: the README's
    examples and random lists in 3 variables."""
    def conditions(name, lines):
        """The conditions that the list `name` holds the block `lines`."""
        if lines == ["empty"]:
            return [f"{name}[1] == -1", f"size({name}[5]) == 0"]
        vertices = [l[8:-1].split(",") for l in lines if l.startswith("vertex ")]
        rays = [l[5:-1].split(",") for l in lines if l.startswith("ray ")]
        cells = [l.split()[1:] for l in lines if l.startswith("cell ")]
        got = [f"{name}[1] == {lines[0].split()[1]}", f"size({name}[3]) == {len(vertices)}",
               f"size({name}[5]) == {len(cells)}"]
        for i, v in enumerate(vertices, 1):
            got += [f"{name}[3][{i}][{j}] == number({x.split('/')[0]})" +
                    (f"/{x.split('/')[1]}" if "/" in x else "") for j, x in enumerate(v, 1)]
        for i, v in enumerate(rays, 1):
            got += [f"{name}[4][{i}, {j}] == {x}" for j, x in enumerate(v, 1)]
        for i, c in enumerate(cells, 1):
            ids = c[:c.index("multiplicity")] if "multiplicity" in c else c
            got.append(f"{name}[5][{i}] == intvec({','.join(ids)})")
            got.append(f"{name}[6][{i}] == {c[-1] if 'multiplicity' in c else 0}")
        return got

    script = []

    def case(ring, call, args, document, per_polynomial):
        lines = block_lines(binary, args, document)
        script.append(f"{ring} list T = {call};")
        if per_polynomial:
            starts = [k for k, l in enumerate(lines) if l.startswith("polynomial ")] + [len(lines)]
            conds = sum((conditions(f"T[{k + 1}]", lines[a + 1:b]) for k, (a, b) in enumerate(zip(starts, starts[1:]))),
                        [f"size(T) == {len(starts) - 1}"])
        else:
            conds = conditions("T", lines)
        script.append("int ok = 1; " + " ".join(f"if (!({c})) {{ ok = 0; }}" for c in conds) + ' "tropical"; ok;')
        script.append("kill T, ok;")

    case("ring tl = 0, (x,y), dp;", "list(initformHypersurface(x+y+1))", ["--tropical", "--max"], "Q[x,y]{x+y+1}", True)
    case("ring tc = 0, (x,y), dp;", 'list(initformHypersurface(x2+y2+2x+2y+4, "min", 2))',
         ["--tropical", "--min", "--valuation", "2"], "Q[x,y]{x^2+y^2+2*x+2*y+4}", True)
    case("ring t4 = 0, (x1,x2,x3,x4), dp;",
         "initformPrevariety(ideal(x1+x2+x3+x4, x1*x2+x2*x3+x3*x4+x4*x1, x1*x2*x3+x2*x3*x4+x3*x4*x1+x4*x1*x2, "
         "x1*x2*x3*x4-1))",
         ["--prevariety", "--max"], "Q[a,b,c,d]{a+b+c+d,a*b+b*c+c*d+d*a,a*b*c+b*c*d+c*d*a+d*a*b,a*b*c*d-1}", False)
    for trial in range(8):
        polys = random_xyz_list(r)
        rule, prime = r.choice(["max", "min"]), r.choice(["", "2", "3"])
        args = ["--" + rule] + (["--valuation", prime] if prime else [])
        extra = f', "{rule}"' + (f", {prime}" if prime else "")
        ring = f"ring tr{trial} = 0, (x,y,z), dp;"
        ideal = "ideal(" + ",".join(polys) + ")"
        document = "Q[x,y,z]{" + ",".join(polys) + "}"
        case(ring, f"initformHypersurfaces({ideal}{extra})", ["--tropical"] + args, document, True)
        case(ring, f"initformPrevariety({ideal}{extra})", ["--prevariety"] + args, document, False)
    return script, 3 + 16


def main():
    binary, data = sys.argv[1], sys.argv[2]
    why = missing(["Singular"], data)
    if why:
        return skip(why)
    # Temporary files in a folder whose name has a blank, beside which a
    # file its first word names must survive; nothing may be left in either.
    scratch, tmpdir = blank_tmpdir()
    marker = os.path.join(scratch, "ran")
    env = dict(os.environ, INITFORM=os.path.abspath(binary), TMPDIR=tmpdir)
    r = random.Random(29)
    script = [f'LIB "{os.path.abspath(LIBRARY)}";', "int agree; int k; int j;"]
    for name, order in BASES:
        text = open(os.path.join(data, name)).read().replace("\n", "")
        head, body = text.split("]{", 1)
        names, polys = head[2:], body.split("}", 1)[0]
        vectors = [[r.randint(-9, 9) for _ in names.split(",")] for _ in range(100)]
        script += [f"ring r_{order}{len(script)} = 0, ({names}), {order};", f"ideal I = {polys};", "poly p;",
                   "list ws;"]
        script += [f"ws[{k + 1}] = intvec({','.join(map(str, v))});" for k, v in enumerate(vectors)]
        script += ["list L = initialFormsMany(I, ws);",
                   "for (k = 1; k <= size(ws); k++) { int same = 1; for (j = 1; j <= ncols(I); j++) { p = I[j]; "
                   "if (L[k][j] != p - jet(p, deg(p, ws[k]) - 1, ws[k])) { same = 0; } } agree = agree + same; "
                   "kill same; }",
                   "kill L, ws, I, p;"]
    script += ['"agree"; agree;',
               "ring s = 0, (x,y), dp; short = 1; ideal J = x2+y2+2x+2y, x2+y-x2; intvec m = -1,-1;",
               'ideal F = initialForms(J, m, "min"); F[1] == x2+y2 and F[2] == y;',
               'F = initialForms(J, "(1/2,-1/3)", "min"); F[1] == y2;',
               'F = initialForms(J, m, "min", 2); F[1] == x2+y2;',
               'F = initialForms(J, m, "classic"); F[1] == 0;',
               '"short"; short;',
               "ring t = 0, (x,y,z), dp; ideal G = y2-xz, xy-z, x2-y; list C = groebnerCone(G);",
               "bigintmat L[1][3] = 1,2,3; bigintmat Fa[2][3] = -1,2,-1,2,-1,0;",
               "C[1] == 3 and nrows(C[2]) == 0 and C[3] == L and C[4] == Fa;",
               "ideal K = y2-x, z3-x; intvec a = 1,1,10; intvec b = 10,1,1; bigintmat S[1][3] = 2,1,9;",
               "nextWeight(K, a, b) == S;",
               # Vectors of any size, and a fraction target reached as written.
               'bigintmat B[1][3] = 2222222222,1111111111,11111111109;',
               'nextWeight(K, "(1,1,10)", "(10000000000,1,1)") == B;',
               'nextWeight(K, "(1,1,10)", "(1/2,1,20)") == "(1/2,1,20)";',
               "ring c40 = 0, (x(1..40)), lp; ideal Ch; for (k = 1; k < 40; k++) { Ch[k] = x(k)-x(k+1)^2; }",
               "list CC = groebnerCone(Ch); CC[1] == 40 and ncols(CC[5]) == 40;"]
    tropical, calls = tropical_script(binary, r)
    script += tropical
    run = singular("\n".join(script), env)
    out = run.stdout.split()
    checks = {"agree": out[out.index("agree") + 1] == "300" if "agree" in out else False,
              "single calls, cone and walk": out.count("1") >= 6 and "0" not in out[out.index("agree") + 2:],
              "short restored": "short" in out and out[out.index("short") + 1] == "1",
              "tropical calls hold the blocks": [out[k + 1] for k, w in enumerate(out) if w == "tropical"] == ["1"] * calls}
    # Errors stop the call with initform's message.
    for call, message in [('initialForms(J, intvec(1,2,3));', "Dimension of standard input"),
                          ('nextWeight(G, intvec(1,2,3), intvec(1,1));', "Dimension of standard input"),
                          ('nextWeight(G, intvec(10,1), intvec(1,1));', "is outside the cone"),
                          ('initialFormsMany(J, list(intvec(1,1), intvec(1,2,3)));', "Dimension of standard input"),
                          ('initialForms(J, intvec(1,1), "largest");', "the rule must be"),
                          # Hostile weights, primes and rules: refused before anything runs.
                          (f'initialForms(J, "(1,1)\'; touch {marker}; echo \'");', "weights must be written"),
                          ('initialForms(J, "(1," + newline + "1)");', "weights must be written"),
                          (f'initialForms(J, intvec(1,1), "max", "2; touch {marker}");', "must be a prime"),
                          ('initialFormsMany(J, list(intvec(1,1)), "bogus");', "the rule must be"),
                          ('groebnerCone(G, "minimum");', "the rule must be"),
                          ('nextWeight(G, intvec(2,1), intvec(1,1), "minimum");', "the rule must be"),
                          ('initformPrevariety(J, "largest");', "the rule must be"),
                          ('initformHypersurfaces(J, "classic");', "the rule must be"),
                          ('initformHypersurface(x+2, "min", 4);', "Valuation '4' is not a prime"),
                          (f'initformPrevariety(J, "min", "2; touch {marker}");', "must be a prime")]:
        ring = "ring s = 0, (x,y), dp; ideal J = x+y; ideal G = x-y2;"
        got = singular(f'LIB "{os.path.abspath(LIBRARY)}"; {ring} {call}', env)
        checks[message] = message in got.stdout + got.stderr
    checks["nothing ran"] = not os.path.exists(marker)
    checks["no temporary file stays"] = not left_behind(scratch, tmpdir)
    shutil.rmtree(scratch, ignore_errors=True)
    failed = [name for name, ok in checks.items() if not ok]
    for name in failed:
        print("failed:", name)
    if failed:
        print(run.stdout[-2000:], run.stderr[-2000:])
    print(f"{len(checks) - len(failed)} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
