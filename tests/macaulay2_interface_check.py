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
from systems import random_xyz_list

BASES = ["katsura3-monic-singular.txt", "katsura5-lex-q.txt", "cyclic6-dp-q.txt"]
PACKAGE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "interfaces", "macaulay2", "Initform.m2")


def m2_cells(binary, args, document):
    """What toString prints for the Cells and Multiplicities of the
    binary's blocks: one pair of lines a set ("null" for an empty one)."""
    out = subprocess.run([binary] + args, input=document.encode(), capture_output=True, check=True).stdout.decode()
    blocks, lines = [], []
    for line in out.splitlines() + ["polynomial"]:
        if line.startswith("polynomial"):
            if lines:
                blocks.append(lines)
            lines = []
        else:
            lines.append(line)
    m2 = lambda items: "{" + ", ".join(items) + "}"
    printed = []
    for block in blocks:
        if block == ["empty"]:
            printed += ["null"]
            continue
        vec = lambda l: m2(l[l.index("(") + 1:-1].split(","))
        vertices = [vec(l) for l in block if l.startswith("vertex ")]
        rays = [vec(l) for l in block if l.startswith("ray ")]
        cells, mults = [], []
        for l in block:
            if l.startswith("cell "):
                words = l.split()[1:]
                ids = [int(w) for w in (words[:words.index("multiplicity")] if "multiplicity" in words else words)]
                cells.append(m2([m2([vertices[i - 1] for i in ids if i <= len(vertices)]),
                                 m2([rays[i - 1 - len(vertices)] for i in ids if i > len(vertices)])]))
                mults.append(words[-1] if "multiplicity" in words else "")
        printed += [m2(cells), m2(mults)]
    return printed


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
    # Random lists in 3 variables: the cells and multiplicities are the binary's blocks.
    wanted = []
    program.append('R = QQ[x,y,z]; showSet = T -> if T === null then print "null" else '
                   '(print toString T#Cells; print toString T#Multiplicities);')
    for trial in range(6):
        polys = random_xyz_list(r)
        rule, prime = r.choice(["max", "min"]), r.choice([None, 2, 3])
        args = ["--" + rule] + ([] if prime is None else ["--valuation", str(prime)])
        options = f'Rule => "{rule}"' + ("" if prime is None else f", Valuation => {prime}")
        document = "Q[x,y,z]{" + ",".join(polys) + "}"
        program.append('print "sets";')
        program.append(f'scan(tropicalHypersurface({{{",".join(polys)}}}, {options}), showSet);')
        program.append(f'showSet tropicalPrevariety({{{",".join(polys)}}}, {options});')
        wanted += ["sets"] + m2_cells(binary, ["--tropical"] + args, document) + \
            m2_cells(binary, ["--prevariety"] + args, document)
    run = subprocess.run(["M2", "--script", "/dev/stdin"], input="\n".join(program) + "\n", capture_output=True,
                         text=True, env=env)
    agreed = [int(line.split()[1]) for line in run.stdout.splitlines() if line.startswith("agree ")]
    printed = run.stdout.splitlines()
    tropical = printed[printed.index("sets"):] if "sets" in printed else []
    if tropical != wanted:
        print("tropical sets differ:", [(a, b) for a, b in zip(tropical, wanted) if a != b][:3])
    left = left_behind(scratch, tmpdir)
    shutil.rmtree(scratch, ignore_errors=True)
    if left:
        print("left behind:", left)
    ok = checked.returncode == 0 and run.returncode == 0 and agreed == [300] and not left and tropical == wanted
    if not ok:
        print(run.stdout[-2000:], run.stderr[-2000:])
    print(f"check \"Initform\" and {agreed[0] if agreed else 0} of 300 answers agree with leadTerm")
    print(f"{1 if ok else 0} passed, {0 if ok else 1} failed")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
