"""The product's version number, read from the one place that holds it: the project() line of
the top-level CMakeLists.txt."""
import os
import re

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def version():
    """The version as "major.minor.patch"."""
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        m = re.search(r"^project\(\s*\w+\s+VERSION\s+(\d+\.\d+\.\d+)\b", f.read(), re.M)
    if not m:
        raise RuntimeError("CMakeLists.txt: no project(... VERSION x.y.z ...) line")
    return m.group(1)
