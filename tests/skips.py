"""What the checks of the host systems share: how a check that cannot run
here says so (a notice, and the exit status CTest counts as a skip,
SKIP_RETURN_CODE, never as a pass), and a temporary folder that tries the
quoting of paths."""
import os
import shutil
import tempfile

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


def blank_tmpdir():
    """(scratch, tmpdir): a fresh folder, and in it "my dir" for TMPDIR
    beside a file "my" that a path split at its blank would name. After a
    run, scratch must hold exactly these two, and "my dir" nothing."""
    scratch = tempfile.mkdtemp()
    tmpdir = os.path.join(scratch, "my dir")
    os.mkdir(tmpdir)
    open(os.path.join(scratch, "my"), "w").close()
    return scratch, tmpdir


def left_behind(scratch, tmpdir):
    """What a run left in the folders of blank_tmpdir, or lost from them."""
    left = os.listdir(tmpdir) if os.path.isdir(tmpdir) else ["(my dir gone)"]
    if sorted(os.listdir(scratch)) != ["my", "my dir"]:
        left += [f"scratch holds {sorted(os.listdir(scratch))}"]
    return left
