"""What deployment tools are told about the product, read from the places that hold it: the exit
codes from common/ExitCodes.h (the enum and the kExitCodes rows, one a line), the uninstall
entry's names from common/ProductFacts.h, the version from the project() line. The winget
manifest (scripts/winget-manifest) and the README's table of exit codes are made from here."""
import os
import re

import product_version

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HEADER = os.path.join(ROOT, "common", "ExitCodes.h")
FACTS = os.path.join(ROOT, "common", "ProductFacts.h")
README = os.path.join(ROOT, "README.md")
PROGRAMS = {"Setup": "installer", "Uninstaller": "uninstaller", "Both": "both"}


def _read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def _c_string(text):
    """The value of a C string literal's body (only the escapes the headers use)."""
    return text.replace('\\"', '"').replace("\\\\", "\\")


def exit_codes():
    """The rows of kExitCodes in order: dicts with name, code, program ("Setup", "Uninstaller",
    "Both"), retry (bool), response (winget's ReturnResponse, "" for success) and meaning."""
    text = _read(HEADER)
    enum = re.search(r"enum class ExitCode : int \{(.*?)\};", text, re.S)
    if not enum:
        raise RuntimeError("ExitCodes.h: no enum class ExitCode")
    values = {m.group(1): int(m.group(2))
              for m in re.finditer(r"^\s*(\w+)\s*=\s*(\d+),", enum.group(1), re.M)}
    table = re.search(r"kExitCodes\[\] = \{(.*?)^\};", text, re.S | re.M)
    if not table:
        raise RuntimeError("ExitCodes.h: no kExitCodes table")
    row = re.compile(r'^\s*\{ExitCode::(\w+), ExitCodeProgram::(\w+), (true|false), '
                     r'"((?:[^"\\]|\\.)*)", "((?:[^"\\]|\\.)*)"\},\s*$')
    rows = []
    for line in table.group(1).splitlines():
        if not line.strip():
            continue
        m = row.match(line)
        if not m:
            raise RuntimeError("ExitCodes.h: a kExitCodes row not in the one-line form: " + line)
        rows.append({"name": m.group(1), "code": values[m.group(1)], "program": m.group(2),
                     "retry": m.group(3) == "true", "response": _c_string(m.group(4)),
                     "meaning": _c_string(m.group(5))})
    return rows


def installer_codes():
    """The rows of the codes the installer returns (its own and those of both programs)."""
    return [r for r in exit_codes() if r["program"] in ("Setup", "Both")]


def product_fact(name):
    """The value of `inline constexpr const char* <name> = "...";` in ProductFacts.h."""
    m = re.search(r'\b%s = "((?:[^"\\]|\\.)*)";' % re.escape(name), _read(FACTS))
    if not m:
        raise RuntimeError("ProductFacts.h: no " + name)
    return _c_string(m.group(1))


def uninstall_entry():
    """DisplayName, Publisher and DisplayVersion as the install writes them."""
    return {"DisplayName": product_fact("kDisplayName"), "Publisher": product_fact("kPublisher"),
            "DisplayVersion": product_version.version()}


def web_address():
    """The product's web address, from the web shortcut the install puts in its folder."""
    with open(os.path.join(ROOT, "resources", "MarlowindOnTheWeb.url"), encoding="latin-1") as f:
        m = re.search(r"^URL=(\S+)", f.read(), re.M)
    if not m:
        raise RuntimeError("MarlowindOnTheWeb.url: no URL line")
    return m.group(1)


def licence_text():
    with open(os.path.join(ROOT, "resources", "License.txt"), "rb") as f:
        return f.read().decode("utf-16").replace("\r\n", "\n").strip()


README_BEGIN = "<!-- exit codes: made from common/ExitCodes.h by tools/deploy_facts.py -->"
README_END = "<!-- end of exit codes -->"


def readme_table():
    """The README's table of exit codes, between its two marker lines."""
    lines = [README_BEGIN,
             "| code | returned by | what a tool should do | meaning |",
             "| --- | --- | --- | --- |"]
    for r in exit_codes():
        if not r["response"]:
            action = "success"
        elif r["response"] == "rebootRequiredToFinish":
            action = "success; restart to finish"
        elif r["retry"]:
            action = "retry later"
        else:
            action = "failed"
        lines.append("| %d | %s | %s | %s |" % (r["code"], PROGRAMS[r["program"]], action,
                                               r["meaning"]))
    lines.append(README_END)
    return "\n".join(lines)


def readme_table_in_readme():
    """The table as the README holds it now (None when the markers are missing)."""
    text = _read(README)
    if README_BEGIN not in text or README_END not in text:
        return None
    start = text.index(README_BEGIN)
    return text[start:text.index(README_END, start) + len(README_END)]


if __name__ == "__main__":
    import sys
    if sys.argv[1:] == ["--readme"]:
        # Writes the table into README.md between its markers.
        old = readme_table_in_readme()
        if old is None:
            sys.exit("README.md has no exit-code markers")
        text = _read(README).replace(old, readme_table())
        with open(README, "w", encoding="utf-8") as f:
            f.write(text)
    else:
        print(readme_table())
