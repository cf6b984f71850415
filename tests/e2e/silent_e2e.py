#!/usr/bin/python3
"""Unattended runs: the installer started the way a deployment tool starts it (a command line
with /S and /log as Intune or Configuration Manager pass it, through the checker's launcher, so
that the whole 32-bit exit code is read), with every window of the prefix watched during the
run (Session.run_deployed). Reuses the wizard's and the uninstaller's scenarios' helpers."""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import check, expand, reset_install, wait_for  # noqa: E402
from uninstall_e2e import (kill_prefix, messenger, put_user_files, record_state,  # noqa: E402
                           start_program, stray_names, USER_FILES)

LOGS = "{PD}\\Deploy Logs"


def deployed_copy(s, exe=None):
    """The installer copied where a deployment tool caches its packages (a path with a blank);
    its Windows path."""
    windows = expand(s, "{PD}\\Deploy Cache\\MarlowindSetup.exe")
    os.makedirs(os.path.dirname(s.host_path(windows)), exist_ok=True)
    shutil.copy(exe or os.path.join(s.build, "MarlowindSetup.exe"), s.host_path(windows))
    return windows


def silent(s, args, exe=None, timeout=120):
    """Runs the deployed copy with `args` as the whole rest of its command line."""
    code, took = s.run_deployed('"%s" %s' % (deployed_copy(s, exe), args), timeout)
    print("%s -> %d in %.1f s" % (args, code, took))
    return code, took


def log_text(s, windows_path):
    check(os.path.isfile(s.host_path(windows_path)), "the log was written: " + windows_path)
    return open(s.host_path(windows_path), "rb").read().decode("utf-8")


def check_log(text, *wanted):
    missing = [w for w in wanted if w not in text]
    check(not missing, "the log lacks %s:\n%s" % (missing, text))


def logs_folder(s, name=""):
    folder = expand(s, LOGS)
    os.makedirs(s.host_path(folder), exist_ok=True)
    return folder + ("\\" + name if name else "")


def installation(s):
    return harness.installed_files(s), record_state(s)


def scenario_silent_install(s):
    """A clean machine, then again over the installation with the messenger running; the log's
    paths as tools and people write them; an invalid switch; a silent run beside the wizard."""
    reset_install(s)
    log = logs_folder(s, "mw setup.log")
    code, _ = silent(s, '/S /log="%s"' % log)
    check(code == 0, "a silent install on a clean machine: exit code %d" % code)
    harness.check_expected_install(s, messenger_runs=False)
    pf = expand(s, "{PF}\\Marlowind\\")
    check_log(log_text(s, log), "Marlowind setup 1.0.1", '/S /log="%s"' % log,
              "Silent run: no window; the licence counts as accepted",
              "Staged %sMarlowind.exe.new" % pf, "Swapped in %sMarlowind.exe" % pf,
              "Link written: %s" % expand(s, "{DESKTOP}\\Marlowind.lnk"),
              "Registry value written: Software\\Marlowind\\InstallPath",
              "Outcome: installed, exit code 0")

    start_program(s, messenger(s))
    put_user_files(s)
    code, _ = silent(s, '-QUIET "/log=%s"' % log)
    check(code == 0, "a silent install over the installation: exit code %d" % code)
    check(not s.running(messenger(s)), "the running messenger was closed and not started again")
    harness.check_expected_install(s, messenger_runs=False)
    check(not stray_names(s, USER_FILES) and all(os.path.isfile(s.host_path(expand(s, f)))
                                                  for f in USER_FILES),
          "the installation and the user's files, nothing else")
    check_log(log_text(s, log), "Closing running copies of %sMarlowind.exe" % pf, " process ",
              "Outcome: installed, exit code 0")

    # Log paths, and switches that end the run before it changes anything.
    before = installation(s)
    unicode_log, bad_log = logs_folder(s, "Журнал ü 1.log"), logs_folder(s, "bad switch.log")
    for args, want, path, logged in (
            ('"/LOG=%s" /s' % unicode_log, 0, unicode_log, "Outcome: installed"),
            ('/S /log="%s"' % logs_folder(s, "no such folder\\x.log"), 1622, None, None),
            ('/S /log=""', 87, None, None),
            ('/S /Silent /log="%s"' % bad_log, 87, bad_log,
             "Error: The command line switch \"/Silent\" is not known"),
            ('/S /log="%s" /log="%s"' % (bad_log, logs_folder(s, "b.log")), 87, bad_log,
             "Outcome: failed, exit code 87")):
        code, took = silent(s, args)
        check(code == want, "%s: exit code %d, expected %d" % (args, code, want))
        if logged:
            check_log(log_text(s, path), logged)
        check(installation(s) == before, "%s changed the installation" % args)
    check(not os.path.exists(s.host_path(logs_folder(s, "no such folder"))),
          "a log in a missing folder makes no folder")

    # The wizard runs, another program is in front: a silent run ends with 1618, changing,
    # showing and writing nothing, and leaves the wizard behind that program.
    s.start_installer()
    other = subprocess.Popen(["wine", os.path.join(s.build, "tests", "e2e", "e2e_empty_window.exe")],
                             env=s.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    front = wait_for(lambda: (lambda f: f if f[2] == "EmptyWindow" else None)(
        s.checker(("foreground",))[0]), 30, "the other program in front", 0.2)
    check(other.poll() is None, "the other program runs")
    code, _ = silent(s, '/S /log="%s"' % logs_folder(s, "beside.log"))
    check(code == 1618, "beside the wizard: exit code %d" % code)
    check(s.checker(("foreground",))[0] == front, "the other program is still in front")
    check(not os.path.exists(s.host_path(logs_folder(s, "beside.log"))), "no log beside it")
    check(s.page_state()["page"] == 1 and installation(s) == before, "the wizard and the "
          "installation are as they were")
    s.stop_wine()

    # The same invalid switch, started by a person: a box names it, and the run ends with 87.
    s.installer = subprocess.Popen(["wine", s.installer_exe, "/bogus"], env=s.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    def box():
        rows = s.windows()
        for w in rows:
            if w[0] == "window" and w[10] == "#32770" and w[3] == "1" and w[11] == "Marlowind setup":
                return w, [r[2] for r in rows if r[0] == "text" and len(r) > 2 and r[1] == w[2]]
        return None
    box, texts = wait_for(box, 60, "the box naming the switch", 0.5)
    check(any("/bogus" in t for t in texts), "the box names the switch: %s" % texts)
    s.screenshot("invalid-switch")
    s.checker(("press-ok", box[2]))
    check(s.wait_exit() == 87, "the interactive run with an invalid switch ends with 87")
    check(installation(s) == before, "the invalid switch changed nothing")


def full_disk(s, folder):
    """Mounts a tmpfs over `folder` (host path) holding its files with 48 KiB to spare, as a
    disk about to fill; returns the command that takes it away again."""
    keep = s.scratch("e2e-full-disk")
    shutil.rmtree(keep, ignore_errors=True)
    shutil.copytree(folder, keep)
    size = sum(os.path.getsize(os.path.join(keep, f)) for f in os.listdir(keep)) + 48 * 1024
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % size, "tmpfs", folder], check=True)
    for f in os.listdir(keep):
        shutil.copy2(os.path.join(keep, f), folder)
    return ["umount", "-l", folder]


def scenario_silent_failures(s):
    """A damaged payload and a full disk: each its own code within seconds, no window, the
    earlier installation whole and the log naming the failure."""
    if not os.path.isfile(s.host_path(messenger(s))):
        reset_install(s)
        check(silent(s, "/S")[0] == 0, "the installation to fail over")
    before = installation(s)
    log = logs_folder(s, "failure.log")
    code, took = silent(s, '/S /log="%s"' % log,
                        exe=harness.damaged_copy(s, "MarlUpdate.zlib"))
    check(code == 1620 and took < 30, "a damaged payload: exit code %d after %.1f s" % (code, took))
    check(installation(s) == before, "the damaged run left the earlier installation whole")
    check_log(log_text(s, log), "Error: data error", "File steps undone",
              "Outcome: failed, exit code 1620")

    # The new files no longer fit beside the earlier ones on the install folder's disk.
    undo = full_disk(s, s.host_path(expand(s, "{PF}\\Marlowind")))
    try:
        # The earlier files are read through the new mount, not a cache of the old folder.
        s.stop_wine()
        code, took = silent(s, '/S /log="%s"' % log)
        after = installation(s)
    finally:
        s.stop_wine()
        subprocess.run(undo, check=True)
    check(code == 112 and took < 30, "a full disk: exit code %d after %.1f s" % (code, took))
    check(after == before, "the full disk left the earlier installation whole")
    check_log(log_text(s, log), "Error: Stream write error [system error 112: ",
              "Outcome: failed, exit code 112")
    harness.check_expected_install(s, messenger_runs=False)


# Where silent runs are killed: as soon as their log shows these lines, so that the kills land
# in each part of the run whatever the machine's speed (the log is written as the run goes).
SILENT_KILLS = ("Silent run", "Staged C:", "Swapped in", "Link written",
                "Registry value written: Software\\Marlowind\\InstallPath")


def kill_when_logged(s, log, line):
    """A function that waits until the log at `log` shows `line`, then kills the prefix."""
    def stop():
        host = s.host_path(log)
        wait_for(lambda: os.path.exists(host) and line in open(host, "rb").read().decode(
            "utf-8", "replace"), 60, "the log to show %r" % line, 0.002)
        kill_prefix(s)
    return stop


def scenario_silent_killed(s):
    """Silent runs killed at a few moments (wineserver -k 9, as a power cut), each followed by a
    silent run: one whole installation, the log up to the kill. Then a silent run with no
    display at all."""
    if not os.path.isfile(s.host_path(messenger(s))):
        reset_install(s)
        check(silent(s, "/S")[0] == 0, "an installation to kill runs over")
    log = logs_folder(s, "killed.log")
    command = '"%s" /S /log="%s"' % (deployed_copy(s), log)
    for line in SILENT_KILLS:
        s.stop_wine()
        if os.path.exists(s.host_path(log)):
            os.remove(s.host_path(log))
        s.run_deployed(command, stop=kill_when_logged(s, log, line))
        text = log_text(s, log)
        check(text.endswith("\r\n"), "the killed run's log holds whole lines up to the kill")
        print("killed after %r: %s; the log's last line: %s"
              % (line, record_state(s) or "no transaction under way", text.splitlines()[-1]))
        check(silent(s, "/S")[0] == 0, "the silent run after the kill ends with 0")
        harness.check_expected_install(s, messenger_runs=False)
        check(not stray_names(s, USER_FILES), "stray names after the kill")

    # No display at all: a server of its own, started without DISPLAY.
    s.stop_wine(restart=False)
    env = {k: v for k, v in s.env.items() if k != "DISPLAY"}
    code, took = s.run_deployed(command, env=env)
    print("with no display: exit code %d after %.1f s" % (code, took))
    check(code == 0, "a silent install with no display: exit code %d" % code)
    subprocess.run(["wineserver", "-w"], env=env)
    s.keep_server()
    harness.check_expected_install(s, messenger_runs=False)


SCENARIOS = {"silent_install": scenario_silent_install,
             "silent_failures": scenario_silent_failures,
             "silent_killed": scenario_silent_killed}


if __name__ == "__main__":
    sys.exit(harness.run_scenario(SCENARIOS))
