#!/usr/bin/python3
"""The winget manifest scripts/winget-manifest makes from the build (winget_manifest_test.py
BUILD_DIR): the required fields and the formats winget's published schemas of manifest version
1.10.0 state for them, the installer's hash, the codes against common/ExitCodes.h, the entry
against what the install writes (expected_install.tsv), and the README's table of codes."""
import hashlib
import os
import re
import subprocess
import sys
import tempfile

import yaml

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import deploy_facts  # noqa: E402

ID = r'^[^.\s\\/:*?"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?"<>|\x01-\x1f]{1,32}){1,7}$'
VERSION = r'^[^\\/:*?"<>|\x01-\x1f]{1,128}$'
LOCALE = r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$"
URL = r"^[Hh][Tt][Tt][Pp][Ss]?://.{1,2040}$"
MV = r"^1\.(1[0-9]|[2-9][0-9])\.\d+$"  # 1.10.0 or later
RESPONSES = ("packageInUse|packageInUseByApplication|installInProgress|fileInUse|"
             "missingDependency|diskFull|insufficientMemory|invalidParameter|noNetwork|"
             "contactSupport|rebootRequiredToFinish|rebootRequiredForInstall|rebootInitiated|"
             "cancelledByUser|alreadyInstalled|downgrade|blockedByPolicy|systemNotSupported|custom")
COMMON = [("PackageIdentifier", ID), ("PackageVersion", VERSION), ("ManifestVersion", MV)]
# Per file: its ManifestType, then (field, pattern) for every required field and the optional
# ones the generator writes, as the schemas state them.
RULES = {
    "Marlowind.Marlowind.yaml": ("version", COMMON + [("DefaultLocale", LOCALE)]),
    "Marlowind.Marlowind.installer.yaml": ("installer", COMMON + [
        ("InstallerLocale", LOCALE), ("InstallerType", r"^exe$"), ("Scope", r"^machine$"),
        ("ElevationRequirement", r"^elevatesSelf$"), ("UpgradeBehavior", r"^install$"),
        ("InstallModes", r"^(interactive|silent|silentWithProgress)$"),
        ("InstallerSwitches.Silent", r"^.{1,512}$"), ("InstallerSwitches.Log", r"^.{1,512}$"),
        ("InstallerSwitches.SilentWithProgress", r"^.{1,512}$"),
        ("ExpectedReturnCodes.ReturnResponse", "^(%s)$" % RESPONSES),
        ("AppsAndFeaturesEntries.DisplayName", r"^.{1,256}$"),
        ("AppsAndFeaturesEntries.Publisher", r"^.{1,256}$"),
        ("AppsAndFeaturesEntries.DisplayVersion", r"^.{1,128}$"),
        ("Installers.Architecture", r"^x64$"), ("Installers.InstallerUrl", URL),
        ("Installers.InstallerSha256", r"^[A-Fa-f0-9]{64}$")]),
    "Marlowind.Marlowind.locale.en-US.yaml": ("defaultLocale", COMMON + [
        ("PackageLocale", LOCALE), ("Publisher", r"^.{2,256}$"), ("PackageName", r"^.{2,256}$"),
        ("License", r"^.{3,512}$"), ("ShortDescription", r"^.{3,256}$"), ("PackageUrl", URL),
        ("PublisherUrl", URL), ("LicenseUrl", URL), ("Moniker", r"^.{1,40}$"),
        ("Tags", r"^.{1,40}$"), ("Agreements.AgreementLabel", r"^.{1,100}$"),
        ("Agreements.Agreement", r"^(?s:.{1,10000})$")]),
}
problems = []


def expect(condition, message):
    if not condition:
        problems.append(message)


def values(doc, path):
    """Every value at a dotted path; lists along the way are walked."""
    found = [doc]
    for part in path.split("."):
        found = [x for v in found for x in (v if isinstance(v, list) else [v])]
        found = [v[part] for v in found if isinstance(v, dict) and part in v]
    return [x for v in found for x in (v if isinstance(v, list) else [v])]


def main():
    build = os.path.abspath(sys.argv[1])
    exe = os.path.join(build, "MarlowindSetup.exe")
    url = "https://downloads.example.com/marlowind/MarlowindSetup.exe"
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([os.path.join(ROOT, "scripts", "winget-manifest"), "--url", url, "--out",
                        out, "--installer", exe], check=True, stdout=subprocess.DEVNULL)
        expect(sorted(os.listdir(out)) == sorted(RULES), "the files: %s" % os.listdir(out))
        docs = {n: yaml.safe_load(open(os.path.join(out, n), encoding="utf-8")) for n in RULES}
    for name, (kind, rules) in RULES.items():
        doc = docs[name]
        expect(doc.get("ManifestType") == kind, "%s: ManifestType %r" % (name, doc.get("ManifestType")))
        for field, pattern in rules:
            found = values(doc, field)
            expect(found, "%s: %s is missing" % (name, field))
            for v in found:
                expect(isinstance(v, str) and re.match(pattern, v), "%s: %s = %r" % (name, field, v))
        for field in ("PackageIdentifier", "PackageVersion", "ManifestVersion"):
            expect(doc.get(field) == docs["Marlowind.Marlowind.yaml"].get(field), name + " " + field)
    installer = docs["Marlowind.Marlowind.installer.yaml"]
    expect(installer.get("InstallerSwitches") ==
           {"Silent": "/S", "SilentWithProgress": "/S", "Log": '/log="<LOGPATH>"'}, "switches")
    digest = hashlib.sha256(open(exe, "rb").read()).hexdigest()
    expect([v.lower() for v in values(installer, "Installers.InstallerSha256")] == [digest],
           "the hash is not the built installer's %s" % digest)
    expect(values(installer, "Installers.InstallerUrl") == [url], "the URL given")
    codes = deploy_facts.installer_codes()
    want = [{"InstallerReturnCode": r["code"], "ReturnResponse": r["response"]}
            for r in codes if r["response"]]
    expect(installer.get("ExpectedReturnCodes") == want, "ExpectedReturnCodes: %r, the header's %r"
           % (installer.get("ExpectedReturnCodes"), want))
    success = installer.get("InstallerSuccessCodes", [])
    expect(success == [r["code"] for r in codes if not r["response"] and r["code"]], "success codes")
    expect(all(isinstance(c, int) and c != 0 and -2**31 <= c < 2**32 for c in
               success + values(installer, "ExpectedReturnCodes.InstallerReturnCode")), "code range")
    entry = {}
    for line in open(os.path.join(ROOT, "tests", "e2e", "expected_install.tsv"), encoding="utf-8"):
        f = line.rstrip("\n").split("\t")
        if f[0] == "reg" and f[2].endswith("\\Uninstall\\Marlowind"):
            entry[f[3]] = f[5]
    want_entry = {k: entry.get(k) for k in ("DisplayName", "Publisher", "DisplayVersion")}
    expect(installer.get("AppsAndFeaturesEntries") == [want_entry],
           "AppsAndFeaturesEntries %r, the install writes %r" % (installer.get("AppsAndFeaturesEntries"), want_entry))
    expect(installer.get("PackageVersion") == entry.get("DisplayVersion"), "PackageVersion")
    expect(deploy_facts.readme_table_in_readme() == deploy_facts.readme_table(),
           "README.md's table of exit codes is not common/ExitCodes.h's "
           "(python3 tools/deploy_facts.py --readme)")
    if problems:
        print("FAILED:\n  " + "\n  ".join(problems))
        return 1
    print("manifest %s %s: fields, %d codes, hash, entry and README agree with the build"
          % (installer["PackageIdentifier"], installer["PackageVersion"], len(want)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
