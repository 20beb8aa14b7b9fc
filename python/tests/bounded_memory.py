"""Runs a snippet in a child interpreter whose address space may grow only
by a given amount past what its imports took, so a call that builds
something in proportion to a width or a batch fails there instead of
passing slowly."""
import os
import subprocess
import sys
import textwrap

import pytest

linux_only = pytest.mark.skipif(not sys.platform.startswith("linux"),
                                reason="reads the address-space size from /proc")

_PRELUDE = """
import resource
import numpy as np
import quodra

def _address_space_bytes():
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmSize:"):
                return int(line.split()[1]) * 1024

_limit = _address_space_bytes() + {headroom}
resource.setrlimit(resource.RLIMIT_AS, (_limit, _limit))
"""


def run_with_headroom(code, headroom_mb, **names):
    """The child's standard output; the snippet runs after quodra and numpy
    are imported, with headroom_mb MB of address space left to it and each
    keyword given as a variable of that name."""
    assignments = "".join("%s = %r\n" % item for item in names.items())
    source = _PRELUDE.format(headroom=headroom_mb << 20) + assignments + textwrap.dedent(code)
    # One thread for numpy's arithmetic libraries: their pools reserve
    # address space at start-up, which would blur the limit.
    env = dict(os.environ, OPENBLAS_NUM_THREADS="1", OMP_NUM_THREADS="1")
    child = subprocess.run([sys.executable, "-c", source], capture_output=True, text=True, env=env,
                           check=False)
    assert child.returncode == 0, child.stderr
    return child.stdout
