#!/usr/bin/env python3
"""Compares --max and --min with Singular on real bases: for each polynomial
f and weight vector w (of mixed signs), --max must print the terms of
f - jet(f, deg(f,w)-1, w), and --min the same for -w. Skips itself (status
77, a skip to CTest) when Singular or the data is missing. Prints how many initial forms
agreed.

usage: singular_check.py INITFORM DATA_DIR [--vectors 6]
"""
import argparse
import os
import random
import re
import subprocess
import sys

from skips import missing, skip

BASES = ["katsura5-lex-q.txt", "katsura3-monic-singular.txt", "cyclic6-dp-q.txt"]


def terms(text):
    """A polynomial's text as a set of (coefficient, monomial) strings, so
    that the two programs' term orders do not matter."""
    text = text.strip().replace("-", "+-")
    return sorted(t for t in text.split("+") if t)


def singular_forms(names, polys, w):
    """The textbook initial forms by Singular (largest degree), one line per
    polynomial."""
    script = [f"ring r = 0, ({','.join(names)}), dp;", "short = 0;", f"intvec w__ = {','.join(map(str, w))};"]
    # (The names of the script's own values cannot clash with ring variables.)
    for f in polys:
        form = "\"@@\" + string(p__ - jet(p__, deg(p__, w__) - 1, w__));"
        script.append(f"poly p__ = {f}; if (p__ == 0) {{ \"@@0\"; }} else {{ {form} }} kill p__;")
    script.append("quit;")
    out = subprocess.run(["Singular", "-q", "--no-rc"], input="\n".join(script), capture_output=True, text=True)
    # Long lines may be broken: the forms are told apart by their marks.
    return out.stdout.replace("\n", "").split("@@")[1:]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("initform")
    ap.add_argument("data")
    ap.add_argument("--vectors", type=int, default=6)
    ns = ap.parse_args()
    why = missing(["Singular"], ns.data)
    if why:
        return skip(why)
    r = random.Random(3)
    agreed = failed = 0
    for name in BASES:
        path = os.path.join(ns.data, name)
        if not os.path.exists(path):
            continue
        doc = open(path).read().replace("\n", "")
        head, body = doc.split("]{", 1)
        names = head[2:].split(",")
        polys = body.split("}", 1)[0].split(",")
        for _ in range(ns.vectors):
            w = [r.randint(-9, 9) for _ in names]
            for switch, sign in (("--max", 1), ("--min", -1)):
                want = singular_forms(names, polys, [sign * x for x in w])
                got = subprocess.run([ns.initform, "(" + ",".join(map(str, w)) + ")", switch, "--exact"],
                                     input=doc.encode(), capture_output=True).stdout.decode().split(",\n")
                for k, (a, b) in enumerate(zip(want, got)):
                    if terms(a) == terms(b.strip()):
                        agreed += 1
                    else:
                        failed += 1
                        if failed <= 5:
                            print(f"{name} {w} {switch} #{k}: Singular {a[:120]} initform {b[:120]}")
                if len(want) != len(got):
                    failed += 1
                    print(f"{name} {w} {switch}: {len(want)} forms from Singular, {len(got)} from initform")
    print(f"{agreed} initial forms agree with Singular")
    print(f"{agreed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
