#!/usr/bin/env python3
"""The prevariety is the same however its tree is walked: by 1, 2 or 4
threads, or in parts (--part K/N) merged again (--merge, from files and
from standard input), on random documents and on known systems; the
tree-space counts of the Grassmannians G(2,5), G(2,6) and G(2,7); and the
GNU parallel recipe of the README with four parts (skipped without
parallel).

usage: prevariety_walks_check.py INITFORM [--count 60]
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile

from systems import cyclic, grassmannian


def run(initform, args, doc):
    got = subprocess.run([initform] + args, input=doc.encode(), capture_output=True, timeout=300)
    return got.stdout.decode(), got.returncode


def random_document(rng):
    names = ["x", "y", "z", "w"][:rng.randint(2, 4)]
    polys = []
    for _ in range(rng.randint(1, 4)):
        terms = []
        for _ in range(rng.randint(2, 5)):
            c = rng.choice(["1", "-1", "2", "3", "4", "9"])
            mon = "*".join(f"{v}^{rng.randint(0, 3)}" for v in names if rng.random() < 0.6)
            terms.append(c + ("*" + mon if mon else ""))
        polys.append("+".join(terms).replace("+-", "-"))
    return "Q[" + ",".join(names) + "]{" + ",".join(polys) + "}"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("initform")
    ap.add_argument("--count", type=int, default=60)
    ns = ap.parse_args()
    rng = random.Random(7)
    failures = []
    documents = [(f"random {k}", random_document(rng), rng.choice([[], ["--min"], ["--valuation", "2"]]))
                 for k in range(ns.count)]
    documents += [("cyclic 5", cyclic(5), []), ("cyclic 7", cyclic(7), []), ("G(2,6)", grassmannian(6), [])]
    with tempfile.TemporaryDirectory() as scratch:
        for name, doc, args in documents:
            one = run(ns.initform, ["--prevariety", "--threads", "1"] + args, doc)
            for threads in ("2", "4"):
                if run(ns.initform, ["--prevariety", "--threads", threads] + args, doc) != one:
                    failures.append(f"{name}: --threads {threads} differs from one thread")
            for parts in (2, 3, 5):
                files = []
                for k in range(1, parts + 1):
                    out, status = run(ns.initform, ["--prevariety", "--part", f"{k}/{parts}"] + args, doc)
                    files.append(os.path.join(scratch, f"part{k}"))
                    open(files[-1], "w").write(out)
                merged = subprocess.run([ns.initform, "--merge"] + files, capture_output=True).stdout.decode()
                piped = run(ns.initform, ["--merge"], "".join(open(f).read() for f in files))[0]
                if (merged, 0) != one or piped != merged:
                    failures.append(f"{name}: {parts} parts merged differ from the whole:\n{merged}\n---\n{one[0]}")
        # The tree space: 2^(n-1) - n - 1 rays and (2n-5)!! maximal cones.
        for n, rays, cells in ((5, 10, 15), (6, 25, 105), (7, 56, 945)):
            out, _ = run(ns.initform, ["--prevariety"], grassmannian(n))
            got = (out.count("\nray "), out.count("\ncell "))
            if got != (rays, cells):
                failures.append(f"G(2,{n}): {got[0]} rays and {got[1]} cells, not {rays} and {cells}")
        if shutil.which("parallel"):
            system = os.path.join(scratch, "system.txt")
            open(system, "w").write(cyclic(7))
            recipe = (f"parallel -k \"'{ns.initform}' --prevariety --threads 1 --part {{}}/4 < '{system}'\" ::: 1 2 3 4"
                      f" | '{ns.initform}' --merge")
            split = subprocess.run(recipe, shell=True, capture_output=True).stdout.decode()
            if split != run(ns.initform, ["--prevariety"], cyclic(7))[0]:
                failures.append("the GNU parallel recipe differs from the single run")
        else:
            print("parallel is not installed: the recipe is not checked")
    for f in failures[:10]:
        print(f)
    total = len(documents) * 5 + 3 + 1
    print(f"{total - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
