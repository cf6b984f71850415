#!/usr/bin/python3
"""Uninstall scenarios: install with the real wizard, start the installed uninstaller as its
uninstall entry names it, answer its message boxes with pointer clicks, and check the prefix
afterwards against the same table of what an install leaves (expected_install.tsv)."""
import os
import shutil
import signal
import subprocess
import sys
import time

import yaml

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import Failure, check, expand, reset_install, wait_for  # noqa: E402

TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "expected_install.tsv")
UNINSTALL_KEY = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Marlowind"
CAPTION = "Marlowind setup"
REMOVED = "Marlowind instant messenger and all of its components were removed from your computer."
NOT_REMOVED = "Marlowind instant messenger was not removed completely."
KEPT = "The uninstaller and its entry in the list of programs were kept."
USER_FILES = ("{PF}\\Marlowind\\my notes.txt", "{PD}\\Marlowind\\chat history.log")


def probe(s, *args, **kwargs):
    exe = os.path.join(s.build, "tests", "e2e", "e2e_uninstall_probe.exe")
    return subprocess.run(["wine", exe] + list(args), env=s.env, capture_output=True, text=True,
                          timeout=60, **kwargs).stdout


def boxes(s):
    """Visible dialog boxes: [{"pid", "hwnd", "title", "items": [(class, rect, text)]}]."""
    found = []
    for line in probe(s, "boxes").splitlines():
        f = line.split("\t")
        if f[0] == "box" and len(f) >= 4:
            found.append({"pid": f[1], "hwnd": f[2], "title": f[3], "items": [], "ids": []})
        elif f[0] == "item" and found and len(f) >= 8:
            found[-1]["items"].append((f[2], tuple(int(x) for x in f[3:7]), f[7]))
            found[-1]["ids"].append(int(f[8]) if len(f) > 8 else 0)
    return found


def box_text(box):
    return " | ".join(t for c, _, t in box["items"] if c.lower() == "static" and t)


def wait_box(s, predicate, what, timeout=60, caption=CAPTION):
    def ready():
        for b in boxes(s):
            if b["title"] == caption and predicate(b):
                return b
        return None
    box = wait_for(ready, timeout, what, 0.5)
    time.sleep(0.3)
    return box


def click_box_button(s, box, label):
    """Clicks the button captioned `label` (mnemonic ampersands ignored) with the pointer."""
    for cls, (l, t, r, b), text in box["items"]:
        if cls.lower() == "button" and text.replace("&", "") == label:
            x, y = (l + r) // 2, (t + b) // 2
            s.press(x, y)
            s.release(x, y)
            return
    raise Failure("no button %r in the box %r" % (label, [i[2] for i in box["items"]]))


def click_box_id(s, box, control):
    """Clicks the box's button whose control id is `control` (IDOK 1, IDYES 6, IDNO 7): its
    caption is in the box's language."""
    for (cls, (l, t, r, b), text), id_ in zip(box["items"], box["ids"]):
        if cls.lower() == "button" and id_ == control:
            s.press((l + r) // 2, (t + b) // 2)
            s.release((l + r) // 2, (t + b) // 2)
            return
    raise Failure("no button %d in the box %r" % (control, box["items"]))


def install_with_wizard(s):
    reset_install(s)
    click_through_install(s)
    harness.check_expected_install(s)


def messenger(s):
    return expand(s, "{PF}\\Marlowind\\Marlowind.exe")


def updater(s):
    return expand(s, "{PF}\\Marlowind\\MarlUpdate.exe")


def start_program(s, path):
    subprocess.Popen(["wine", path], env=s.env, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL)
    wait_for(lambda: s.running(path), 30, path, 0.5)


def user_temp(s):
    """Host path of the temporary folder of the prefix's user (Wine: C:\\users\\<USER>\\Temp)."""
    users = os.path.join(s.prefix, "drive_c", "users")
    user = s.env.get("USER", "")
    temps = [os.path.join(users, u, "Temp") for u in os.listdir(users) if u != "Public"]
    temps = [t for t in temps if os.path.isdir(t) and not os.path.islink(t)]
    check(temps, "a temporary folder in the prefix")
    return next((t for t in temps if os.path.basename(os.path.dirname(t)) == user), temps[0])


def uninstall_string(s):
    row = s.checker(("reg", "HKCU", UNINSTALL_KEY, "UnInstallString"))[0]
    check(row[4] == "REG_SZ", "the uninstall entry names its program: %s" % row)
    return row[5]


class Launch:
    """A command line started inside the prefix as a deployment tool starts it (CreateProcessW,
    through the checker's launcher), whose whole 32-bit exit code is read from the process that
    was started, not wine's low 8 bits."""

    def __init__(self, s, command):
        exe = os.path.join(s.build, "tests", "e2e", "e2e_check.exe")
        if command.startswith("/"):
            # A program of the build, through the drive that maps the host's root.
            command = '"Z:%s"' % command.replace("/", "\\")
        self.proc = subprocess.Popen(["wine", exe, "launch"], env=s.env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                     encoding="utf-8")
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.close()
        line = self.proc.stdout.readline().strip()
        check(line.startswith("started\t"), "the launcher started %r: %r" % (command, line))

    def running(self):
        return self.proc.poll() is None

    def wait(self, timeout=60):
        """The started process's exit code once it has ended."""
        try:
            self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the started process did not end within %d s" % timeout)
        out = self.proc.stdout.read()
        lines = [x for x in out.splitlines() if x.startswith("exit\t")]
        check(lines, "the launcher read no exit code: %r" % out)
        return int(lines[0].split("\t")[1])


def start_uninstaller(s, command):
    process = Launch(s, command)
    box = wait_box(s, lambda b: any(t.replace("&", "") == "Yes" for _, _, t in b["items"]),
                   "the question of the uninstaller")
    check("remove Marlowind instant messenger and all of its components" in box_text(box),
          "the question asks about removing the messenger: %r" % box_text(box))
    return process, box


def answer_yes(s, command, shot):
    """Runs the uninstaller, clicks Yes, and returns the text of its final box after OK."""
    first, box = start_uninstaller(s, command)
    s.screenshot(shot + "-question")
    click_box_button(s, box, "Yes")
    final = wait_box(s, lambda b: any(t.replace("&", "") == "OK" for _, _, t in b["items"]),
                     "the outcome of the uninstaller", timeout=120)
    text = box_text(final)
    s.screenshot(shot + "-outcome")
    check(first.running(), "the started uninstaller waits while the outcome shows")
    click_box_button(s, final, "OK")
    code = first.wait(30)
    want = 0 if text == REMOVED else 1603
    check(code == want, "the started uninstaller's exit code is %d, the outcome's %d" % (code, want))
    wait_for(lambda: not any(b["hwnd"] == final["hwnd"] for b in boxes(s)), 20,
             "the outcome box to close", 0.5)
    wait_for(lambda: not [p for p in s.processes() if "marlowinduninstall." in p[2].lower()], 30,
             "the uninstaller's copy to end", 0.5)
    print("outcome:", text)
    return text


def table_rows(s):
    rows = []
    for line in open(TABLE, encoding="utf-8"):
        line = line.rstrip("\n")
        if line and not line.startswith("#"):
            rows.append([expand(s, x) for x in line.split("\t")])
    return rows


def installation_left(s, keep=()):
    """What of the installation is still there (paths in `keep` are expected and skipped)."""
    left = []
    rows = table_rows(s)
    queries = [("reg", f[1], f[2], f[3]) for f in rows if f[0] == "reg"]
    for a in s.checker(*queries):
        if a[0] == "reg" and a[4] != "missing":
            left.append("registry %s\\%s %s" % (a[1], a[2], a[3]))
    for f in rows:
        if f[0] in ("file", "absent", "link") and f[1] not in keep and \
                os.path.lexists(s.host_path(f[1])):
            left.append(f[1])
        if f[0] == "process" and s.running(f[1]):
            left.append("running " + f[1])
    for key in (UNINSTALL_KEY, "Software\\Marlowind\\Config", "Software\\Marlowind"):
        r = subprocess.run(["wine", "reg", "query", "HKCU\\" + key], env=s.env, capture_output=True)
        if r.returncode == 0:
            left.append("key HKCU\\" + key)
    for folder in ("{PF}\\Marlowind", "{PD}\\Marlowind", "{PROGRAMS}\\Marlowind"):
        if expand(s, folder) not in keep and os.path.isdir(s.host_path(expand(s, folder))):
            left.append("folder " + expand(s, folder))
    return left


def put_user_files(s):
    for f in USER_FILES:
        with open(s.host_path(expand(s, f)), "w") as out:
            out.write("the user's own\n")


def pending_removals(s):
    r = subprocess.run(["wine", "reg", "query",
                        "HKLM\\System\\CurrentControlSet\\Control\\Session Manager",
                        "/v", "PendingFileRenameOperations"], env=s.env, capture_output=True,
                       text=True)
    return r.stdout


def stage_folders(s):
    """Folders of uninstaller copies in the temporary folders of the prefix's users."""
    found = []
    users = os.path.join(s.prefix, "drive_c", "users")
    for user in os.listdir(users):
        for temp in (os.path.join(users, user, "Temp"),
                     os.path.join(users, user, "AppData", "Local", "Temp")):
            if os.path.isdir(temp) and not os.path.islink(temp):
                found += [os.path.join(temp, e) for e in os.listdir(temp)
                          if e.lower().startswith("marlowinduninstall.")]
    return found


# --- scenarios ---------------------------------------------------------------------------
def scenario_uninstall_no(s):
    install_with_wizard(s)
    process, box = start_uninstaller(s, uninstall_string(s))
    s.screenshot("uninstall-no-question")
    click_box_button(s, box, "No")
    code = process.wait(30)
    check(code == 1602, "No ends the uninstaller with exit code 1602, not %d" % code)
    time.sleep(1)
    check(not [b for b in boxes(s) if b["title"] == CAPTION], "No shows nothing more")
    harness.check_expected_install(s)
    print("No leaves the installation as it was")


def scenario_uninstall_yes(s):
    # Usually follows uninstall_no, which leaves a complete installation; run alone, it installs
    # first. The messenger the wizard started ended with that scenario's Wine session; start it
    # again as a user would.
    print("desktop:", harness.desktop_layout(s))
    if not os.path.isfile(s.host_path(messenger(s))):
        install_with_wizard(s)
    if not s.running(messenger(s)):
        start_program(s, messenger(s))
    start_program(s, updater(s))
    # The placeholder updater shows a box of its own in the middle of the screen, where the
    # uninstaller's boxes come up: put it aside, still on screen.
    wait_for(lambda: probe(s, "move", "Marlowind updater", "860", "860").strip() == "moved", 30,
             "the updater's box", 0.5)
    put_user_files(s)
    # Another program's value and subkey below the uninstall entry.
    entry = "HKCU\\" + UNINSTALL_KEY
    for key, value in ((entry, "InstallSource"), (entry + "\\Patches", "KB1")):
        subprocess.run(["wine", "reg", "add", key, "/v", value, "/t", "REG_SZ", "/d", "theirs",
                        "/f"], env=s.env, capture_output=True, check=True)
    text = answer_yes(s, uninstall_string(s), "uninstall-yes")
    check(text == REMOVED, "the outcome says everything was removed: %r" % text)
    kept = [expand(s, f) for f in USER_FILES] + [expand(s, "{PF}\\Marlowind"),
                                                 expand(s, "{PD}\\Marlowind")]
    left = installation_left(s, keep=kept)
    check(left == ["key " + entry], "left behind:\n  " + "\n  ".join(left))
    for key, value in ((entry, "InstallSource"), (entry + "\\Patches", "KB1")):
        r = subprocess.run(["wine", "reg", "query", key, "/v", value], env=s.env,
                           capture_output=True, text=True)
        check(r.returncode == 0 and "theirs" in r.stdout,
              "the other program's %s\\%s stays with the entry's key" % (key, value))
    subprocess.run(["wine", "reg", "delete", entry, "/f"], env=s.env, capture_output=True)
    check(not s.running(messenger(s)), "the messenger is gone")
    check(not s.running(updater(s)), "the updater is closed")
    for f in USER_FILES:
        path = s.host_path(expand(s, f))
        check(os.path.isfile(path), "the user's file stays: " + f)
    for folder in ("{PF}\\Marlowind", "{PD}\\Marlowind"):
        entries = os.listdir(s.host_path(expand(s, folder)))
        check(len(entries) == 1, "%s holds only the user's file: %s" % (folder, entries))
    check("marlowinduninstall." in pending_removals(s).lower(),
          "the uninstaller's copy is scheduled for removal at the next start")
    print("Yes removes the installation; the user's files stay with their folders, another "
          "program's value and subkey with the entry's key")


def scenario_uninstall_second(s):
    # Follows uninstall_yes: nothing of the installation is left; a second run is harmless.
    exe = os.path.join(s.build, "payloads", "UninstallMW.exe")
    # Wine carries out the removals scheduled for a restart when its server starts anew (the
    # first program of the session, here the checker, waits for that).
    s.processes()
    check(not stage_folders(s), "the first run's copy is gone after the restart: %s"
          % stage_folders(s))
    check("marlowinduninstall." not in pending_removals(s).lower(),
          "no removal of the first run's copy is still pending")
    # Named like earlier stages: a folder with a file of the user's beside a copy, and a link to
    # a folder that holds nothing but a copy. Neither is a stage of this uninstaller.
    temp = user_temp(s)
    planted = os.path.join(temp, "MarlowindUninstall.1.0")
    target = s.scratch("e2e-stage-target")
    link = os.path.join(temp, "MarlowindUninstall.2.0")
    for path in (planted, target):
        shutil.rmtree(path, ignore_errors=True)
        os.makedirs(path)
    for path in (os.path.join(planted, "UninstallMW.exe"), os.path.join(planted, "notes.txt"),
                 os.path.join(target, "UninstallMW.exe")):
        with open(path, "w") as out:
            out.write("the user's own\n")
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(target, link)
    text = answer_yes(s, exe, "uninstall-second")
    check(text == REMOVED, "a second run reports nothing left to fail: %r" % text)
    check(sorted(os.listdir(planted)) == ["UninstallMW.exe", "notes.txt"],
          "the folder named like a stage is left whole: %s" % os.listdir(planted))
    check(os.path.islink(link) and os.listdir(target) == ["UninstallMW.exe"],
          "the link named like a stage and its target are left alone")
    os.remove(link)
    shutil.rmtree(planted)
    shutil.rmtree(target)
    kept = [expand(s, f) for f in USER_FILES] + [expand(s, "{PF}\\Marlowind"),
                                                 expand(s, "{PD}\\Marlowind")]
    left = installation_left(s, keep=kept)
    check(not left, "a second run created or left:\n  " + "\n  ".join(left))
    for f in USER_FILES:
        check(os.path.isfile(s.host_path(expand(s, f))), "the user's file still stays: " + f)
        os.remove(s.host_path(expand(s, f)))
    reset_install(s)
    print("a second run changes nothing and reports success")


def scenario_uninstall_partial(s):
    install_with_wizard(s)
    for f in ("{PF}\\Marlowind\\Ririvud", "{PD}\\Marlowind\\wall3.png",
              "{DESKTOP}\\Marlowind.lnk", "{PROGRAMS}\\Marlowind\\License.lnk"):
        os.remove(s.host_path(expand(s, f)))
    with open(s.host_path(expand(s, "{PF}\\Marlowind\\Marlowind.zip")), "wb") as out:
        out.write(b"\x78\x01 an interrupted install")
    for key, value in (("HKCU\\Software\\Marlowind", "IsFirstTime"),
                       ("HKCU\\SOFTWARE\\Marlowind\\Config", "showclock"),
                       ("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "MarloWind")):
        subprocess.run(["wine", "reg", "delete", key, "/v", value, "/f"], env=s.env,
                       capture_output=True)
    text = answer_yes(s, uninstall_string(s), "uninstall-partial")
    check(text == REMOVED, "a partial installation goes without complaint: %r" % text)
    left = installation_left(s)
    check(not left, "left behind:\n  " + "\n  ".join(left))
    print("a partial installation is removed without complaint")


def scenario_uninstall_held(s):
    install_with_wizard(s)
    licence = expand(s, "{PF}\\Marlowind\\License.txt")
    uninstaller = expand(s, "{PF}\\Marlowind\\UninstallMW.exe")
    exe = os.path.join(s.build, "tests", "e2e", "e2e_uninstall_probe.exe")
    holder = subprocess.Popen(["wine", exe, "hold", licence], env=s.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True)
    try:
        check(holder.stdout.readline().strip() == "held", "a process holds the licence open")
        text = answer_yes(s, uninstall_string(s), "uninstall-held")
        check(text.startswith(NOT_REMOVED), "the outcome says the removal is incomplete: %r" % text)
        check(licence in text, "the outcome names the file in use: %r" % text)
        check(text.count("Marlowind\\") == 1, "only the file in use is listed: %r" % text)
        check(KEPT in text, "the outcome says the uninstaller and its entry stay: %r" % text)
        left = installation_left(s, keep=[licence, uninstaller, expand(s, "{PF}\\Marlowind")])
        entry = [x for x in left if UNINSTALL_KEY in x]
        check(len(entry) == 8, "the uninstall entry stays with its seven values: %s" % entry)
        others = [x for x in left if UNINSTALL_KEY not in x]
        check(not others, "left behind besides the file in use:\n  " + "\n  ".join(others))
        for path in (licence, uninstaller):
            check(os.path.isfile(s.host_path(path)), "still there: " + path)
        check(uninstall_string(s).lower() == uninstaller.lower(),
              "the entry still names the installed uninstaller")
    finally:
        holder.kill()
        holder.wait()
    # The program that held the file is closed; the user runs the entry's command again.
    text = answer_yes(s, uninstall_string(s), "uninstall-held-again")
    check(text == REMOVED, "the second run finishes the removal: %r" % text)
    left = installation_left(s)
    check(not left, "left behind after the second run:\n  " + "\n  ".join(left))
    s.stop_wine()
    reset_install(s)
    print("a file held open is reported by name and keeps the uninstaller and its entry; "
          "the entry's command run again removes the rest")


# --- killed at any moment ----------------------------------------------------------------
RECORD = "{PF}\\Marlowind\\MarlowindSetup.transaction"
# Moments after the Install click, in seconds: before the file steps, amid the staging and its
# pauses, around the swap, amid the links and registry values, after the end. A run may take a
# share of them (--share K/N: every Nth from the Kth), another prefix the rest.
KILL_MOMENTS = (0.0, 0.08, 0.16, 0.2, 0.24, 0.32, 0.45, 0.6, 0.9)


def kill_moments(s):
    k, n = (int(x) for x in s.share.split("/"))
    check(0 <= k < n, "a share K/N with K below N: " + s.share)
    return KILL_MOMENTS[k::n]


def record_state(s):
    """What the record of a transaction cut short shows (None when there is none)."""
    path = s.host_path(expand(s, RECORD))
    if not os.path.exists(path):
        return None
    lines = open(path, "rb").read().decode("utf-16-le", "replace").split("\n")
    marks = [x for x in lines if x in ("swap", "undo")]
    return {"swap": "amid the swap", "undo": "amid an undo"}[marks[-1]] if marks else "staging"


def prefix_processes(s):
    """Ids of the host processes that run in this session's prefix."""
    found = []
    for entry in os.listdir("/proc"):
        try:
            with open("/proc/%s/environ" % entry, "rb") as f:
                if ("WINEPREFIX=" + s.prefix).encode() in f.read().split(b"\0"):
                    found.append(int(entry))
        except (OSError, ValueError):
            pass
    return found


def kill_prefix(s):
    """Ends every process of the prefix at once with SIGKILL, as a power cut ends them: no
    program gets to unwind."""
    subprocess.run(["wineserver", "-k9"], env=s.env)
    subprocess.run(["wineserver", "-w"], env=s.env)
    # The prefix's own services (explorer, services.exe, ...) outlive a server killed this way,
    # cut off from it: they are ended by their ids, or they pile up with every kill.
    for pid in prefix_processes(s):
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    s.installer = None
    s.checker_proc = None
    s.keep_server()


def stray_names(s, user_files):
    """Names in the two folders that are neither in the table of an installation nor the
    user's own."""
    allowed = {expand(s, f).lower() for f in user_files}
    allowed |= {f[1].lower() for f in table_rows(s) if f[0] == "file"}
    stray = []
    for folder in ("{PF}\\Marlowind", "{PD}\\Marlowind"):
        path = s.host_path(expand(s, folder))
        for name in sorted(os.listdir(path)) if os.path.isdir(path) else []:
            windows = expand(s, folder) + "\\" + name
            if windows.lower() not in allowed:
                stray.append(windows)
    return stray


def click_through_install(s):
    """Install, Close; the messenger the Close started runs."""
    harness.start_and_press_install(s)
    s.wait_page(4, timeout=120)
    s.click_button("close")
    check(s.wait_exit() == 0, "the installer ended with exit code 0")
    s.installer = None
    wait_for(lambda: s.running(messenger(s)), 30, "the installed messenger", 0.5)


def scenario_install_killed(s):
    install_with_wizard(s)
    put_user_files(s)
    cut = 0
    moments = kill_moments(s)
    for moment in moments:
        harness.start_and_press_install(s)
        time.sleep(moment)
        kill_prefix(s)
        state = record_state(s)
        cut += state is not None
        print("killed %.2f s after Install: %s" % (
            moment, "a transaction cut short, " + state if state else "no transaction under way"))
        click_through_install(s)
        harness.check_expected_install(s)
        stray = stray_names(s, USER_FILES)
        check(not stray, "after the kill at %.2f s, stray names:\n  %s" % (moment, "\n  ".join(stray)))
    print("%d of %d kills cut a transaction short; each next install left one whole "
          "installation" % (cut, len(moments)))
    text = answer_yes(s, uninstall_string(s), "install-killed-uninstall")
    check(text == REMOVED, "the uninstaller removed everything: %r" % text)
    check_only_user_files_left(s)


def check_only_user_files_left(s):
    kept = [expand(s, f) for f in USER_FILES] + [expand(s, "{PF}\\Marlowind"),
                                                 expand(s, "{PD}\\Marlowind")]
    left = installation_left(s, keep=kept)
    check(not left, "left behind:\n  " + "\n  ".join(left))
    for folder in ("{PF}\\Marlowind", "{PD}\\Marlowind"):
        entries = os.listdir(s.host_path(expand(s, folder)))
        check(len(entries) == 1, "%s holds only the user's file: %s" % (folder, entries))


def scenario_uninstall_killed(s):
    install_with_wizard(s)
    put_user_files(s)
    # An installation made a while ago: its registry values are on disk (Wine's server keeps
    # them in memory until it saves them, and a server killed with the rest saves nothing).
    s.stop_wine()
    # A program holds the licence open: the uninstaller retries it for a second, after it has
    # removed the programs and before anything of the rest, and is killed meanwhile.
    licence = expand(s, "{PF}\\Marlowind\\License.txt")
    exe = os.path.join(s.build, "tests", "e2e", "e2e_uninstall_probe.exe")
    holder = subprocess.Popen(["wine", exe, "hold", licence], env=s.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True)
    check(holder.stdout.readline().strip() == "held", "a process holds the licence open")
    command = uninstall_string(s)
    first, box = start_uninstaller(s, command)
    click_box_button(s, box, "Yes")
    wait_for(lambda: not os.path.exists(s.host_path(messenger(s))), 60,
             "the uninstaller to remove the messenger", 0.02)
    time.sleep(0.3)
    kill_prefix(s)
    holder.wait()
    first.proc.wait()
    check(os.path.isfile(s.host_path(licence)), "the kill came amid the removal")
    text = answer_yes(s, uninstall_string(s), "uninstall-killed-again")
    check(text == REMOVED, "the second run finishes the removal: %r" % text)
    check_only_user_files_left(s)
    check(len(stage_folders(s)) <= 1, "the killed run's stage is removed: %s" % stage_folders(s))
    print("the uninstaller killed amid the removal, run again, finishes it")


def visible_windows(s):
    """{hwnd: "pid class title"} of the prefix's visible top-level windows."""
    return {r[2]: "%s %s %s" % (r[1], r[10], r[11] if len(r) > 11 else "")
            for r in s.windows() if r[0] == "window" and r[3] == "1"}


def scenario_uninstall_quiet(s):
    """The entry's QuietUninstallString, read from the registry and started as it stands, as a
    deployment tool or a package manager starts it: no window at any moment, every part of the
    installation gone by the time the started process ends, exit code 0."""
    # Installed as a tool installs it, then the messenger started as its user starts it.
    from silent_e2e import silent
    reset_install(s)
    check(silent(s, "/S")[0] == 0, "the silent install ended with 0")
    start_program(s, messenger(s))
    wait_for(lambda: any("MarlowindMessenger" in w for w in visible_windows(s).values()), 30,
             "the messenger's window")
    harness.check_expected_install(s)
    row = s.checker(("reg", "HKCU", UNINSTALL_KEY, "QuietUninstallString"))[0]
    uninstaller = expand(s, "{PF}\\Marlowind\\UninstallMW.exe")
    check(row[4] == "REG_SZ" and row[5] == '"%s" /S' % uninstaller,
          "the entry's QuietUninstallString: %s" % row)
    before = visible_windows(s)
    launched = Launch(s, row[5])
    seen, polls = {}, 0
    while launched.running():
        for hwnd, what in visible_windows(s).items():
            if hwnd not in before:
                seen[hwnd] = what
        polls += 1
    code = launched.wait()
    left = installation_left(s)
    check(code == 0, "the quiet uninstall's exit code: %d" % code)
    check(not left, "still there when the started process ended:\n  " + "\n  ".join(left))
    check(not seen, "windows shown by the quiet uninstall: %s" % sorted(seen.values()))
    check(polls >= 2, "the watcher looked at the windows while it ran (%d times)" % polls)
    print("QuietUninstallString as it stands: no window in %d looks, everything removed before "
          "its exit, code 0" % polls)


def scenario_winget_switches(s):
    """The generated manifest's own Silent and Log switches, as winget passes them to the
    installer it downloaded (<LOGPATH> a path with a space), install with no window."""
    out = s.scratch("winget")
    subprocess.run([os.path.join(s.source, "scripts", "winget-manifest"), "--out", out,
                    "--installer", s.installer_exe], check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(out, "Marlowind.Marlowind.installer.yaml"), encoding="utf-8") as f:
        switches = yaml.safe_load(f)["InstallerSwitches"]
    log = expand(s, "{PD}\\Deploy logs\\winget install.log")
    os.makedirs(os.path.dirname(s.host_path(log)), exist_ok=True)
    if os.path.exists(s.host_path(log)):
        os.remove(s.host_path(log))
    reset_install(s)
    installer = '"Z:%s"' % s.installer_exe.replace("/", "\\")
    command = "%s %s %s" % (installer, switches["Silent"], switches["Log"].replace("<LOGPATH>", log))
    code, took = s.run_deployed(command)
    check(code == 0, "%s: exit code %d" % (command, code))
    harness.check_expected_install(s, messenger_runs=False)
    check(os.path.getsize(s.host_path(log)) > 0, "the log at " + log)
    print("the manifest's switches %r install in %.1f s, the log at %s" % (command, took, log))


def wizard_pages(s, shot):
    """The whole wizard in the session's language and display scale, every page kept as
    <shot>-page<n>: Next, the radio, Next, Install, Close; the installed messenger runs."""
    s.start_installer()
    s.check_pair()
    s.wait_page(1, save=shot + "-page1")
    s.click_button("next")
    s.wait_page(2)
    s.click_spot(harness.RADIO)
    wait_for(lambda: s.page_state()["radio_on"], 5, "the radio agreed")
    s.wait_page(2, save=shot + "-page2")
    s.click_button("next")
    s.wait_page(3, timeout=30, save=shot + "-page3")
    s.click_button("install")
    s.wait_page(4, timeout=120, save=shot + "-page4")
    s.click_button("close")
    check(s.wait_exit() == 0, "the installer ended with exit code 0")
    s.installer = None
    wait_for(lambda: s.running(messenger(s)), 30, "the installed messenger", 0.5)


def installed_names(s):
    """The installation's files with their bytes and the links' folders' names: what an install
    in another language must leave exactly as the first did."""
    names = harness.installed_files(s)
    for folder in ("{DESKTOP}", "{PROGRAMS}", "{PROGRAMS}\\Marlowind"):
        path = s.host_path(expand(s, folder))
        names[folder] = sorted(e for e in os.listdir(path) if "marlowind" in e.lower() or
                               folder.endswith("Marlowind"))
    return names


def uninstall_in_language(s, shot):
    """The installed uninstaller in the session's language: its question and outcome read in
    that language (kept as <shot>-question and -outcome); Yes removes everything."""
    caption = s.texts["UninstallCaption"]
    process = subprocess.Popen(["wine", uninstall_string(s)], env=s.env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    box = wait_box(s, lambda b: 6 in b["ids"], "the question in %s" % s.lang, caption=caption)
    check(s.texts["UninstallConfirm"] in box_text(box), "the question: %r" % box_text(box))
    s.screenshot(shot + "-question")
    click_box_id(s, box, 6)
    final = wait_box(s, lambda b: 1 in b["ids"], "the outcome in %s" % s.lang, timeout=120,
                     caption=caption)
    check(box_text(final) == s.texts["UninstallRemoved"], "the outcome: %r" % box_text(final))
    s.screenshot(shot + "-outcome")
    click_box_id(s, final, 1)
    wait_for(lambda: not any(b["hwnd"] == final["hwnd"] for b in boxes(s)), 20,
             "the outcome box to close", 0.5)
    # The started process ends once the removal it waits for has been reported.
    check(process.wait(30) == 0, "the uninstaller's exit code")
    wait_for(lambda: not [p for p in s.processes() if "marlowinduninstall." in p[2].lower()], 30,
             "the uninstaller's copy to end", 0.5)
    left = installation_left(s)
    check(not left, "left behind in %s:\n  %s" % (s.lang, "\n  ".join(left)))


def languages_run(s, tags, dpi=96):
    """The wizard in each language of `tags` at `dpi`: every page kept as
    lang-<tag>[-<dpi>]-page<n>; each install leaves what the table of an install says
    (expected_install.tsv) and the same names and bytes as the run's first, replacing the one
    before; in German, Japanese and Arabic (at 96 DPI) the uninstaller then asks and reports in
    the language and removes it all."""
    if dpi != 96:
        harness.set_dpi(s, dpi)
    reset_install(s)
    first = None
    for tag in tags:
        s.set_language(tag)
        wizard_pages(s, "lang-" + tag + ("" if dpi == 96 else "-%d" % dpi))
        harness.check_expected_install(s)
        names = installed_names(s)
        first = first or names
        check(names == first, "%s installed other names or bytes than %s: %s" % (
            tag, tags[0], sorted(k for k in set(names) | set(first) if names.get(k) != first.get(k))))
        print("%s at %d DPI: every page shown, the installation as in English" % (tag, dpi))
        if dpi == 96 and tag in ("de", "ja", "ar"):
            uninstall_in_language(s, "uninstall-" + tag)
            print("%s: the uninstaller asked and reported in its language" % tag)


# The languages in three runs of a few minutes each: English and the Latin ones of western
# Europe and Brazil; Turkish and the languages of other scripts; Japanese and Arabic at 200 %.
def scenario_languages(s):
    languages_run(s, ("en", "de", "fr", "es", "pt-BR"))


def scenario_languages_scripts(s):
    languages_run(s, ("tr", "ru", "ja", "zh-CN", "ar"))


def scenario_languages_200(s):
    languages_run(s, ("ja", "ar"), dpi=192)


SCENARIOS = {"uninstall_no": scenario_uninstall_no,
             "uninstall_quiet": scenario_uninstall_quiet,
             "winget_switches": scenario_winget_switches, "uninstall_yes": scenario_uninstall_yes,
             "uninstall_second": scenario_uninstall_second,
             "uninstall_partial": scenario_uninstall_partial,
             "uninstall_held": scenario_uninstall_held,
             "install_killed": scenario_install_killed,
             "uninstall_killed": scenario_uninstall_killed, "languages": scenario_languages,
             "languages_scripts": scenario_languages_scripts,
             "languages_200": scenario_languages_200}


if __name__ == "__main__":
    sys.exit(harness.run_scenario(SCENARIOS))
