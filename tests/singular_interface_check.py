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

BASES = [("katsura3-monic-singular.txt", "dp"), ("katsura5-lex-q.txt", "lp"), ("cyclic6-dp-q.txt", "dp")]
LIBRARY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "interfaces", "singular", "initform.lib")


def singular(script, env):
    return subprocess.run(["Singular", "-q", "--no-rc"], input=script + "\nquit;\n", capture_output=True, text=True,
                          env=env)


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
    run = singular("\n".join(script), env)
    out = run.stdout.split()
    checks = {"agree": out[out.index("agree") + 1] == "300" if "agree" in out else False,
              "single calls, cone and walk": out.count("1") >= 6 and "0" not in out[out.index("agree") + 2:],
              "short restored": "short" in out and out[out.index("short") + 1] == "1"}
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
                          ('nextWeight(G, intvec(2,1), intvec(1,1), "minimum");', "the rule must be")]:
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
