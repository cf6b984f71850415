#!/usr/bin/python3
"""The winget manifest scripts/winget-manifest makes from the build: the fields and formats that
winget's published schemas of manifest version 1.10.0 require (checked here field by field, as
the schemas state them), the installer's hash, the exit codes and the uninstall entry against
the build, the code table and the install's expected state, and the README's table of codes.

    winget_manifest_test.py BUILD_DIR"""
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

# What the schemas of manifest version 1.10.0 say of the fields used here.
IDENTIFIER = r'^[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}(\.[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}){1,7}$'
VERSION = r'^[^\\/:\*\?"<>\|\x01-\x1f]+$'
LOCALE = r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$"
URL = r"^([Hh][Tt][Tt][Pp][Ss]?)://.+$"
SHA256 = r"^[A-Fa-f0-9]{64}$"
MANIFEST_VERSION = r"^(0|[1-9][0-9]{0,4})(\.(0|[1-9][0-9]{0,4})){2}$"
RESPONSES = {"packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse",
             "missingDependency", "diskFull", "insufficientMemory", "invalidParameter",
             "noNetwork", "contactSupport", "rebootRequiredToFinish", "rebootRequiredForInstall",
             "rebootInitiated", "cancelledByUser", "alreadyInstalled", "downgrade",
             "blockedByPolicy", "systemNotSupported", "custom"}
REQUIRED = {
    "version": {"PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType",
                "ManifestVersion"},
    "installer": {"PackageIdentifier", "PackageVersion", "Installers", "ManifestType",
                  "ManifestVersion"},
    "defaultLocale": {"PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher",
                      "PackageName", "License", "ShortDescription", "ManifestType",
                      "ManifestVersion"},
}
# The other fields each schema knows that the generator uses (an unknown one fails validation).
KNOWN = {
    "version": set(),
    "installer": {"InstallerLocale", "InstallerType", "Scope", "InstallModes",
                  "InstallerSwitches", "InstallerSuccessCodes", "ExpectedReturnCodes",
                  "UpgradeBehavior", "ElevationRequirement", "AppsAndFeaturesEntries"},
    "defaultLocale": {"PublisherUrl", "PackageUrl", "LicenseUrl", "Moniker", "Tags",
                      "Agreements"},
}

problems = []


def expect(condition, message):
    if not condition:
        problems.append(message)


def matches(pattern, value, what, most=None):
    expect(isinstance(value, str) and re.match(pattern, value) and
           (most is None or len(value) <= most), "%s: %r does not match the schema" % (what, value))


def length(value, least, most, what):
    expect(isinstance(value, str) and least <= len(value) <= most,
           "%s: %r is not %d to %d characters" % (what, value, least, most))


def check_common(kind, doc):
    for field in REQUIRED[kind]:
        expect(field in doc, "%s: %s is missing" % (kind, field))
    for field in doc:
        expect(field in REQUIRED[kind] | KNOWN[kind], "%s: unknown field %s" % (kind, field))
    matches(IDENTIFIER, doc.get("PackageIdentifier"), kind + " PackageIdentifier", 128)
    matches(VERSION, doc.get("PackageVersion"), kind + " PackageVersion", 128)
    expect(doc.get("ManifestType") == kind, "%s: ManifestType %r" % (kind, doc.get("ManifestType")))
    mv = doc.get("ManifestVersion", "")
    matches(MANIFEST_VERSION, mv, kind + " ManifestVersion")
    expect(re.match(MANIFEST_VERSION, mv) and tuple(int(x) for x in mv.split(".")) >= (1, 10, 0),
           "%s: ManifestVersion %r below 1.10.0" % (kind, mv))


def check_codes(installer):
    codes = deploy_facts.installer_codes()
    want = [{"InstallerReturnCode": r["code"], "ReturnResponse": r["response"]}
            for r in codes if r["response"]]
    got = installer.get("ExpectedReturnCodes")
    expect(got == want, "ExpectedReturnCodes %r, the table gives %r" % (got, want))
    for item in got or []:
        code = item.get("InstallerReturnCode")
        expect(isinstance(code, int) and code != 0 and -2**31 <= code <= 2**32 - 1,
               "InstallerReturnCode %r" % code)
        expect(item.get("ReturnResponse") in RESPONSES, "ReturnResponse %r" % item)
    success = installer.get("InstallerSuccessCodes", [])
    expect(success == [r["code"] for r in codes if not r["response"] and r["code"] != 0],
           "InstallerSuccessCodes %r" % success)
    expect(len(got or []) <= 128 and len(success) <= 16, "too many codes")
    # Codes the installer never returns are not offered to winget.
    setup_codes = {r["code"] for r in codes}
    expect(all(i["InstallerReturnCode"] in setup_codes for i in got or []), "a foreign code")


def expected_entry():
    """DisplayName, Publisher, DisplayVersion of the uninstall entry as the install table has it."""
    entry = {}
    with open(os.path.join(ROOT, "tests", "e2e", "expected_install.tsv"), encoding="utf-8") as f:
        for line in f:
            f = line.rstrip("\n").split("\t")
            if f[0] == "reg" and f[2].endswith("\\Uninstall\\Marlowind") and \
                    f[3] in ("DisplayName", "Publisher", "DisplayVersion"):
                entry[f[3]] = f[5]
    return entry


def check_installer(doc, installer_exe, url):
    check_common("installer", doc)
    matches(LOCALE, doc.get("InstallerLocale"), "InstallerLocale", 20)
    expect(doc.get("InstallerType") == "exe", "InstallerType %r" % doc.get("InstallerType"))
    expect(doc.get("Scope") == "machine", "Scope %r" % doc.get("Scope"))
    expect(doc.get("ElevationRequirement") == "elevatesSelf",
           "ElevationRequirement %r" % doc.get("ElevationRequirement"))
    expect(doc.get("UpgradeBehavior") in ("install", "uninstallPrevious", "deny"), "UpgradeBehavior")
    modes = doc.get("InstallModes")
    expect(modes and set(modes) <= {"interactive", "silent", "silentWithProgress"} and
           len(set(modes)) == len(modes), "InstallModes %r" % modes)
    switches = doc.get("InstallerSwitches", {})
    expect(switches == {"Silent": "/S", "SilentWithProgress": "/S", "Log": '/log="<LOGPATH>"'},
           "InstallerSwitches %r" % switches)
    for name, value in switches.items():
        length(value, 1, 512, "InstallerSwitches " + name)
    check_codes(doc)
    entries = doc.get("AppsAndFeaturesEntries")
    expect(entries == [expected_entry()],
           "AppsAndFeaturesEntries %r, the install writes %r" % (entries, expected_entry()))
    for e in entries or []:
        length(e.get("DisplayName"), 1, 256, "DisplayName")
        length(e.get("Publisher"), 1, 256, "Publisher")
        length(e.get("DisplayVersion"), 1, 128, "DisplayVersion")
    expect(doc.get("PackageVersion") == expected_entry().get("DisplayVersion"),
           "PackageVersion %r is not the DisplayVersion" % doc.get("PackageVersion"))
    installers = doc.get("Installers") or []
    expect(1 <= len(installers) <= 1024, "Installers")
    for i in installers:
        expect(i.get("Architecture") == "x64", "Architecture %r" % i.get("Architecture"))
        matches(URL, i.get("InstallerUrl"), "InstallerUrl", 2048)
        expect(i.get("InstallerUrl") == url, "InstallerUrl %r, given %r" % (i.get("InstallerUrl"), url))
        matches(SHA256, i.get("InstallerSha256"), "InstallerSha256")
        with open(installer_exe, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        expect(str(i.get("InstallerSha256")).lower() == digest,
               "InstallerSha256 %s is not the built installer's %s" % (i.get("InstallerSha256"), digest))


def check_locale(doc):
    check_common("defaultLocale", doc)
    matches(LOCALE, doc.get("PackageLocale"), "PackageLocale", 20)
    length(doc.get("Publisher"), 2, 256, "Publisher")
    length(doc.get("PackageName"), 2, 256, "PackageName")
    length(doc.get("License"), 3, 512, "License")
    length(doc.get("ShortDescription"), 3, 256, "ShortDescription")
    for field in ("PublisherUrl", "PackageUrl", "LicenseUrl"):
        matches(URL, doc.get(field), field, 2048)
    expect(doc.get("PackageUrl") == deploy_facts.web_address(), "PackageUrl is the product's web address")
    for tag in doc.get("Tags", []) + [doc.get("Moniker")]:
        length(tag, 1, 40, "tag")
    for a in doc.get("Agreements", []):
        length(a.get("AgreementLabel"), 1, 100, "AgreementLabel")
        length(a.get("Agreement"), 1, 10000, "Agreement")
        expect(a.get("Agreement") == deploy_facts.licence_text(), "the agreement is the licence")


def main():
    build = os.path.abspath(sys.argv[1])
    installer_exe = os.path.join(build, "MarlowindSetup.exe")
    url = "https://downloads.example.com/marlowind/MarlowindSetup.exe"
    with tempfile.TemporaryDirectory() as out:
        for bad in ("ftp://example.com/x.exe", "MarlowindSetup.exe"):
            r = subprocess.run([os.path.join(ROOT, "scripts", "winget-manifest"), "--url", bad,
                                "--out", out, "--installer", installer_exe], capture_output=True)
            expect(r.returncode != 0 and not os.listdir(out), "a URL that is no http address: " + bad)
        subprocess.run([os.path.join(ROOT, "scripts", "winget-manifest"), "--url", url,
                        "--out", out, "--installer", installer_exe], check=True,
                       stdout=subprocess.DEVNULL)
        names = sorted(os.listdir(out))
        expect(names == ["Marlowind.Marlowind.installer.yaml", "Marlowind.Marlowind.locale.en-US.yaml",
                         "Marlowind.Marlowind.yaml"], "the three files: %s" % names)
        docs = {}
        for name in names:
            with open(os.path.join(out, name), encoding="utf-8") as f:
                docs[name] = yaml.safe_load(f)
    version = docs.get("Marlowind.Marlowind.yaml", {})
    installer = docs.get("Marlowind.Marlowind.installer.yaml", {})
    locale = docs.get("Marlowind.Marlowind.locale.en-US.yaml", {})
    check_common("version", version)
    matches(LOCALE, version.get("DefaultLocale"), "DefaultLocale", 20)
    expect(version.get("DefaultLocale") == locale.get("PackageLocale"), "DefaultLocale is the locale file's")
    check_installer(installer, installer_exe, url)
    check_locale(locale)
    for d in (installer, locale):
        for field in ("PackageIdentifier", "PackageVersion", "ManifestVersion"):
            expect(d.get(field) == version.get(field), "%s differs between the files" % field)
    expect(deploy_facts.readme_table_in_readme() == deploy_facts.readme_table(),
           "README.md's table of exit codes is not the one common/ExitCodes.h gives "
           "(python3 tools/deploy_facts.py --readme)")
    if problems:
        print("FAILED:\n  " + "\n  ".join(problems))
        return 1
    print("the manifest of %s %s: %d codes, hash, entry and README agree with the build" % (
        installer.get("PackageIdentifier"), installer.get("PackageVersion"),
        len(installer.get("ExpectedReturnCodes", []))))
    return 0


if __name__ == "__main__":
    sys.exit(main())
