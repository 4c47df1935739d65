#!/usr/bin/env python3
"""Asks initform for the initial forms of one basis under many weight
vectors, one at a time, as a Gröbner fan traversal or walk does: the basis
is read once, and each vector is sent when the previous answer has arrived
(the Python interface's Session, interfaces/python).

usage: traverse.py [INITFORM] [BASIS]
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "interfaces", "python"))

import initform  # noqa: E402


def main():
    if len(sys.argv) > 1:
        os.environ["INITFORM"] = sys.argv[1]
    basis = sys.argv[2] if len(sys.argv) > 2 else os.path.join(HERE, "cyclic6-dp-q.txt")
    polys, names = initform.read_document(open(basis).read())
    with initform.Session(polys, names, rule="max") as forms:
        for w in [(1, 1, 1, 1, 1, 1), (3, 1, 4, 1, 5, 9), (-1, 0, 0, 0, 0, 1)]:
            answer = forms.initial_forms(w)
            print(w, len(answer), "forms; the first:", answer[0])
    # A step of a walk from inside the basis's cone toward another vector.
    inside = initform.groebner_cone(polys, names).interior
    print(f"from {inside} toward (1,2,3,4,5,6):", initform.next_weight(polys, inside, (1, 2, 3, 4, 5, 6), names))
    return 0


if __name__ == "__main__":
    sys.exit(main())
