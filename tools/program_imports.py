#!/usr/bin/python3
"""The libraries a Windows program imports must all be known DLLs: ones that Windows loads from
its own folder alone, whatever lies beside the program. Any other is looked for in the
program's folder first, before the program's first instruction, where an elevated installer
run from a download folder could be handed a planted copy. (The programs bind other system
libraries themselves, from the system folder, when they first need them.)

    tools/program_imports.py PROGRAM...
        prints each program's imports; exits 1 when one is not a known DLL
"""
import os
import sys

from pe_image import PeImage

# HKLM\System\CurrentControlSet\Control\Session Manager\KnownDLLs of Windows 7, the oldest
# system the programs support (later ones add to it).
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "difxapi.dll", "gdi32.dll", "iertutil.dll",
    "imagehlp.dll", "imm32.dll", "kernel32.dll", "lpk.dll", "msctf.dll", "msvcrt.dll",
    "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll",
    "sechost.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll", "urlmon.dll", "user32.dll",
    "usp10.dll", "wininet.dll", "wldap32.dll", "ws2_32.dll",
}


def main(argv):
    if not argv:
        sys.stderr.write(__doc__)
        return 2
    status = 0
    for path in argv:
        imports = PeImage(path).imported_libraries()
        unknown = [name for name in imports if name.lower() not in KNOWN_DLLS]
        print("%s imports %s" % (os.path.basename(path), ", ".join(imports)))
        if unknown:
            print("%s imports libraries Windows would look for beside it: %s"
                  % (os.path.basename(path), ", ".join(unknown)))
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
