#!/usr/bin/python3
"""Generates the installer's pictures, the programs' icon, licence, web shortcut and the
messenger's theme file.

    tools/make_skin.py            write every output into the tree, then check them
    tools/make_skin.py --check    regenerate into a scratch folder, compare byte for byte with
                                  the files in the tree and check them; exit 1 on any fault
    tools/make_skin.py --verify   only check the files in the tree (seconds, for a test run)

Needs the Debian python (PIL, numpy) and the Carlito font. Deterministic: fixed seeds, fixed
fonts, fixed zlib level, so a rerun reproduces the committed files exactly.
"""
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import asset_checks  # noqa: E402
import program_icon  # noqa: E402
import skin_pictures  # noqa: E402
import theme_file  # noqa: E402
import wallpapers  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LICENSE_MASTER = os.path.join(ROOT, "tools", "License.master.txt")
WEB_ADDRESS = "https://www.marlowind.example/"


def license_bytes():
    """The UTF-8 master as UTF-16LE with a byte-order mark and CR LF line ends."""
    with open(LICENSE_MASTER, encoding="utf-8") as f:
        text = f.read().replace("\r\n", "\n")
    return b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le")


def url_bytes():
    lines = ["[{000214A0-0000-0000-C000-000000000046}]", "Prop3=19,2", "[InternetShortcut]",
             "URL=" + WEB_ADDRESS, "IDList="]
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def write_png(path, img):
    img.save(path, "PNG", compress_level=9)


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


def generate(root):
    """Writes every output below root (same relative paths as in the tree)."""
    for sub in ("resources/skin", "resources/wallpapers", "payloads/theme"):
        os.makedirs(os.path.join(root, sub), exist_ok=True)
    for name, img in skin_pictures.all_pictures().items():
        write_png(os.path.join(root, "resources/skin", name), img)
    walls = wallpapers.all_pictures()
    for name, img in walls.items():
        write_png(os.path.join(root, "resources/wallpapers", name), img)
    write_bytes(os.path.join(root, "resources/License.txt"), license_bytes())
    write_bytes(os.path.join(root, "resources/MarlowindOnTheWeb.url"), url_bytes())
    write_bytes(os.path.join(root, asset_checks.ICON), program_icon.ico_bytes())
    write_bytes(os.path.join(root, "payloads/theme/Ririvud"), theme_file.theme_bytes(walls["wall3.png"]))


def compare_trees(fresh, tree):
    faults = []
    for rel in asset_checks.OUTPUTS:
        with open(os.path.join(fresh, rel), "rb") as f:
            a = f.read()
        try:
            with open(os.path.join(tree, rel), "rb") as f:
                b = f.read()
        except OSError as e:
            faults.append("%s: %s" % (rel, e))
            continue
        if a != b:
            faults.append("%s: differs from what the generator makes now" % rel)
    return faults


def main(argv):
    faults = []
    if "--verify" in argv[1:]:
        pass
    elif "--check" in argv[1:]:
        with tempfile.TemporaryDirectory() as fresh:
            generate(fresh)
            faults += compare_trees(fresh, ROOT)
    else:
        generate(ROOT)
    faults += asset_checks.check_all(ROOT, license_bytes(), url_bytes())
    for rel in asset_checks.OUTPUTS:
        print("%10d  %s" % (os.path.getsize(os.path.join(ROOT, rel)), rel))
    for f in faults:
        print("FAULT: " + f, file=sys.stderr)
    print("%d fault(s)" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
