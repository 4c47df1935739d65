#!/usr/bin/env python3
"""Asks initform for the initial forms of one basis under many weight
vectors, one at a time, as a Groebner fan traversal or walk does: the basis
is read once, each vector is sent when the previous answer has arrived.

usage: traverse.py [INITFORM] [BASIS]
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


class InitialForms:
    """One initform process serving vectors over one basis: it reads its
    vectors from our end of a pipe (its descriptor 3) and answers each
    before it reads the next."""

    def __init__(self, initform, basis, *switches):
        read_end, self.vectors = os.pipe()

        def as_fd_3():  # in the child, before initform starts
            if read_end == 3:
                os.set_inheritable(3, True)
            else:
                os.dup2(read_end, 3)

        with open(basis, "rb") as doc:
            self.proc = subprocess.Popen([initform, "--weights", "/dev/fd/3", *switches], stdin=doc,
                                         stdout=subprocess.PIPE, close_fds=False,
                                         preexec_fn=as_fd_3)
        os.close(read_end)

    def ask(self, weights):
        """The initial forms under `weights`, one string per polynomial."""
        os.write(self.vectors, ("(" + ",".join(map(str, weights)) + ")\n").encode())
        forms = []
        while True:
            line = self.proc.stdout.readline().decode()
            if not line:
                raise RuntimeError("initform ended")
            # The last line of an answer has no trailing ',' (or is a message).
            forms.append(line.rstrip("\n").rstrip(","))
            if not line.endswith(",\n"):
                return forms

    def close(self):
        os.close(self.vectors)
        return self.proc.wait()


def main():
    initform = sys.argv[1] if len(sys.argv) > 1 else "initform"
    basis = sys.argv[2] if len(sys.argv) > 2 else os.path.join(HERE, "cyclic6-dp-q.txt")
    forms = InitialForms(initform, basis, "--exact", "--max")
    for w in [(1, 1, 1, 1, 1, 1), (3, 1, 4, 1, 5, 9), (-1, 0, 0, 0, 0, 1)]:
        answer = forms.ask(w)
        print(w, len(answer), "forms; the first:", answer[0])
    return forms.close()


if __name__ == "__main__":
    sys.exit(main())
