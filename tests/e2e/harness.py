#!/usr/bin/python3
"""Drives the real MarlowindSetup.exe under Wine as a person would: xdotool moves and clicks the
pointer, screenshots tell the pages apart, and a small checker program inside the prefix reads
windows, processes, links and registry values. One scenario per run (see SCENARIOS)."""
import argparse
import os
import re
import select
import shutil
import statistics
import subprocess
import sys
import time

from screen_watch import ScreenRows

# Client coordinates of the foreground page, and the background's figures, at 96 DPI; a
# session at another display scale scales them as the wizard does (Session.sc).
BUTTON_X = {"back": 30, "next": 110, "install": 110, "cancel": 200, "close": 200}
BUTTON_Y = 230
BUTTON_W, BUTTON_H = 78, 25
RADIO = (16, 211)
BARE_SPOT = (12, 210)
OFFSET = (135, 30)
PAGE_W, PAGE_H = 285, 260
WALL_W, WALL_H = 446, 365
DRAG_SPOT = (200, 15)
CLOSE_SPOT = (407, 21)
OPAQUE_SPOT = (60, 250)


# The display languages of the text tables, as LANG names them for Wine.
LANGUAGES = {"en": "en_US.UTF-8", "de": "de_DE.UTF-8", "fr": "fr_FR.UTF-8", "es": "es_ES.UTF-8",
             "pt-BR": "pt_BR.UTF-8", "ru": "ru_RU.UTF-8", "tr": "tr_TR.UTF-8",
             "ja": "ja_JP.UTF-8", "zh-CN": "zh_CN.UTF-8", "ar": "ar_SA.UTF-8"}
RIGHT_TO_LEFT = ("ar",)


def language_tag(lang):
    """The table a LANG picks, as the programs pick it: its language and region's, else its
    language's, else English (None: English)."""
    name = (lang or "").split(".")[0].replace("_", "-")
    for candidate in (name, name.split("-")[0]):
        for tag in LANGUAGES:
            if tag == candidate or LANGUAGES[tag].split(".")[0].replace("_", "-") == candidate:
                return tag
    return "pt-BR" if name.startswith("pt") else "en"


def texts(source, tag):
    """The text table of language `tag` (resources/lang/<tag>.tsv): id -> text."""
    table = {}
    for line in open(os.path.join(source, "resources", "lang", tag + ".tsv"), encoding="utf-8"):
        line = line.rstrip("\n")
        if line and not line.startswith("#") and "\t" in line:
            key, text = line.split("\t", 1)
            table[key] = text.replace("\\n", "\n")
    return table


# Exit codes of the installer (common/ExitCodes.h) as wine's own exit status gives them: their
# low 8 bits. Whole codes are read through the checker's launcher (Session.run_deployed).
EXIT_CANCELLED = 1602 & 0xFF
EXIT_FAILED = 1603 & 0xFF
EXIT_ALREADY_RUNNING = 1618 & 0xFF
EXIT_DAMAGED = 1620 & 0xFF


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(predicate, timeout, what, interval=0.1):
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(interval)


class Image:
    """A screenshot as raw RGB (from a binary PPM)."""

    def __init__(self, data):
        parts = []
        pos = 0
        while len(parts) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            end = pos
            while end < len(data) and not data[end:end + 1].isspace():
                end += 1
            parts.append(data[pos:end])
            pos = end
        check(parts[0] == b"P6" and pos < len(data), "a screenshot of the display (got %d bytes)"
              % len(data))
        self.width, self.height = int(parts[1]), int(parts[2])
        self.pixels = data[pos + 1:]

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def region(self, x, y, w, h):
        rows = []
        for yy in range(y, y + h):
            i = (yy * self.width + x) * 3
            rows.append(self.pixels[i:i + w * 3])
        return b"".join(rows)


class Session:
    def __init__(self, args):
        self.build = os.path.abspath(args.build)
        self.source = os.path.abspath(args.source)
        self.prefix = os.path.abspath(args.prefix)
        self.installer_exe = os.path.abspath(getattr(args, "installer", None) or
                                             os.path.join(self.build, "MarlowindSetup.exe"))
        baseline = getattr(args, "baseline", None)
        self.baseline = os.path.abspath(baseline) if baseline else None
        self.runs = getattr(args, "runs", 11)
        # The default e2e prefix keeps its screenshots in build/screenshots, every other one in
        # a folder of its own name there: prefixes run side by side, often the same scenario.
        tag = os.path.basename(self.prefix)
        self.shots = os.path.join(self.build, "screenshots", *([] if tag == "e2e-prefix" else [tag]))
        # Files the scenarios make outside the prefix carry its name for the same reason.
        self.scratch = lambda name: os.path.join(self.build, "%s-%s" % (name, tag))
        self.share = getattr(args, "share", "0/1")
        os.makedirs(self.shots, exist_ok=True)
        # The home folder scripts/wine-prefix made beside the prefix, which its profile links
        # lead into.
        self.home = self.prefix + "-home"
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH="win64", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", HOME=self.home)
        # The display language of the session's programs, as a user's session sets it: Wine
        # takes it from LANG.
        self.lang = getattr(args, "lang", None)
        self.xvfb = None
        # The display scale the prefix is set to (set_dpi); figures below are scaled to it.
        self.dpi = 96
        # A prefix with a display of its own (scripts/prefix-display) is driven there; other
        # prefixes' tests may run meanwhile on theirs.
        own = subprocess.run([os.path.join(self.source, "scripts", "prefix-display"), self.prefix,
                              "show"], capture_output=True, text=True).stdout.strip()
        if own:
            self.env["DISPLAY"] = own
        elif not self.env.get("DISPLAY"):
            self.start_xvfb()
        self.installer = None
        self.checker_proc = None
        self.folders = {}
        self.set_language(language_tag(self.lang), restart=False)
        self.keep_server()

    def set_language(self, tag, restart=True):
        """The display language of the session's programs from now on, the table `tag`'s (Wine
        reads it from LANG when its server starts; --lang's LANG when given): the wizard's
        texts, its caption and its direction follow."""
        self.lang_tag = tag
        self.env["LANG"] = self.lang if self.lang and tag == language_tag(self.lang) \
            else LANGUAGES[tag]
        for name in ("LC_ALL", "LC_MESSAGES", "LANGUAGE"):
            self.env.pop(name, None)
        self.texts = texts(self.source, tag)
        self.rtl = tag in RIGHT_TO_LEFT
        if restart:
            self.stop_wine()


    def lang_label(self):
        return ", " + self.lang if self.lang else ""

    def sc(self, v):
        """A 96-DPI figure at the session's scale, rounded as the wizard rounds it."""
        return (v * self.dpi + 48) // 96

    def scp(self, point):
        return tuple(self.sc(v) for v in point)

    def page_point(self, point):
        """A point of the page at 96 DPI at the session's scale; right to left, mirrored across
        the page as the wizard mirrors its layout."""
        x, y = self.scp(point)
        return (self.page_size()[0] - 1 - x if self.rtl else x, y)

    def button_left(self, x):
        """Where the button whose left is `x` at 96 DPI starts on the page."""
        left = self.sc(x)
        return self.page_size()[0] - left - self.sc(BUTTON_W) if self.rtl else left

    def page_size(self):
        """The page (the background's hole) at the session's scale: its edges scaled."""
        return (self.sc(OFFSET[0] + PAGE_W) - self.sc(OFFSET[0]),
                self.sc(OFFSET[1] + PAGE_H) - self.sc(OFFSET[1]))

    # --- display and input -------------------------------------------------------------
    def start_xvfb(self):
        # Xvfb takes a free display itself and writes its number to the pipe once it accepts
        # clients: sockets and locks left behind by an Xvfb that no longer runs take no number
        # away from it, as they did from a search over a fixed range.
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                      "1280x1024x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as pipe:
            number = pipe.readline().strip()
        if not number.isdigit():
            raise Failure("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number

    def xdotool(self, *args):
        r = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env,
                           capture_output=True, text=True)
        return r.stdout

    def window_geometry(self, name, width=None):
        """(x, y, w, h) of the visible window titled exactly `name` (of that width), or None."""
        for wid in self.xdotool("search", "--onlyvisible", "--name", "^%s$" % name).split():
            out = self.xdotool("getwindowgeometry", "--shell", wid)
            g = dict(line.split("=", 1) for line in out.split() if "=" in line)
            if not g:
                continue
            geo = (int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"]))
            if width is None or geo[2] == width:
                return geo
        return None

    def foreground(self):
        return self.window_geometry("SetupWizardH", self.page_size()[0])

    def background(self):
        # Titled with the caption of the session's language.
        return self.window_geometry(re.escape(self.texts["SetupCaption"]), self.sc(WALL_W))

    def press(self, x, y, button=1):
        self.xdotool("mousemove", x, y)
        time.sleep(0.05)
        self.xdotool("mousedown", button)
        time.sleep(0.05)

    def release(self, x, y, button=1):
        self.xdotool("mousemove", x, y)
        time.sleep(0.05)
        self.xdotool("mouseup", button)
        time.sleep(0.1)

    def click_spot(self, point, button=1):
        """Clicks a spot of the page given at 96 DPI, at its place at the session's scale and
        direction."""
        self.click_page(*self.page_point(point), button=button)

    def click_page(self, x, y, button=1):
        fx, fy, _, _ = self.foreground()
        self.press(fx + x, fy + y, button)
        self.release(fx + x, fy + y, button)

    def bare_click_changes_nothing(self):
        """Clicks the bare spot left of the radio's place; True when the page looks the same."""
        fx, fy, _, _ = self.foreground()
        # Two moves over the bare image first, so that no button still shows its hover face.
        for dx in (0, 1, 0):
            self.xdotool("mousemove", fx + BARE_SPOT[0] + dx, fy + BARE_SPOT[1])
            time.sleep(0.1)
        time.sleep(0.3)
        before = self.page_state()["page_pixels"]
        self.click_page(*BARE_SPOT)
        time.sleep(0.5)
        return self.page_state()["page_pixels"] == before

    def click_button(self, name, button=1):
        self.click_page(self.button_left(BUTTON_X[name]) + self.sc(BUTTON_W) // 2,
                        self.sc(BUTTON_Y) + self.sc(BUTTON_H) // 2, button)

    def key(self, *keys):
        """Keys typed on the keyboard, to whichever window has the focus."""
        for k in keys:
            self.xdotool("key", k)
            time.sleep(0.2)

    def screenshot(self, save=None):
        data = subprocess.run(["/usr/bin/import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env,
                              capture_output=True).stdout
        image = Image(data)
        if save:
            path = os.path.join(self.shots, save + ".ppm")
            with open(path, "wb") as f:
                f.write(data)
            subprocess.run(["/usr/bin/convert", path, path[:-4] + ".png"])
            os.remove(path)
        return image

    # --- what the page shows -------------------------------------------------------------
    def page_state(self, image=None):
        """The page as a person sees it: which buttons, the licence box, the radio."""
        geo = self.foreground()
        if not geo:
            return None
        image = image or self.screenshot()
        fx, fy = geo[0], geo[1]

        sc = self.sc

        def coloured(x, y):
            px, py = self.page_point((x, y))
            r, g, b = image.pixel(fx + px, fy + py)
            return max(r, g, b) - min(r, g, b) > 40 or max(r, g, b) < 160

        # Rows above and below the caption: the face's own colour.
        buttons = tuple(x for x in (30, 110, 200)
                        if sum(coloured(x + dx, BUTTON_Y + dy) for dx in range(10, 68, 4)
                               for dy in (4, 21)) > 20)
        # The panel's frame left of the licence box (right of it, right to left).
        frame = self.page_point((9, 120))
        licence = image.pixel(fx + frame[0], fy + frame[1]) == (192, 192, 192)
        radio = coloured(*RADIO)
        page = {(110, 200): 1, (30, 110, 200): 3 if not licence else 2, (200,): 4, (): 0}.get(buttons)
        return {"page": page, "buttons": buttons, "licence": licence, "radio_on": radio,
                "fg": geo, "page_pixels": image.region(fx, fy, *self.page_size())}

    def wait_page(self, page, timeout=15, save=None):
        def ready():
            s = self.page_state()
            return s if s and s["page"] == page else None
        state = wait_for(ready, timeout, "page %d" % page, 0.2)
        log("page", page)
        time.sleep(0.3)  # let the last repaint land before the picture is kept
        if save:
            state = self.page_state(self.screenshot(save))
        return state

    # --- the prefix ----------------------------------------------------------------------
    def checker(self, *queries, timeout=60):
        """Answers of the checker program, which stays running between queries."""
        if not self.checker_proc or self.checker_proc.poll() is not None:
            exe = os.path.join(self.build, "tests", "e2e", "e2e_check.exe")
            # What Wine says of a checker that ends early is kept for the failure's report.
            with open(self.scratch("checker-stderr"), "wb") as errors:
                self.checker_proc = subprocess.Popen(["wine", exe], env=self.env,
                                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                                     stderr=errors)
            self.checker_buffer = b""
        rows = []
        for q in queries:
            self.checker_proc.stdin.write(("\t".join(q) + "\n").encode())
            self.checker_proc.stdin.flush()
            while True:
                line = self.checker_line(timeout)
                if line == "end":
                    break
                rows.append(line.split("\t"))
        return rows

    def checker_line(self, timeout):
        fd = self.checker_proc.stdout.fileno()
        end = time.monotonic() + timeout
        while b"\n" not in self.checker_buffer:
            left = end - time.monotonic()
            ready = select.select([fd], [], [], max(left, 0))[0] if left > 0 else []
            if not ready:
                raise Failure("the checker program did not answer")
            chunk = os.read(fd, 65536)
            if not chunk:
                try:
                    code = self.checker_proc.wait(5)
                except subprocess.TimeoutExpired:
                    code = None
                with open(self.scratch("checker-stderr"), "rb") as errors:
                    said = errors.read().decode(errors="replace").strip().splitlines()[-12:]
                raise Failure("the checker program ended (exit code %s; its errors: %s)"
                              % (code, " | ".join(said) or "none"))
            self.checker_buffer += chunk
        line, self.checker_buffer = self.checker_buffer.split(b"\n", 1)
        return line.decode("utf-8", "replace").rstrip("\r")

    def folder(self, csidl):
        if csidl not in self.folders:
            self.folders[csidl] = self.checker(("folder", str(csidl)))[0][2]
        return self.folders[csidl]

    def host_path(self, windows_path):
        check(windows_path[1:3] == ":\\", "not a drive path: " + windows_path)
        path = os.path.join(self.prefix, "dosdevices", windows_path[0].lower() + ":")
        for part in windows_path[3:].split("\\"):
            match = [e for e in os.listdir(path) if e.lower() == part.lower()] \
                if os.path.isdir(path) else []
            path = os.path.join(path, match[0] if match else part)
        return path

    def processes(self):
        return [row for row in self.checker(("processes",)) if row[0] == "process"]

    def running(self, windows_path):
        return any(p[2].lower() == windows_path.lower() for p in self.processes())

    def windows(self):
        return self.checker(("windows",))

    def stop_wine(self, restart=True):
        """Ends every program of the prefix (the installer, messengers, the checker)."""
        subprocess.run(["wineserver", "-k"], env=self.env)
        subprocess.run(["wineserver", "-w"], env=self.env)
        self.installer = None
        self.checker_proc = None
        if restart:
            self.keep_server()

    def keep_server(self):
        """One server for the whole scenario, so that every Wine program starts quickly. It
        outlives its last program by a minute at most, and holds none of our output pipes (a
        test runner waits for those to close)."""
        subprocess.run(["wineserver", "-p60"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.start_desktop()

    def start_desktop(self):
        """Brings the new session's desktop up before a program of the test starts, as logging
        on does before a user starts anything. Wine starts the desktop process (explorer.exe)
        for the first program that asks for a window; when that program is the installer, the
        desktop now and then fails to open the display (about 1 session start in 30 under
        load) and the installer, left without a window, ends. Asked for by the checker first,
        the desktop came up in every one of 160 session starts."""
        self.checker(("windows",))

        def desktop_runs():
            return any(p[2].lower().endswith("\\explorer.exe") for p in self.processes())
        wait_for(desktop_runs, 30, "the session's desktop (explorer.exe)", 0.2)

    # --- the installer -------------------------------------------------------------------
    def start_installer(self, exe=None):
        """Starts `exe` (default: the installer the session runs, --installer or the build's)."""
        started = time.monotonic()
        self.installer = subprocess.Popen(["wine", exe or self.installer_exe], env=self.env,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # On screen: the foreground window is mapped and shows page 1's buttons. An installer
        # that ended first never shows one: say so at once, with its exit code.
        wait_for(self.installer_window_or_end, 60, "the wizard window", 0.02)

        def page_one():
            s = self.page_state()
            return s and s["page"] == 1
        wait_for(page_one, 30, "page 1", 0.05)
        return time.monotonic() - started

    def installer_window_or_end(self):
        """The wizard's foreground window once it shows; raises when the installer ended."""
        geo = self.foreground()
        code = self.installer.poll()
        if not geo and code is not None:
            raise Failure("the installer ended with exit code %s before its window showed" % code)
        return geo

    def wait_exit(self, timeout=20):
        try:
            code = self.installer.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the installer did not end")
        self.wait_gone(self.installer.args[-1])
        return code

    def wait_gone(self, exe):
        """Until no process of the prefix runs `exe`. Wine's server closes an ended program's
        handles a moment after its host process is gone (a loaded machine stretches that
        moment): a copy started meanwhile finds the first one's single-instance mutex still
        held, looks for its window in vain and ends, and nothing shows."""
        name = "\\" + os.path.basename(exe).lower()
        wait_for(lambda: not any(p[2].lower().endswith(name) for p in self.processes()), 20,
                 "%s to leave the prefix's process list" % os.path.basename(exe), 0.05)

    def wizard_report(self, proc):
        """For a failure: whether the wizard's process runs, and its windows as Windows sees
        them (class, visible, rectangle) beside what X shows."""
        code = proc.poll() if proc else None
        rows = [r for r in self.windows() if r[0] == "window" and
                r[10] in ("TSetupWizard", "TSetupWizardH", "#32770")]
        return "process %s; windows %s; on screen: wizard %s, background %s" % (
            "running" if code is None else "ended with %s" % code,
            [(r[10], "visible" if r[3] == "1" else "hidden", tuple(r[6:10])) for r in rows],
            self.foreground(), self.background())

    def check_pair(self):
        bg, fg = self.background(), self.foreground()
        check(bg and fg, "both windows are on screen")
        offset = self.scp(OFFSET)
        check((fg[0] - bg[0], fg[1] - bg[1]) == offset,
              "foreground at %s of the background, not %s" % ((fg[0] - bg[0], fg[1] - bg[1]), offset))
        return bg, fg

    def run_deployed(self, command, timeout=120, env=None, stop=None):
        """Runs the Windows command line `command` as a deployment tool does, through the
        checker's launcher (CreateProcessW, the line as it stands), and watches the prefix's
        windows the whole time: fails when any top-level window of the started program exists
        at any poll, hidden or shown. Returns (the whole 32-bit exit code, seconds taken). With
        `stop`, a function called once the program has started (one that kills it), the code is
        None; with `env` (no display) no window is watched."""
        exe = os.path.join(self.build, "tests", "e2e", "e2e_check.exe")
        started = time.monotonic()
        with open(self.scratch("launcher-stderr"), "wb") as errors:
            proc = subprocess.Popen(["wine", exe, "launch"], env=env or self.env,
                                    stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=errors)
        proc.stdin.write(command.encode("utf-8") + b"\n")
        proc.stdin.close()
        first = proc.stdout.readline().decode().split()
        if first[:1] != ["started"]:
            with open(self.scratch("launcher-stderr"), "rb") as errors:
                said = errors.read().decode(errors="replace").strip().splitlines()[-12:]
            raise Failure("the launcher did not start %r: %s (exit code %s; its errors: %s)"
                          % (command, first, proc.wait(), " | ".join(said) or "none"))
        pid, seen = first[1], []
        if stop:
            stop()
            proc.wait()
            return None, time.monotonic() - started
        while proc.poll() is None:
            if env is None:
                seen += [r for r in self.windows() if r[0] == "window" and r[1] == pid]
            else:
                time.sleep(0.05)
            if seen or time.monotonic() - started > timeout:
                proc.kill()
                check(not seen, "%r made windows (class, title, visible): %s"
                      % (command, sorted({(r[10], r[11], r[3]) for r in seen})))
                raise Failure("%r did not end within %d s" % (command, timeout))
        took = time.monotonic() - started
        last = proc.stdout.read().decode().split()
        check(last[:1] == ["exit"], "the launcher read an exit code: %s" % last)
        return int(last[1]), took

    def installer_windows(self):
        pid = None
        rows = self.windows()
        for r in rows:
            if r[0] == "window" and r[10] == "TSetupWizardH":
                pid = r[1]
        return [r for r in rows if r[0] == "window" and r[1] == pid], rows


# --- scenarios ---------------------------------------------------------------------------
def expand(s, text):
    return (text.replace("{PF}", s.folder(38)).replace("{PD}", s.folder(35))
            .replace("{DESKTOP}", s.folder(0)).replace("{PROGRAMS}", s.folder(23))
            .replace("{BUILD}", s.build).replace("{SOURCE}", s.source))


def desktop_layout(s):
    """Where the prefix's desktop leads, as "C:\\...\\Desktop -> <host folder>" (Wine's default
    profile links it into the home folder; a variant, to another drive). Fails on a desktop that
    is a plain folder: no user of Wine has one."""
    desktop = s.host_path(s.folder(0))
    link = os.path.join(s.prefix, "drive_c", "users", os.path.basename(os.path.dirname(desktop)),
                        os.path.basename(desktop))
    check(os.path.islink(link), "the desktop is Wine's link, not a plain folder: " + link)
    return "%s -> %s" % (s.folder(0), os.path.realpath(link))


def reset_install(s):
    for windows_path in ("{PF}\\Marlowind", "{PD}\\Marlowind", "{PROGRAMS}\\Marlowind",
                         "{PROGRAMS}\\Marlowind.lnk", "{DESKTOP}\\Marlowind.lnk"):
        path = s.host_path(expand(s, windows_path))
        if os.path.isdir(path) and not os.path.islink(path):
            shutil.rmtree(path)
        elif os.path.lexists(path):
            os.remove(path)


def check_expected_install(s, messenger_runs=True):
    """The prefix against the table; with `messenger_runs` false (a silent install starts
    nothing) the table's processes must not be running."""
    table = os.path.join(os.path.dirname(os.path.abspath(__file__)), "expected_install.tsv")
    problems = []
    queries, rows = [], []
    for line in open(table, encoding="utf-8"):
        line = line.rstrip("\n")
        if not line or line.startswith("#"):
            continue
        f = [expand(s, x) for x in line.split("\t")]
        rows.append(f)
        if f[0] == "reg":
            queries.append(("reg", f[1], f[2], f[3]))
        elif f[0] == "link":
            queries.append(("link", f[1]))
    answers = {}
    for a in s.checker(*queries):
        key = tuple(a[1:4]) if a[0] == "reg" else (a[1],)
        answers[key] = a
    running = [p[2].lower() for p in s.processes()]
    for f in rows:
        if f[0] == "file":
            path = s.host_path(f[1])
            if not os.path.isfile(path):
                problems.append("missing file " + f[1])
            elif open(path, "rb").read() != open(f[2], "rb").read():
                problems.append("file %s differs from %s" % (f[1], f[2]))
        elif f[0] == "absent":
            if os.path.lexists(s.host_path(f[1])):
                problems.append("left behind: " + f[1])
        elif f[0] == "reg":
            a = answers.get((f[1], f[2], f[3]))
            got = (a[4], a[5]) if a else ("no answer", "")
            if got != (f[4], f[5]):
                problems.append("registry %s\\%s %s: %s, expected %s" % (f[1], f[2], f[3], got, (f[4], f[5])))
        elif f[0] == "link":
            a = answers.get((f[1],))
            got = tuple(a[2:7]) if a else ("no answer",)
            want = ("ok", f[2], f[3], f[4], f[5] if len(f) > 5 else "")
            if tuple(x.lower() if i in (1, 2) else x for i, x in enumerate(got)) != \
                    tuple(x.lower() if i in (1, 2) else x for i, x in enumerate(want)):
                problems.append("link %s: %s, expected %s" % (f[1], got, want))
        elif f[0] == "process":
            if (f[1].lower() in running) != messenger_runs:
                problems.append(("not running: " if messenger_runs else "running: ") + f[1])
    check(not problems, "install state:\n  " + "\n  ".join(problems))
    print("install state: %d entries as expected" % len(rows))


def check_ended(s, how, messenger_starts=False, code=EXIT_CANCELLED):
    """The wizard ended by `how` with exit code `code` (default: closed before the install ran)
    and both its windows are gone; with `messenger_starts` (Close and Cancel open the installed
    messenger) the messenger runs."""
    got = s.wait_exit()
    check(got == code, "%s: exit code %s, expected %s" % (how, got, code))
    check(not s.foreground() and not s.background(), "%s: both windows gone" % how)
    if messenger_starts:
        messenger = expand(s, "{PF}\\Marlowind\\Marlowind.exe")
        wait_for(lambda: s.running(messenger), 30, "the messenger started by %s" % how, 0.5)


def scenario_happy(s):
    reset_install(s)
    # A copy of the messenger already running from the install folder.
    messenger = expand(s, "{PF}\\Marlowind\\Marlowind.exe")
    os.makedirs(os.path.dirname(s.host_path(messenger)))
    shutil.copy(os.path.join(s.build, "payloads", "Marlowind.exe"), s.host_path(messenger))
    old = subprocess.Popen(["wine", s.host_path(messenger)], env=s.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: s.running(messenger), 30, "the old messenger", 0.5)

    took = s.start_installer()
    print("first page on screen after %.2f s" % took)
    state = s.wait_page(1, save="page1")
    s.check_pair()
    mine, _ = s.installer_windows()
    on_taskbar = [w for w in mine if w[3] == "1" and w[4] == "0" and not int(w[5], 16) & 0x80]
    check([w[11] for w in on_taskbar] == [s.texts["SetupCaption"]],
          "one taskbar window titled Marlowind setup, got %s" % [w[11] for w in on_taskbar])
    for w in mine:
        if w[10] in ("TSetupWizardH", "TSetupWizard"):
            check(int(w[5], 16) & 0x8, w[10] + " is topmost")

    check(s.bare_click_changes_nothing(), "a click on page 1's bare image changed nothing")

    s.click_button("next")
    state = s.wait_page(2, save="page2")
    check(state["licence"] and not state["radio_on"], "page 2 shows the licence, not agreed")
    s.click_button("next")
    time.sleep(1.0)
    check(s.page_state()["page"] == 2, "Next without agreement stays on page 2")
    for want in (True, False, True):
        s.click_spot(RADIO)
        wait_for(lambda: s.page_state()["radio_on"] == want, 5, "radio %s" % want)
    s.screenshot("page2-agreed")
    s.click_button("back")
    s.wait_page(1)
    s.click_button("next")
    state = s.wait_page(2)
    check(state["licence"] and state["radio_on"], "back on page 2: licence reloaded, still agreed")
    check(s.running(messenger), "the old messenger still runs before page 3")
    s.click_button("next")
    s.wait_page(3, timeout=30, save="page3")
    check(not s.running(messenger), "the old messenger is gone once page 3 shows")
    old.wait(10)

    check(s.bare_click_changes_nothing(), "a click on page 3's bare image changed nothing")

    s.click_button("install")
    s.wait_page(4, timeout=120, save="page4")
    check(s.bare_click_changes_nothing(), "a click on page 4's bare image changed nothing")
    s.click_button("close")
    code = s.wait_exit()
    check(code == 0, "installer exit code %s" % code)
    wait_for(lambda: s.running(messenger), 30, "the installed messenger", 0.5)
    check_expected_install(s)


def scenario_cancel(s):
    for page in (1, 2, 3):
        s.start_installer()
        if page >= 2:
            s.click_button("next")
            s.wait_page(2)
        if page == 3:
            s.click_spot(RADIO)
            wait_for(lambda: s.page_state()["radio_on"], 5, "agreement")
            s.click_button("next")
            s.wait_page(3, timeout=30)
        s.click_button("cancel")
        # Cancel finishes as Close does: the messenger installed by the happy path starts.
        check_ended(s, "cancel on page %d" % page, messenger_starts=True)
        print("cancel on page %d ends the program and starts the installed messenger" % page)
        s.stop_wine()


def scenario_pointer(s):
    s.start_installer()
    # A right-button click works as a left one, on buttons and on the radio.
    s.click_button("next", button=3)
    s.wait_page(2)
    s.click_spot(RADIO, button=3)
    wait_for(lambda: s.page_state()["radio_on"], 5, "radio toggled by the right button")
    s.click_button("next")
    s.wait_page(3, timeout=30)
    # Press on Back, drag off the button, release elsewhere: Back still happens.
    fx, fy, _, _ = s.foreground()
    s.press(fx + BUTTON_X["back"] + 39, fy + BUTTON_Y + 12)
    s.xdotool("mousemove", fx + 150, fy + 120)
    time.sleep(0.1)
    s.release(fx + 150, fy + 150)
    s.wait_page(2)
    print("press, drag off and release elsewhere triggers the button")

    # Dragging the top strip moves both windows, the foreground kept in the hole.
    bg, _ = s.check_pair()
    s.press(bg[0] + DRAG_SPOT[0], bg[1] + DRAG_SPOT[1])
    for step in range(1, 6):
        s.xdotool("mousemove", bg[0] + DRAG_SPOT[0] + 12 * step, bg[1] + DRAG_SPOT[1] + 8 * step)
        time.sleep(0.05)
    s.release(bg[0] + DRAG_SPOT[0] + 60, bg[1] + DRAG_SPOT[1] + 40)
    moved = wait_for(lambda: (lambda b: b if b and b[:2] == (bg[0] + 60, bg[1] + 40) else None)(s.background()),
                     5, "the background moved by (60, 40)")
    time.sleep(0.3)
    s.check_pair()
    s.screenshot("dragged")
    print("dragging moves both windows: background now at", moved[:2])

    # A press on an opaque part outside the strip, moved and released, does nothing.
    bg = moved
    s.press(bg[0] + OPAQUE_SPOT[0], bg[1] + OPAQUE_SPOT[1])
    s.xdotool("mousemove", bg[0] + OPAQUE_SPOT[0] + 50, bg[1] + OPAQUE_SPOT[1] + 30)
    time.sleep(0.1)
    s.release(bg[0] + OPAQUE_SPOT[0] + 50, bg[1] + OPAQUE_SPOT[1] + 30)
    time.sleep(0.5)
    check(s.background()[:2] == bg[:2], "a press outside the strip moves nothing")
    check(s.page_state()["page"] == 2, "the wizard is still on page 2")
    s.check_pair()

    # A release on the close cross closes both windows and ends the program.
    s.press(bg[0] + CLOSE_SPOT[0], bg[1] + CLOSE_SPOT[1])
    s.release(bg[0] + CLOSE_SPOT[0], bg[1] + CLOSE_SPOT[1])
    check_ended(s, "close cross")
    print("the close cross ends the program")


def scenario_keyboard(s):
    """The whole install with the keyboard alone, then Escape on page 1 and Alt+F4."""
    s.start_installer()
    s.key("Return")
    s.wait_page(2)
    s.key("Return")
    time.sleep(1.0)
    check(s.page_state()["page"] == 2, "Return without agreement stays on page 2")
    s.key("space")
    wait_for(lambda: s.page_state()["radio_on"], 5, "Space to agree")
    s.key("alt+a")
    wait_for(lambda: not s.page_state()["radio_on"], 5, "Alt+A to disagree")
    s.key("alt+a")
    wait_for(lambda: s.page_state()["radio_on"], 5, "Alt+A to agree")
    # Back by the focus, and forward again.
    s.key("Left", "Return")
    s.wait_page(1)
    s.key("Return")
    s.wait_page(2)
    s.key("Tab", "Tab", "Return")   # Next -> Cancel -> Back, pressed: page 1
    s.wait_page(1)
    s.key("Return")
    s.wait_page(2)
    s.key("Return")
    s.wait_page(3, timeout=30, save="keys-page3")
    # Typed while the install runs: taken by nobody, so page 4 stays with its Close button.
    s.xdotool("key", "Return")
    s.xdotool("key", "Escape")
    s.wait_page(4, timeout=120, save="keys-page4")
    time.sleep(1.0)
    check(s.page_state()["page"] == 4 and s.installer.poll() is None,
          "keys typed during the install did nothing")
    s.key("Return")
    check_ended(s, "Return on Close", messenger_starts=True, code=0)
    check_expected_install(s)
    print("keyboard-only install done, the messenger started")
    s.stop_wine()

    s.start_installer()
    s.key("Escape")
    check_ended(s, "Escape on page 1", messenger_starts=True)
    print("Escape on page 1 ends the wizard as Cancel does")
    s.stop_wine()

    s.start_installer()
    s.key("Return")
    s.wait_page(2)
    s.key("alt+F4")
    check_ended(s, "Alt+F4")
    print("Alt+F4 closes both windows")


def scenario_second(s):
    """A second start while the wizard runs: it brings the first to the front and ends with 0."""
    s.start_installer()
    first = s.installer
    s.click_button("next")
    s.wait_page(2)
    exe = os.path.join(s.build, "MarlowindSetup.exe")
    second = subprocess.run(["wine", exe], env=s.env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, timeout=60)
    check(second.returncode == EXIT_ALREADY_RUNNING, "second start: exit code %s" % second.returncode)
    check(first.poll() is None, "the first wizard still runs")
    wizards = [w for w in s.windows() if w[0] == "window" and w[10] == "TSetupWizardH"]
    check(len(wizards) == 1, "one wizard window, found %d" % len(wizards))
    front = s.checker(("foreground",))[0]
    check(front[1] == wizards[0][1], "the first wizard is the active program, got %s" % front)
    state = s.page_state(s.screenshot("second-start"))
    check(state["page"] == 2, "the first wizard still shows page 2")
    s.check_pair()
    s.key("Escape")
    check(s.wait_exit() == EXIT_CANCELLED, "the first wizard's exit code after Escape")
    print("a second start ends with 1618 and leaves one wizard on screen")


def start_and_press_install(s, exe=None):
    """Starts the installer (the built one unless `exe` names another) and goes the shortest way
    to the Install button: Next, agree, Next, Install."""
    s.start_installer(exe)
    s.click_button("next")
    s.wait_page(2)
    s.click_spot(RADIO)
    wait_for(lambda: s.page_state()["radio_on"], 5, "agreement")
    s.click_button("next")
    s.wait_page(3, timeout=30)
    s.click_button("install")


def error_box(s):
    """The installer's visible message box and the texts of its children, or None."""
    mine, rows = s.installer_windows()
    for w in mine:
        if w[10] == "#32770" and w[3] == "1":
            return w, [r[2] for r in rows if r[0] == "text" and len(r) > 2 and r[1] == w[2]]
    return None


def expect_error_then_close(s, shot, wanted, code=EXIT_FAILED):
    """Waits for the error box after Install, checks its caption and that one of its texts
    passes `wanted`, answers it, checks that the wizard stays open without buttons and closes
    it with the close cross, which ends the program with the failure's `code`. Returns the
    message."""
    box, texts = wait_for(lambda: error_box(s), 60, "the error message box", 0.5)
    s.screenshot(shot)
    check(box[11] == s.texts["SetupCaption"], "message box caption %r" % box[11])
    message = [t for t in texts if wanted(t)]
    check(message, "message box texts %r" % texts)
    print("error shown:", message[0])
    s.checker(("press-ok", box[2]))
    wait_for(lambda: not error_box(s), 10, "the message box to close", 0.5)
    time.sleep(2)  # the screen under the closed box is repainted by then
    state = s.page_state(s.screenshot("after-" + shot))
    check(state and state["page"] == 0, "the wizard stays open with no buttons after the error")
    s.check_pair()
    check(s.installer.poll() is None, "the installer still runs")
    bg = s.background()
    s.press(bg[0] + CLOSE_SPOT[0], bg[1] + CLOSE_SPOT[1])
    s.release(bg[0] + CLOSE_SPOT[0], bg[1] + CLOSE_SPOT[1])
    got = s.wait_exit()
    check(got == code, "exit code %s after closing, expected the failure's %s" % (got, code))
    return message[0]


def scenario_failing(s):
    reset_install(s)
    # A file where the install folder should go: the folder can't be created.
    blocker = s.host_path(expand(s, "{PF}\\Marlowind"))
    with open(blocker, "w") as f:
        f.write("in the way\n")
    try:
        start_and_press_install(s)
        want = 'Cannot create file "%s\\Marlowind\\Marlowind.zip". ' % s.folder(38)
        expect_error_then_close(s, "install-error",
                                lambda t: t.startswith(want) and t.endswith("."))
    finally:
        s.stop_wine()
        os.remove(blocker)


def damaged_copy(s, stream_name):
    """A copy of the built installer in which one byte in the middle of the payload stream
    `stream_name` (as packed in payload-streams) is changed, the way a download goes wrong."""
    stream = open(os.path.join(s.build, "payload-streams", stream_name), "rb").read()
    exe = bytearray(open(os.path.join(s.build, "MarlowindSetup.exe"), "rb").read())
    at = exe.find(stream)
    check(at >= 0 and exe.find(stream, at + 1) < 0, "the stream lies once in the installer")
    exe[at + len(stream) // 2] ^= 0xFF
    folder = s.scratch("e2e-damaged")
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "MarlowindSetup.exe")
    with open(path, "wb") as f:
        f.write(exe)
    return path


def installed_files(s):
    """Names and bytes of everything in the two folders of the installation."""
    files = {}
    for folder in ("{PF}\\Marlowind", "{PD}\\Marlowind"):
        path = s.host_path(expand(s, folder))
        for name in sorted(os.listdir(path)):
            files[folder + "\\" + name] = open(os.path.join(path, name), "rb").read()
    return files


def scenario_damaged(s):
    reset_install(s)
    start_and_press_install(s)
    s.wait_page(4, timeout=120)
    s.click_button("close")
    check(s.wait_exit() == 0, "the good installer ended with exit code 0")
    messenger = expand(s, "{PF}\\Marlowind\\Marlowind.exe")
    wait_for(lambda: s.running(messenger), 30, "the installed messenger", 0.5)
    check_expected_install(s)
    before = installed_files(s)

    # The last payload stream, the updater, is the one damaged.
    start_and_press_install(s, damaged_copy(s, "MarlUpdate.zlib"))
    expect_error_then_close(s, "damaged-error", lambda t: t == "data error.", EXIT_DAMAGED)
    after = installed_files(s)
    check(after == before, "the installation's files changed: %s" % sorted(
        k for k in set(before) | set(after) if before.get(k) != after.get(k)))

    # Page 3 closed the messenger; the installation still starts and is whole.
    subprocess.Popen(["wine", s.host_path(messenger)], env=s.env,
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: s.running(messenger), 30, "the messenger started again", 0.5)
    check_expected_install(s)


# Rows the start-up benchmark reads across a window of the wallpaper's size (y at 96 DPI): the
# drag strip, the page's title, its first body line, the button captions, the panel's foot.
STARTUP_ROWS = (15, 38, 75, 272, 340)
# The start-up benchmark's floors: label, program in the build's tests/e2e, window title.
FLOORS = (("empty window", "e2e_empty_window.exe", "EmptyWindow"),
          ("window pair", "e2e_window_pair.exe", "WindowPair"))
FLOOR_WINDOWS = tuple(f[2] for f in FLOORS)


class StartupProgram:
    """One program the start-up benchmark times: how its window is found and closed."""

    def __init__(self, label, exe, window, close_spot, closed):
        self.label, self.exe, self.window = label, exe, window
        self.close_spot, self.closed = close_spot, closed
        self.times, self.firsts = [], []

    def rows(self, s, geo):
        return [(geo[0], geo[1] + s.sc(y), s.sc(WALL_W)) for y in STARTUP_ROWS]


def startup_programs(s):
    """The programs timed: the installer (and a baseline), then the two floors: an empty window
    of the wallpaper's size, and the bare window pair (the layered background with one blank
    picture and the page window in its hole)."""
    floors = os.path.join(s.build, "tests", "e2e")

    def wizard_closed(proc):
        check(proc.wait(20) == EXIT_CANCELLED, "the installer's exit code after the close cross")
        s.wait_gone(proc.args[-1])

    def floor_closed(proc):
        proc.wait(20)
    # The background is titled in the session's language.
    title = re.escape(s.texts["SetupCaption"])
    programs = [StartupProgram("first page", s.installer_exe, title,
                               s.scp(CLOSE_SPOT), wizard_closed)]
    if s.baseline:
        programs.append(StartupProgram("first page (%s)" % os.path.basename(os.path.dirname(
            s.baseline)), s.baseline, title, s.scp(CLOSE_SPOT), wizard_closed))
    middle = (s.sc(WALL_W) // 2, s.sc(WALL_H) // 2)
    for label, exe, window in FLOORS:
        programs.append(StartupProgram(label, os.path.join(floors, exe), window, middle,
                                       floor_closed))
    return programs


def startup_settle(s, screen, program):
    """Starts the program untimed and learns where its window lies, what the screen shows there
    before it (rows) and once its first page has settled."""
    s.xdotool("mousemove", 0, 0)
    proc = subprocess.Popen(["wine", program.exe], env=s.env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        geo = wait_for(lambda: s.window_geometry(program.window, s.sc(WALL_W)), 60, program.label)
    except Failure as e:
        raise Failure("%s (%s)" % (e, s.wizard_report(proc)))
    if program.window not in FLOOR_WINDOWS:
        s.installer = proc
        wait_for(lambda: (s.page_state() or {}).get("page") == 1, 30, "page 1", 0.05)
    rows = program.rows(s, geo)
    shown = None
    while True:
        time.sleep(0.5)
        now = screen.rows(rows)
        if now == shown:
            break
        shown = now
    startup_close(s, program, proc, geo)
    wait_for(lambda: screen.rows(rows) != shown, 20, "%s gone" % program.label, 0.05)
    time.sleep(0.5)
    return geo, rows, screen.rows(rows), shown


def startup_close(s, program, proc, geo):
    x, y = geo[0] + program.close_spot[0], geo[1] + program.close_spot[1]
    s.press(x, y)
    s.release(x, y)
    program.closed(proc)
    s.xdotool("mousemove", 0, 0)


def scenario_startup(s):
    """Start-up to the first page against an empty window (and against a second installer with
    --baseline): interleaved rounds, each starting with another program, medians. A start counts
    from the launch to the first read of the display whose rows across the window equal the
    settled first page (the empty window: its white face); the first change of those rows is
    printed beside it."""
    screen = ScreenRows(s.env["DISPLAY"])
    programs = startup_programs(s)
    # The checker, once it has read the windows, holds the desktop: Wine's desktop process ends
    # a second after its last user, and a start that had to bring it back up took 0.2 s more,
    # by the chance of the pause before it. A user's desktop is always up.
    s.windows()
    s.start_installer()  # warms the prefix's server up; not counted
    s.click_button("cancel")
    s.wait_exit()
    states = [startup_settle(s, screen, p) for p in programs]
    for round_ in range(s.runs):
        for i in range(len(programs)):
            k = (round_ + i) % len(programs)
            program, (geo, rows, before, shown) = programs[k], states[k]
            wait_for(lambda: screen.rows(rows) == before, 20, "a clear screen", 0.05)
            started = time.monotonic()
            proc = subprocess.Popen(["wine", program.exe], env=s.env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            if program.window not in FLOOR_WINDOWS:
                s.installer = proc
            seen = screen.wait_rows(rows, shown, 60, before)
            if not seen:
                now = screen.rows(rows)
                raise Failure("%s reached its settled picture (round %d; rows unlike it: %s; "
                              "%s)" % (program.label, round_, [i for i in range(len(rows))
                                                               if now[i] != shown[i]],
                                       s.wizard_report(proc)))
            program.firsts.append(seen[0] - started)
            program.times.append(seen[1] - started)
            startup_close(s, program, proc, geo)
    screen.close()
    floors = programs[-len(FLOORS):]
    for p in programs:
        # Beside the ratio of the medians, the median of each round's own ratio: the two
        # starts of a round ran seconds apart, under much the same load. The installer is also
        # set against the baseline, whose difference is often smaller than the rounds' spread.
        against = floors + (programs[1:2] if s.baseline and p is programs[0] else [])
        ratios = "; ".join("/ %s %.3f, paired %.3f" % (
            f.label, statistics.median(p.times) / statistics.median(f.times),
            statistics.median(t / e for t, e in zip(p.times, f.times))) for f in against
            if f is not p)
        print("%d DPI%s, %s, %d runs: %s s; median %.3f s (first change %.3f s, least %.3f s); %s"
              % (s.dpi, s.lang_label(), p.label, len(p.times),
                 " ".join("%.3f" % t for t in p.times), statistics.median(p.times),
                 statistics.median(p.firsts), min(p.times), ratios))
    exe = os.path.join(s.build, "MarlowindSetup.exe")
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", exe], capture_output=True,
                         text=True).stdout
    rsrc = sum(int(line.split()[2], 16) for line in out.splitlines()
               if len(line.split()) > 2 and line.split()[1] == ".rsrc")
    size = os.path.getsize(exe)
    print("MarlowindSetup.exe: %d bytes, resources %d bytes, without resources %.1f KiB"
          % (size, rsrc, (size - rsrc) / 1024))


def scenario_signed(s):
    """The signed copy of the installer installs as the unsigned one does: the signature is
    appended to the file and leaves the payloads read from its resources as they were."""
    check(s.installer_exe != os.path.join(s.build, "MarlowindSetup.exe"),
          "the signed scenario runs the signed copy (--installer)")
    reset_install(s)
    start_and_press_install(s)
    s.wait_page(4, timeout=120, save="signed-page4")
    s.click_button("close")
    code = s.wait_exit()
    check(code == 0, "signed installer exit code %s" % code)
    messenger = expand(s, "{PF}\\Marlowind\\Marlowind.exe")
    wait_for(lambda: s.running(messenger), 30, "the installed messenger", 0.5)
    check_expected_install(s)


# --- the wizard through the accessibility interface alone ------------------------------------
AGREE = "I agree to all the terms and conditions"
CHECKED = 0x10


def accessible(s, *args):
    """Rows of the accessibility client: another process that reads and presses the wizard
    through its client objects, as a screen reader does."""
    exe = os.path.join(s.build, "tests", "accessible_client.exe")
    r = subprocess.run(["wine", exe] + list(args), env=s.env, capture_output=True, timeout=60)
    return [line.split("\t") for line in r.stdout.decode("utf-8", "replace").splitlines()]


def spoken_page(s):
    """(name, state) of each part of the foreground's page, as a screen reader reads it."""
    return [(r[9], int(r[3], 16)) for r in accessible(s, "tree", "TSetupWizardH")
            if r[0] == "item" and len(r) == 10 and r[1] != "0"]


def wait_spoken(s, parts, timeout=15):
    """Until the page reads as `parts`: the names after the title and the body text."""
    def ready():
        page = spoken_page(s)
        return page if [n for n, _ in page[2:]] == parts else None
    return wait_for(ready, timeout, "the page read as %s" % parts, 0.2)


def press_spoken(s, name, window="TSetupWizardH"):
    rows = accessible(s, "press", window, name)
    check(rows[:1] == [["pressed", "0"]], "%s pressed through its object: %s" % (name, rows))


def scenario_accessible(s):
    """The whole install by the parts' default actions alone, then the background's cross."""
    reset_install(s)
    s.start_installer()
    page = wait_spoken(s, ["Next", "Cancel"])
    check(page[0][0] == "Marlowind Setup Wizard" and page[1][0].startswith("The Installation"),
          "page 1 reads its title and text: %s" % page[:2])
    press_spoken(s, "Next")
    page = wait_spoken(s, [AGREE, "Back", "Next", "Cancel"])
    check(not page[2][1] & CHECKED, "the agreement reads unchecked")
    press_spoken(s, AGREE)
    wait_for(lambda: spoken_page(s)[2][1] & CHECKED, 10, "the agreement read checked")
    check(s.page_state()["radio_on"], "the radio shows the agreement")
    press_spoken(s, "Next")
    wait_spoken(s, ["Back", "Install", "Cancel"], timeout=30)
    press_spoken(s, "Install")
    page = wait_spoken(s, ["Close"], timeout=120)
    check(page[1][0].startswith("Thank you."), "page 4 reads its text: %s" % page[1][0])
    s.wait_page(4, save="accessible-page4")
    press_spoken(s, "Close")
    check_ended(s, "Close through its object", messenger_starts=True, code=0)
    check_expected_install(s)
    print("install through the accessibility interface done, the messenger started")
    s.stop_wine()

    s.start_installer()
    press_spoken(s, "Close", "TSetupWizard")
    check_ended(s, "the background's cross through its object")
    print("the background's close cross closes both windows")


def set_dpi(s, dpi):
    """Sets the prefix's display scale as a user does (the desktop's and the fonts' LogPixels)
    and restarts its server, which reads them when it starts."""
    for key in ("HKCU\\Control Panel\\Desktop", "HKCC\\Software\\Fonts"):
        subprocess.run(["wine", "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                        str(dpi), "/f"], env=s.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True)
    s.stop_wine()
    s.dpi = dpi


def drag_and_check(s, by=(60, 40)):
    """Drags the background by its strip (a spot scaled with it); both windows move, the
    foreground kept at the scaled offset."""
    bg, _ = s.check_pair()
    spot = s.scp(DRAG_SPOT)
    s.press(bg[0] + spot[0], bg[1] + spot[1])
    for step in range(1, 6):
        s.xdotool("mousemove", bg[0] + spot[0] + by[0] * step // 5, bg[1] + spot[1] + by[1] * step // 5)
        time.sleep(0.05)
    s.release(bg[0] + spot[0] + by[0], bg[1] + spot[1] + by[1])
    want = (bg[0] + by[0], bg[1] + by[1])
    moved = wait_for(lambda: (lambda b: b if b and b[:2] == want else None)(s.background()),
                     5, "the background moved by %s" % (by,))
    time.sleep(0.3)
    s.check_pair()
    return moved


def scale_run(s, dpi):
    """One display scale: both windows at their scaled sizes and offset; every page, looked at
    through a screenshot; each button pressed at its scaled place, the radio at its; a drag;
    the close cross; then Cancel on a second start."""
    set_dpi(s, dpi)
    reset_install(s)
    s.start_installer()
    bg, fg = s.check_pair()
    check(bg[2:] == (s.sc(WALL_W), s.sc(WALL_H)), "%d DPI: background %s" % (dpi, bg[2:]))
    check(fg[2:] == s.page_size(), "%d DPI: foreground %s, want %s" % (dpi, fg[2:], s.page_size()))
    s.wait_page(1, save="scale%d-page1" % dpi)
    s.click_button("next")
    s.wait_page(2)
    s.click_spot(RADIO)
    wait_for(lambda: s.page_state()["radio_on"], 5, "%d DPI: the radio agreed" % dpi)
    s.wait_page(2, save="scale%d-page2" % dpi)
    s.click_button("back")
    s.wait_page(1)
    s.click_button("next")
    s.wait_page(2)
    s.click_button("next")
    s.wait_page(3, timeout=30, save="scale%d-page3" % dpi)
    s.click_button("back")
    s.wait_page(2)
    s.click_button("next")
    s.wait_page(3, timeout=30)
    s.click_button("install")
    s.wait_page(4, timeout=120, save="scale%d-page4" % dpi)
    bg = drag_and_check(s)
    close = s.scp(CLOSE_SPOT)
    s.press(bg[0] + close[0], bg[1] + close[1])
    s.release(bg[0] + close[0], bg[1] + close[1])
    check_ended(s, "%d DPI: the close cross" % dpi, code=0)

    # Cancel lies where Close does on page 4.
    s.start_installer()
    s.click_button("cancel")
    check(s.wait_exit() == EXIT_CANCELLED, "%d DPI: Cancel ends the program" % dpi)
    s.stop_wine()
    print("%d DPI: sizes, offset, pages, buttons, radio, drag, close cross and Cancel" % dpi)


def scenario_scale(s):
    # run_scenario puts the prefix back at 96 DPI however this ends.
    for dpi in (96, 120, 144, 192):
        scale_run(s, dpi)


SCENARIOS = {"happy": scenario_happy, "cancel": scenario_cancel, "pointer": scenario_pointer,
             "failing": scenario_failing, "damaged": scenario_damaged,
             "startup": scenario_startup, "keyboard": scenario_keyboard, "second": scenario_second,
             "signed": scenario_signed, "accessible": scenario_accessible,
             "scale": scenario_scale}


def log(*args):
    print("[%6.1f s]" % (time.monotonic() - T0), *args, flush=True)


T0 = time.monotonic()


def run_scenario(scenarios):
    """Runs the scenario named on the command line in a fresh session; returns the exit code."""
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(scenarios))
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--installer", help="the installer to run (default: the build's)")
    parser.add_argument("--baseline", help="startup: a second installer timed beside the first")
    parser.add_argument("--runs", type=int, default=11, help="startup: timed runs of each program")
    parser.add_argument("--share", default="0/1",
                        help="install_killed: the share K/N of the kill moments to run, every "
                             "Nth from the Kth")
    parser.add_argument("--lang", help="the display language (LANG) of the programs started")
    parser.add_argument("--dpi", type=int, default=96,
                        help="the display scale to run at (the prefix is put back at 96 after)")
    args = parser.parse_args()
    s = Session(args)
    if args.dpi != 96:
        set_dpi(s, args.dpi)
    stale = os.path.join(s.shots, "failed-%s.png" % args.scenario)
    if os.path.exists(stale):
        os.remove(stale)
    try:
        scenarios[args.scenario](s)
    except Failure as e:
        s.screenshot("failed-" + args.scenario)
        print("FAILED:", e)
        return 1
    finally:
        if s.installer and s.installer.poll() is None:
            s.installer.kill()
        if s.dpi != 96:
            set_dpi(s, 96)
        s.stop_wine(restart=False)
        if s.xvfb:
            # Ended, not killed: the server removes its lock and socket, which would otherwise
            # keep the display's number taken for every later run.
            s.xvfb.terminate()
            s.xvfb.wait()
    print("passed:", args.scenario)
    return 0


if __name__ == "__main__":
    sys.exit(run_scenario(SCENARIOS))
