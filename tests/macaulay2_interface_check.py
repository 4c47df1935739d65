#!/usr/bin/env python3
"""Checks the Macaulay2 package (interfaces/macaulay2/Initform.m2): its own
TEST sections through check "Initform", and on the real bases 100 random
weight vectors each, answered in one initialForms(L, W) call, against
Macaulay2's own initial forms: leadTerm(1, f) in a ring ordered by
Weights => w. Skips itself (status 77, a skip to CTest) without Macaulay2 or the data.

usage: macaulay2_interface_check.py INITFORM DATA_DIR
"""
import os
import random
import shutil
import subprocess
import sys

from skips import blank_tmpdir, left_behind, missing, skip

BASES = ["katsura3-monic-singular.txt", "katsura5-lex-q.txt", "cyclic6-dp-q.txt"]
PACKAGE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "interfaces", "macaulay2", "Initform.m2")


def main():
    binary, data = sys.argv[1], sys.argv[2]
    why = missing(["M2"], data)
    if why:
        return skip(why)
    # Temporary files in a folder whose name has a blank: every call must
    # still work, and leave nothing behind there.
    scratch, tmpdir = blank_tmpdir()
    env = dict(os.environ, INITFORM=os.path.abspath(binary), TMPDIR=tmpdir)
    load = f'needsPackage("Initform", FileName => "{os.path.abspath(PACKAGE)}");'
    # The package's own TEST sections (Macaulay2's check cannot itself run
    # in a folder whose name has a blank).
    checked = subprocess.run(["M2", "--script", "/dev/stdin"], input=load + '\ncheck "Initform";\n',
                             capture_output=True, text=True, env=dict(os.environ, INITFORM=os.path.abspath(binary)))
    if checked.returncode != 0:
        print(checked.stdout[-2000:], checked.stderr[-2000:])
    program = [load, 'agree = 0;']
    r = random.Random(29)
    for name in BASES:
        text = open(os.path.join(data, name)).read().replace("\n", "")
        head, body = text.split("]{", 1)
        names, polys = head[2:], body.split("}", 1)[0]
        vectors = [[r.randint(-9, 9) for _ in names.split(",")] for _ in range(100)]
        W = "{" + ",".join("{" + ",".join(map(str, v)) + "}" for v in vectors) + "}"
        program += [f'R = QQ[{names}]; L = {{{polys}}}; W = {W};',
                    'ours = initialForms(L, W);',
                    'theirs = apply(W, w -> (S := QQ[gens R, MonomialOrder => {Weights => w}, Global => false]; '
                    'apply(L, f -> sub(leadTerm(1, sub(f, S)), R))));',
                    'scan(#W, k -> if ours#k == theirs#k then agree = agree + 1 '
                    f'else print("differ: {name} " | toString W#k));']
    program.append('print("agree " | toString agree);')
    run = subprocess.run(["M2", "--script", "/dev/stdin"], input="\n".join(program) + "\n", capture_output=True,
                         text=True, env=env)
    agreed = [int(line.split()[1]) for line in run.stdout.splitlines() if line.startswith("agree ")]
    left = left_behind(scratch, tmpdir)
    shutil.rmtree(scratch, ignore_errors=True)
    if left:
        print("left behind:", left)
    ok = checked.returncode == 0 and run.returncode == 0 and agreed == [300] and not left
    if not ok:
        print(run.stdout[-2000:], run.stderr[-2000:])
    print(f"check \"Initform\" and {agreed[0] if agreed else 0} of 300 answers agree with leadTerm")
    print(f"{1 if ok else 0} passed, {0 if ok else 1} failed")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
