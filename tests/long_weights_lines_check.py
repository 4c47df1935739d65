#!/usr/bin/env python3
"""Weights lines far longer than the ring, whose weights beyond it are read
as the line comes in and dropped: each answer must be what reading the
whole line gives (the count in the message, the first bad weight in order,
the wrap-around warning), whatever stands where.

usage: long_weights_lines_check.py INITFORM
"""
import os
import subprocess
import sys
import tempfile

N = 1_500_000  # weights beyond the ring: a line of megabytes


def vector(first, rest, opening="(", closing=")"):
    return opening + ",".join(first + rest) + closing


def at(k, special, usual):
    return [special if i in k else usual for i in range(N)]


WRAP = "initform: warning: numbers left the 32-bit range and wrapped around; --exact computes them exactly\n"
ROWS = [
    # name, arguments, document, weights file, standard output, standard error, status
    ("a wrap-around beyond the ring", [], "Q[x,y]{x+y}", vector(["1", "2"], at({777}, "5000000000", "1")) + "\n",
     f"Dimension of standard input (2) and vector-argument ({N + 2}) doesn't match\n", WRAP, 1),
    ("a zero denominator beyond the ring", ["--exact"], "Q[x,y]{x+y}",
     vector(["1", "2"], at({N - 300000}, "1/0", "3")) + "\n", "Bad input: Zero denominator '1/0'\n", "", 1),
    ("the first of two bad weights", ["--exact"], "Q[x,y]{x+y}",
     vector(["1", "2"], at({N - 300000, N - 200000}, "2/0", "99999999999999999999999")) + "\n",
     "Bad input: Zero denominator '2/0'\n", "", 1),
    ("a bad weight within the ring first", ["--exact"], "Q[x,y]{x+y}",
     vector(["1/0", "2"], at({N - 200000}, "5/0", "7")) + "\n", "Bad input: Zero denominator '1/0'\n", "", 1),
    ("a line whose last character is a comma", [], "Q[x,y]{x+y}", vector(["1", "2"], ["3"] * N, closing=",") + "\n",
     f"Dimension of standard input (2) and vector-argument ({N + 2}) doesn't match\n", "", 1),
    ("a last line without its line end", [], "Q[x,y]{x+y}", vector(["1", "2"], ["3"] * N, closing=","),
     f"Dimension of standard input (2) and vector-argument ({N + 2}) doesn't match\n", "", 1),
    ("a CR LF line end", [], "Q[x,y,z]{x+y}", vector(["1", "2", "3"], ["4"] * N) + "\r\n(1,1,1)\n",
     f"Dimension of standard input (3) and vector-argument ({N + 3}) doesn't match\n", "", 1),
    ("a comma as the first character", [], "Q[x]{x}", "," + ",".join(["1"] * N) + ")\n",
     f"Dimension of standard input (1) and vector-argument ({N}) doesn't match\n", "", 1),
    ("a valuation", ["--valuation", "3"], "Q[x,y]{x+2*y}", vector(["1", "2"], at({9}, "1/0", "1/3")) + "\n",
     "Bad input: Zero denominator '1/0'\n", "", 1),
    ("empty weights", [], "Q[x,y]{x+y}", vector([], [""] * N) + "\n",
     f"Dimension of standard input (2) and vector-argument ({N}) doesn't match\n", "", 1),
    ("a long line that fits its ring", [], "Q[" + ",".join(f"v{i}" for i in range(N)) + "]{v0+v1}",
     vector([], ["1"] * N) + "\n", "v1+v0\n", "", 0),
]


def main():
    initform = sys.argv[1]
    failed = 0
    with tempfile.TemporaryDirectory() as scratch:
        path = os.path.join(scratch, "vectors")
        for name, args, doc, lines, out, err, status in ROWS:
            with open(path, "w") as f:
                f.write(lines)
            got = subprocess.run([initform, "--weights", path] + args, input=doc.encode(), capture_output=True)
            if (got.stdout.decode(), got.stderr.decode(), got.returncode) != (out, err, status):
                failed += 1
                print(f"{name}: status {got.returncode}, stdout {got.stdout[:120]!r}, stderr {got.stderr[:120]!r}")
    print(f"{len(ROWS) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
