#!/usr/bin/env python3
"""Runs every command of the README's console blocks and compares its output
with the lines that follow it, so that the documentation cannot go stale.

usage: readme_examples.py README BINARY_DIR
"""
import os
import subprocess
import sys


def examples(readme):
    """Yields (command, expected output) for each '$ ' line of a console block."""
    inside = False
    command, expected = None, []
    for line in open(readme, encoding="utf-8").read().splitlines():
        if line.startswith("```"):
            if command is not None:
                yield command, expected
            command, expected = None, []
            inside = line == "```console"
            continue
        if not inside:
            continue
        if line.startswith("$ "):
            if command is not None:
                yield command, expected
            command, expected = line[2:], []
        elif command is not None:
            expected.append(line)


def main():
    readme, bindir = sys.argv[1], sys.argv[2]
    env = dict(os.environ, PATH=os.path.abspath(bindir) + os.pathsep + os.environ["PATH"])
    passed = failed = 0
    for command, expected in examples(readme):
        got = subprocess.run(["bash", "-c", command], cwd=os.path.dirname(os.path.abspath(readme)),
                             env=env, capture_output=True).stdout.decode()
        want = "".join(line + "\n" for line in expected)
        if got == want:
            passed += 1
        else:
            failed += 1
            print(f"$ {command}\n--- expected\n{want}--- got\n{got}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
