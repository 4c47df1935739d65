"""How a check that cannot run here says so: a notice, and the exit status
CTest counts as a skip (SKIP_RETURN_CODE), never as a pass."""
import os
import shutil

SKIPPED = 77


def missing(programs=(), data=None):
    """Why the check cannot run (a program not on PATH, a data folder that
    is absent), or None when it can."""
    for program in programs:
        if not shutil.which(program):
            return f"{program} is not installed"
    if data is not None and not os.path.isdir(data):
        return f"the data folder {data} is absent"
    return None


def skip(why):
    print(f"{why}: skipped")
    return SKIPPED
