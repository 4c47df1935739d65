#!/usr/bin/env python3
"""Checks the many-vector mode from outside: the Python interface's Session
as a coprocess (a vector sent only once the previous answer has arrived), and
the GNU parallel recipe of the README (skipped without parallel). Both must
print what separate runs print.

usage: many_vectors_check.py INITFORM EXAMPLES_DIR
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile


def single(initform, basis, weights, switches):
    with open(basis, "rb") as doc:
        return subprocess.run([initform, weights, *switches], stdin=doc, capture_output=True).stdout


def main():
    initform, examples = sys.argv[1], sys.argv[2]
    os.environ["INITFORM"] = initform
    sys.path.insert(0, os.path.join(examples, "..", "interfaces", "python"))
    import initform as interface
    basis = os.path.join(examples, "cyclic6-dp-q.txt")
    r = random.Random(5)
    vectors = [tuple(r.randint(-9, 9) for _ in range(6)) for _ in range(20)]
    failures = 0
    polys, names = interface.read_document(open(basis).read())
    forms = interface.Session(polys, names, rule="min")
    for w in vectors:
        got = forms.initial_forms(w)
        want = single(initform, basis, "(" + ",".join(map(str, w)) + ")", ["--exact", "--min"])
        if ",\n".join(got) + "\n" != want.decode():
            failures += 1
            print(f"coprocess: {w}: got {got[:2]}, want {want[:200]!r}")
    if forms.close() != 0:
        failures += 1
    checks = len(vectors) + 1
    if shutil.which("parallel"):
        lines = "".join("(" + ",".join(map(str, w)) + ")\n" for w in vectors * 5)
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
            f.write(lines)
        one = subprocess.run(f"'{initform}' --weights '{f.name}' --exact < '{basis}'", shell=True,
                             capture_output=True).stdout
        split = subprocess.run(f"parallel --pipe -N 7 -k \"'{initform}' --weights /dev/fd/3 --exact 3<&0 < '{basis}'\""
                               f" < '{f.name}'", shell=True, capture_output=True).stdout
        os.unlink(f.name)
        checks += 1
        if one != split or not one:
            failures += 1
            print(f"parallel: {len(split)} bytes, one run {len(one)} bytes")
    else:
        print("parallel is not installed: the recipe is not checked")
    print(f"{checks - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
