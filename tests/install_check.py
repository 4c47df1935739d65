#!/usr/bin/env python3
"""Installs the build tree into a temporary prefix (cmake --install) and
checks one part of it where its host looks for it:

  tree       every file in its place, and the installed binary runs
  macaulay2  needsPackage "Initform" from the prefix's share/Macaulay2
  singular   LIB "initform.lib" from the prefix's share/singular/LIB
  python     import initform from the prefix's dist-packages

Each host runs in a fresh process with the prefix's bin first on PATH and
no INITFORM, so the interface finds the binary by name. A host that is not
installed is reported as a skip.

usage: install_check.py PART BUILD_DIR SOURCE_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile

from skips import missing, skip

FILES = ["bin/initform", "share/man/man1/initform.1", "share/Macaulay2/Initform.m2",
         "share/singular/LIB/initform.lib", "lib/python3/dist-packages/initform/__init__.py"]
# Each host: the program it needs, how it is run, its environment (from the
# prefix), and the answer it must print.
HOSTS = {
    "macaulay2": (["M2"], lambda p: (["M2", "--script", "/dev/stdin"],
                  f'path = prepend("{p}/share/Macaulay2/", path); needsPackage "Initform"; R = QQ[x,y]; '
                  'print toString initialForms({x^2+y}, {1,1});\n'), {}, "{x^2}"),
    "singular": (["Singular"], lambda p: (["Singular", "-q", "--no-rc"],
                 'LIB "initform.lib"; ring r = 0, (x,y), dp; initialForms(ideal(x2+y), intvec(1,1)); quit;\n'),
                 {"SINGULARPATH": "share/singular/LIB"}, "_[1]=x2"),
    "python": (["/usr/bin/python3"], lambda p: (["/usr/bin/python3", "-c", "import initform; "
               "print(initform.initial_forms(['x^2+y'], [1, 1]))"], ""),
               {"PYTHONPATH": "lib/python3/dist-packages"}, "['x^2']"),
}


def main():
    part, build, source = sys.argv[1:4]
    if part in HOSTS:
        why = missing(HOSTS[part][0])
        if why:
            return skip(why)
    with tempfile.TemporaryDirectory() as prefix:
        subprocess.run(["cmake", "--install", build, "--prefix", prefix], check=True, capture_output=True)
        if part == "tree":
            absent = [f for f in FILES if not os.path.isfile(os.path.join(prefix, f))]
            worked = open(os.path.join(source, "examples", "worked.txt"), "rb").read()
            out = subprocess.run([os.path.join(prefix, "bin", "initform"), "(1,1)"], input=worked,
                                 capture_output=True).stdout
            ok = not absent and out == b"3*x^2*y,\n3*x*y\n"
            if absent:
                print("not installed:", absent)
        else:
            _, command, variables, want = HOSTS[part]
            args, script = command(prefix)
            env = {k: v for k, v in os.environ.items() if k != "INITFORM"}
            env["PATH"] = os.path.join(prefix, "bin") + os.pathsep + env.get("PATH", "")
            env.update({k: os.path.join(prefix, v) for k, v in variables.items()})
            got = subprocess.run(args, input=script, capture_output=True, text=True, env=env, cwd=prefix)
            ok = want in got.stdout.split("\n")
            if not ok:
                print(got.stdout[-1000:], got.stderr[-1000:])
    print(f"{int(ok)} passed, {int(not ok)} failed")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
