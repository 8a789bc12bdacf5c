"""Shared harness of the end-to-end tests: the real wordlark.exe under Wine on a virtual display.

Every test class gets its own throw-away Wine prefix (made once per class by WineTestCase),
every test its own copy of the program folder inside it. Keystrokes and clicks are real X events
from xdotool; what happened is read back through Win32 by wlprobe.exe and by the files written.
Waiting is always by polling with a time-out (wait_until), never by fixed sleeps alone.
"""

import atexit
import json
import os
import shutil
import subprocess
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
DIST = os.environ.get("WL_DIST", "")
ARTIFACTS = os.environ.get("WL_ARTIFACTS", os.path.join(HERE, "..", "..", "build", "e2e-artifacts"))
PROBE = os.environ.get("WL_PROBE", "")
SCREEN = (1280, 800)
# The Wine of the build under test, as ./dev chooses it: the 64-bit loader and server are named
# directly, since Debian's `wine` wrapper takes the 32-bit loader whenever that is installed.
WINE = os.environ.get("WL_WINE", "wine")
WINESERVER = os.environ.get("WL_WINESERVER", "wineserver")
WINEARCH = os.environ.get("WL_WINEARCH", "win32")
BITS = 64 if WINEARCH == "win64" else 32
# Whether this machine runs 32-bit programs at all (some kernels refuse them).
RUNS_32BIT = os.environ.get("WL_RUNS_32BIT", "1" if BITS == 32 else "0") == "1"

WM_COMMAND = 0x0111
WM_CLOSE = 0x0010
IDM_EXIT = 105
TRAY_CALLBACK = 32769
WM_LBUTTONDBLCLK = 0x0203
WM_RBUTTONUP = 0x0205


class TimeoutError_(AssertionError):
    pass


def wait_until(predicate, timeout=15.0, interval=0.1, message="condition"):
    """Polls predicate until it returns a true value, which is returned; fails after timeout."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = predicate()
        if last:
            return last
        if time.monotonic() > deadline:
            raise TimeoutError_("timed out after %.1fs waiting for %s (last: %r)" % (timeout, message, last))
        time.sleep(interval)


def unix_pid(exe_name, prefix):
    """The Linux pid of a Wine process of this prefix by its executable name."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmd = f.read().split(b"\0")[0].decode("latin-1")
        except OSError:
            continue
        if not cmd.lower().endswith(exe_name):
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as f:
                env = f.read().split(b"\0")
        except OSError:
            continue
        if ("WINEPREFIX=%s" % prefix).encode() in env:
            return int(entry)
    return None


class Wine:
    """One throw-away prefix and the commands that run in it; with user, every Wine command runs
    as that Linux user (who owns the prefix), as a Windows user without an administrator's rights."""

    def __init__(self, name="wordlark", virtual_desktop=True, user=None, boot=False):
        self.user = user
        self.prefix = tempfile.mkdtemp(prefix="wl-e2e-%s-" % name)
        if user:
            shutil.chown(self.prefix, user, user)
        self.virtual_desktop = virtual_desktop
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": self.prefix,
            "WINEARCH": WINEARCH,
            "WINESERVER": WINESERVER,
            "WINELOADER": WINE,
            "WINEDEBUG": os.environ.get("WINEDEBUG", "-all"),
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
        })
        # A prefix names its Windows user after the Linux one, so another user's is booted anew.
        if boot or user:
            self._boot()
        else:
            _copy_booted_prefix(virtual_desktop, self.prefix)
        self._detach_home_folders()

    def _boot(self):
        subprocess.run(self.command([WINE, "wineboot", "-i"]), env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        # A virtual desktop named "shell" has a taskbar with the tray, as a user's desktop has;
        # the settings take effect from the next start of the prefix's server. Without it every
        # window is an X window of its own on a display with no window manager, where Wine's
        # window operations wait for a manager that never answers: the slow case for latency.
        if self.virtual_desktop:
            self.reg_add(r"HKCU\Software\Wine\Explorer", "Desktop", "shell")
            self.reg_add(r"HKCU\Software\Wine\Explorer\Desktops", "shell", "%dx%d" % SCREEN)
        subprocess.run(self.command([WINESERVER, "-w"]), env=self.env)

    def command(self, args):
        """The command line that runs args in this prefix, as the prefix's user."""
        if not self.user:
            return list(args)
        names = ("WINEPREFIX", "WINEARCH", "WINESERVER", "WINELOADER", "WINEDEBUG", "WINEDLLOVERRIDES", "DISPLAY")
        return (["runuser", "-u", self.user, "--", "env"] +
                ["%s=%s" % (n, self.env[n]) for n in names if n in self.env] + list(args))

    def _detach_home_folders(self):
        """Wine links the user's Desktop, Documents and the like to the Unix home folder; each
        becomes an empty folder of the prefix, so the harvest reads the test's desktop only."""
        users = os.path.join(self.drive_c, "users")
        for user in os.listdir(users):
            home = os.path.join(users, user)
            candidates = [os.path.join(home, n) for n in os.listdir(home)]
            candidates.append(os.path.join(home, "AppData", "Roaming", "Microsoft", "Windows", "Templates"))
            for path in candidates:
                if os.path.islink(path):
                    os.unlink(path)
                    os.makedirs(path, exist_ok=True)
                    if self.user:
                        shutil.chown(path, self.user, self.user)

    @property
    def drive_c(self):
        return os.path.join(self.prefix, "drive_c")

    def unix_to_windows(self, path):
        """C:\\... form of a path under drive_c."""
        rel = os.path.relpath(path, self.drive_c)
        return "C:\\" + rel.replace("/", "\\")

    def run(self, args, timeout=60, check=False):
        return subprocess.run(self.command([WINE] + list(args)), env=self.env, capture_output=True, text=True,
                              timeout=timeout, check=check)

    def start(self, args, log_path=None):
        if not log_path:
            return subprocess.Popen(self.command([WINE] + list(args)), env=self.env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.STDOUT)
        with open(log_path, "w") as out:
            return subprocess.Popen(self.command([WINE] + list(args)), env=self.env, stdout=out,
                                    stderr=subprocess.STDOUT)

    def reg_query(self, key, value=None):
        args = ["reg", "query", key] + (["/v", value] if value else [])
        return self.run(args, timeout=60)

    def reg_add(self, key, value, data, kind="REG_SZ"):
        return self.run(["reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f"], timeout=60)

    def kill_all(self):
        if getattr(self, "probe", None) is not None:
            self.probe.close()
        subprocess.run(self.command([WINESERVER, "-k"]), env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(self.command([WINESERVER, "-w"]), env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def destroy(self):
        self.kill_all()
        shutil.rmtree(self.prefix, ignore_errors=True)


# Booting a prefix takes Wine some 15 s. A prefix holds no path of its own (its drives are
# relative links), so a copy of one booted prefix, made while no server runs in it, is as fresh
# as a boot: each kind is booted once per run and copied for every test class.
_BOOTED = {}  # virtual desktop or not -> a booted prefix, removed at exit


def _copy_booted_prefix(virtual_desktop, prefix):
    if virtual_desktop not in _BOOTED:
        _BOOTED[virtual_desktop] = Wine("booted", virtual_desktop, boot=True).prefix
    subprocess.run(["cp", "-a", _BOOTED[virtual_desktop] + "/.", prefix], check=True)


@atexit.register
def _remove_booted_prefixes():
    for prefix in _BOOTED.values():
        shutil.rmtree(prefix, ignore_errors=True)


class Probe:
    """wlprobe.exe: reads windows, texts and the hook library's shared state through Win32."""

    def __init__(self, wine):
        self.wine = wine
        self.server = None

    def _serve(self):
        if self.server is None or self.server.poll() is not None:
            self.server = subprocess.Popen(self.wine.command([WINE, PROBE, "serve"]), env=self.wine.env,
                                           stdin=subprocess.PIPE,
                                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                           encoding="latin-1", bufsize=1)
        return self.server

    def call(self, *args):
        server = self._serve()
        server.stdin.write("\t".join(str(a) for a in args) + "\n")
        server.stdin.flush()
        out = server.stdout.readline().strip()
        if not out:
            return None
        return json.loads(out)

    def close(self):
        if self.server is not None and self.server.poll() is None:
            self.server.stdin.close()
            try:
                self.server.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.server.kill()
        self.server = None

    def windows(self):
        return self.call("windows") or []

    def children(self, hwnd):
        return self.call("children", hwnd) or []

    def text(self, hwnd):
        return self.call("text", hwnd)

    def combo_items(self, hwnd):
        return self.call("combo", hwnd) or []

    def hook_state(self, dll_path):
        return self.call("hook", dll_path)

    def send(self, hwnd, msg, wparam=0, lparam=0):
        return self.call("send", hwnd, msg, wparam, lparam)

    def post(self, hwnd, msg, wparam=0, lparam=0):
        return self.call("post", hwnd, msg, wparam, lparam)

    def foreground(self):
        return self.call("foreground")

    def clipboard(self):
        return self.call("clipboard")

    def focus_of(self, hwnd):
        return self.call("focus-of", hwnd)

    def find(self, cls=None, text=None, pid=None, visible=None):
        """Top-level windows matching every given criterion."""
        found = []
        for w in self.windows():
            if cls is not None and w["class"] != cls:
                continue
            if text is not None and w["text"] != text:
                continue
            if pid is not None and w["pid"] != pid:
                continue
            if visible is not None and w["visible"] != visible:
                continue
            found.append(w)
        return found


class X:
    """Real input on the virtual display through xdotool, and screenshots."""

    @staticmethod
    def run(*args):
        return subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True, timeout=30)

    @classmethod
    def key(cls, *keys, delay_ms=40):
        cls.run("key", "--delay", delay_ms, *keys)

    @classmethod
    def type(cls, text, delay_ms=60):
        cls.run("type", "--delay", delay_ms, text)

    @classmethod
    def keydown(cls, key):
        cls.run("keydown", key)

    @classmethod
    def keyup(cls, key):
        cls.run("keyup", key)

    @classmethod
    def click(cls, x, y, button=1):
        cls.run("mousemove", "--sync", x, y)
        cls.run("click", button)

    @classmethod
    def move(cls, x, y):
        cls.run("mousemove", "--sync", x, y)

    @classmethod
    def focus_desktop(cls):
        """Gives the X focus to Wine's virtual desktop, which routes keys to its active window."""
        r = cls.run("search", "--name", "Wine desktop$")
        ids = r.stdout.split()
        if ids:
            cls.run("windowfocus", "--sync", ids[0])
        return bool(ids)

    @classmethod
    def focus_x_window_named(cls, title):
        """Gives the X input focus to the X window with this title (Wine then activates it)."""
        r = cls.run("search", "--name", "^%s$" % title)
        ids = r.stdout.split()
        if not ids:
            return False
        cls.run("windowfocus", "--sync", ids[-1])
        return True

    @staticmethod
    def screenshot(path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["import", "-window", "root", path], capture_output=True, timeout=60)
        return path

    @staticmethod
    def region(png_path, x, y, width, height):
        """The raw RGB bytes of a rectangle of a screenshot, for comparing what was drawn."""
        r = subprocess.run(["convert", png_path, "-crop", "%dx%d+%d+%d" % (width, height, x, y), "+repage",
                            "-depth", "8", "rgb:-"], capture_output=True, timeout=60)
        return r.stdout

    @staticmethod
    def pixel(png_path, x, y):
        """(r, g, b) of one pixel of a screenshot."""
        r = subprocess.run(["convert", png_path, "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-"],
                           capture_output=True, text=True, timeout=60)
        for line in r.stdout.splitlines():
            if line.startswith("0,0:"):
                inner = line.split("(")[1].split(")")[0]
                parts = [float(p) for p in inner.split(",")[:3]]
                return tuple(int(round(p)) for p in parts)
        return None


class Wordlark:
    """One program folder inside the prefix and the running wordlark.exe started from it."""

    def __init__(self, wine, probe, folder_name="Wordlark", extra_files=None, installed_folder=None, dist=None):
        """A copy of a program folder (the build's, or dist) under C:\ named folder_name, or the
        folder an installer made (installed_folder, a Unix path inside the prefix) as it is."""
        self.wine = wine
        self.probe = probe
        if installed_folder:
            self.folder = installed_folder
        else:
            self.folder = os.path.join(wine.drive_c, folder_name)
            shutil.rmtree(self.folder, ignore_errors=True)
            shutil.copytree(dist or DIST, self.folder)
        for name, content in (extra_files or {}).items():
            mode = "wb" if isinstance(content, bytes) else "w"
            with open(os.path.join(self.folder, name), mode) as f:
                f.write(content)
        self.process = None
        self.log_path = None

    @property
    def exe(self):
        return self.wine.unix_to_windows(os.path.join(self.folder, "wordlark.exe"))

    @property
    def hook_dll(self):
        return self.wine.unix_to_windows(os.path.join(self.folder, "larkhook.dll"))

    def path(self, name):
        return os.path.join(self.folder, name)

    def read(self, name, mode="rb"):
        with open(self.path(name), mode) as f:
            return f.read()

    def write(self, name, content):
        mode = "wb" if isinstance(content, bytes) else "w"
        with open(self.path(name), mode) as f:
            f.write(content)

    def start(self, wait=True):
        os.makedirs(ARTIFACTS, exist_ok=True)
        self.log_path = os.path.join(ARTIFACTS, "wordlark-%d.log" % int(time.time() * 1000))
        self.process = self.wine.start([self.exe], log_path=self.log_path)
        if wait:
            self.wait_started()
        return self

    def main_windows(self):
        return self.probe.find(cls="WORDLARK")

    def wait_started(self, timeout=30):
        # The suggestion window and the main window share the class; both exist once started,
        # and the command window (a dialog) shows at start-up. The hooks go in last, once the
        # vocabularies are loaded.
        wait_until(lambda: len(self.main_windows()) >= 2, timeout, 0.3, "wordlark windows")
        pid = self.main_window()["pid"]
        wait_until(lambda: (lambda l: l and l["main"] and l["mainProcess"] == pid)(self.probe.call("hook-libraries")),
                   timeout, 0.2, "wordlark's hooks")

    def main_window(self):
        """The hidden main window: the one of the class without an owner (it owns the suggestion
        window). Not told by its handle: Wine hands out the handles of ended programs again, so
        a program started again in the prefix may get a lower one for its later window."""
        wins = self.main_windows()
        unowned = [w for w in wins if not w.get("owner")]
        return min(unowned or wins, key=lambda w: w["hwnd"]) if wins else None

    def suggestion_window(self):
        wins = self.main_windows()
        if len(wins) < 2:
            return None
        owned = [w for w in wins if w.get("owner")]
        return max(owned or wins, key=lambda w: w["hwnd"])

    def hook_state(self):
        return self.probe.hook_state(self.hook_dll)

    def command(self, command_id):
        mw = self.main_window()
        return self.probe.post(mw["hwnd"], WM_COMMAND, command_id, 0)

    def exit(self, timeout=300):
        """Exit through the tray menu's command; returns the process's exit code. The program
        ends only once the background harvest of the catalogue has finished."""
        mw = self.main_window()
        if mw is not None:
            self.probe.post(mw["hwnd"], WM_COMMAND, IDM_EXIT, 0)
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def running(self):
        return self.process is not None and self.process.poll() is None


class Notepad:
    """Wine's notepad as the program the user types in; by default the prefix's own, of the
    prefix's bitness."""

    def __init__(self, wine, probe, program="notepad"):
        self.wine = wine
        self.probe = probe
        known = {w["hwnd"] for w in self.probe.find(cls="Notepad")}
        self.process = wine.start([program])
        self.window = wait_until(lambda: next((w for w in self.probe.find(cls="Notepad") if w["hwnd"] not in known),
                                              None), 30, 0.3, "notepad window")
        self.edit = wait_until(lambda: next((c for c in self.probe.children(self.window["hwnd"])
                                             if c["class"] == "Edit"), None), 10, 0.2, "notepad edit")

    def focus(self):
        """Makes notepad the active window and gives the desktop (or, without a virtual desktop,
        notepad's own X window) the X focus, so that real X keystrokes reach notepad's edit field."""
        if self.wine.virtual_desktop:
            wait_until(X.focus_desktop, 10, 0.2, "the Wine desktop window")
        else:
            wait_until(lambda: X.focus_x_window_named(self.window["text"]), 10, 0.2, "notepad's X window")
        self.probe.call("activate", self.window["hwnd"])
        wait_until(lambda: (self.probe.foreground() or {}).get("hwnd") == self.window["hwnd"], 10, 0.2,
                   "notepad in the foreground")

    def take_focus_quietly(self):
        """Makes this notepad the active window by a program's call, with no key or click that the
        hooks would see (a window that takes the focus by itself)."""
        self.probe.call("activate", self.window["hwnd"])
        wait_until(lambda: (self.probe.foreground() or {}).get("hwnd") == self.window["hwnd"], 10, 0.2,
                   "notepad %s in the foreground" % self.window["hwnd"])

    def text(self):
        return self.probe.text(self.edit["hwnd"])

    def clear(self):
        self.probe.call("settext", self.edit["hwnd"], "")

    def wait_text(self, expected, timeout=10):
        return wait_until(lambda: self.text() == expected, timeout, 0.1, "notepad text %r" % expected)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()


class WineTestCase(unittest.TestCase):
    """Base of the end-to-end tests: a prefix per test class, a screenshot and logs on failure."""

    wine = None
    probe = None
    virtual_desktop = True
    wine_user = None  # a Linux user to run Wine as, instead of the one running the tests

    @classmethod
    def setUpClass(cls):
        if not DIST or not PROBE:
            raise unittest.SkipTest("WL_DIST and WL_PROBE are set by tests/e2e/run.py")
        cls.wine = Wine(cls.__name__, cls.virtual_desktop, cls.wine_user)
        cls.probe = Probe(cls.wine)
        cls.wine.probe = cls.probe

    @classmethod
    def tearDownClass(cls):
        if cls.wine:
            cls.wine.destroy()

    def setUp(self):
        self._started = []

    def tearDown(self):
        if self._outcome_failed():
            name = self.id().split(".", 1)[-1]
            shot = X.screenshot(os.path.join(ARTIFACTS, name + ".png"))
            print("\n  screenshot of the failure: %s" % shot)
        # Every program of the test ends before the next test: a clean desktop each time.
        self.wine.kill_all()

    def _outcome_failed(self):
        outcome = getattr(self, "_outcome", None)
        if outcome is None:
            return False
        result = getattr(outcome, "result", None)
        if result is not None:
            failures = list(getattr(result, "failures", [])) + list(getattr(result, "errors", []))
            return any(test is self for test, _ in failures)
        return not getattr(outcome, "success", True)

    def start_wordlark(self, **kwargs):
        app = Wordlark(self.wine, self.probe, **kwargs)
        app.start()
        return app

    def start_notepad(self):
        return Notepad(self.wine, self.probe)

    def artifact(self, name):
        os.makedirs(ARTIFACTS, exist_ok=True)
        return os.path.join(ARTIFACTS, name)
