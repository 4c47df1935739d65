#!/usr/bin/env python3
"""Writes the monic form of a document: each polynomial divided by the
coefficient of its lexicographically leading term, with exact fractions,
terms in descending lexicographic order (as computer algebra systems print
a reduced basis). Made examples/katsura5-lex-monic.txt from
examples/katsura5-lex-q.txt.

usage: monic.py < DOCUMENT > MONIC
"""
import os
import sys
from fractions import Fraction

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
import model_compare as m  # noqa: E402


def main():
    text = sys.stdin.buffer.read().replace(b"\n", b"")
    h, e = text.find(b"]{"), text.find(b"}")
    names = text[2:h].split(b",")
    lines = []
    for poly_text in text[h + 2:e].split(b","):
        poly = m.parse_poly(poly_text, names, m.Arith(True))
        lead = poly[max(poly)]
        out = []
        for key in sorted(poly, reverse=True):
            c = Fraction(poly[key]) / lead
            sign = b"-" if c < 0 else (b"+" if out else b"")
            factors = [m.coeff_text(abs(c))] if abs(c) != 1 or not any(key) else []
            factors += [names[k] + (b"^%d" % x if x > 1 else b"") for k, x in enumerate(key) if x]
            out.append(sign + b"*".join(factors))
        lines.append(b"".join(out))
    sys.stdout.buffer.write(b"Q[" + text[2:h] + b"]{\n" + b",\n".join(lines) + b"\n}\n")


if __name__ == "__main__":
    main()
