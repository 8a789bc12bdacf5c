"""The updater end to end: a copy of wordlark.exe built to ask a server on 127.0.0.1 fetches the
update cabinet made by tools/package.sh from a local HTTP server and installs it while it runs.
The message boxes are found by their captions through the probe and dismissed with the keyboard;
what changed is read from the program folder."""

import os
import shutil
import socket
import subprocess
import sys
import tempfile

from harness import BITS, DIST, WineTestCase, Wordlark, X, wait_until

IDM_CHECK_UPDATES = 32786
CONFIRMATION = "Wordlark Update Confirmation"
ERROR = "Wordlark Update Error"
UPDATED_TEXT = "You have successfully updated Wordlark.\nYou may need to restart Wordlark to make them effect."
LATEST_TEXT = "You already have the latested version of Wordlark."
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
INSTALLED = ("wordlark.exe", "larkhook.dll")


def e2e_bin():
    return os.environ.get("WL_E2E_BIN", os.path.join(os.path.dirname(DIST), "e2e-bin"))


def port_is_free(port):
    with socket.socket() as s:
        # As the server binds: connections of an earlier server in TIME_WAIT do not count.
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            s.bind(("127.0.0.1", port))
            return True
        except OSError:
            return False


def port_answers(port):
    with socket.socket() as s:
        s.settimeout(0.5)
        return s.connect_ex(("127.0.0.1", port)) == 0


class UpdateServer:
    """python3 -m http.server serving one folder on 127.0.0.1; stopped by stop()."""

    def __init__(self, folder, port):
        if not port_is_free(port):
            raise AssertionError("port %d of the test build's update address is taken" % port)
        self.port = port
        self.process = subprocess.Popen([sys.executable, "-m", "http.server", str(port), "--bind", "127.0.0.1",
                                         "--directory", folder], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        wait_until(lambda: port_answers(port), 15, 0.1, "the update server")

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=10)


class Updater(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        url_file = os.path.join(e2e_bin(), "wordlark_update_e2e.url")
        if not os.path.exists(url_file):
            raise AssertionError("the test build of the program is missing: %s" % url_file)
        with open(url_file) as f:
            url = f.read().strip()
        cls.port = int(url.split("//", 1)[1].split("/", 1)[0].split(":")[1])
        # Each build asks for its own cabinet.
        cls.cabinet = url.rsplit("/", 1)[1]
        with open(os.path.join(e2e_bin(), "wordlark_update_e2e.exe"), "rb") as f:
            cls.test_program = f.read()
        with open(os.path.join(DIST, "larkhook.dll"), "rb") as f:
            cls.hook_library = f.read()

    def setUp(self):
        super().setUp()
        self.scratch = tempfile.mkdtemp(prefix="wl-update-")
        self.servers = []

    def tearDown(self):
        for server in self.servers:
            server.stop()
        super().tearDown()
        shutil.rmtree(self.scratch, ignore_errors=True)

    # --- the program folder and the releases --------------------------------------------------

    def program_folder(self, name="Wordlark"):
        app = Wordlark(self.wine, self.probe, folder_name=name)
        app.write("wordlark.exe", self.test_program)
        return app

    def release(self, marker):
        """A new version: the test program and the hook library with data appended (still complete
        images), packaged by tools/package.sh. Returns (cabinet folder, program bytes, library bytes)."""
        stage = os.path.join(self.scratch, "dist-" + marker)
        out = os.path.join(self.scratch, "serve-" + marker)
        os.makedirs(stage)
        program = self.test_program + b"\0release " + marker.encode()
        library = self.hook_library + b"\0release " + marker.encode()
        for name, data in (("wordlark.exe", program), ("larkhook.dll", library)):
            with open(os.path.join(stage, name), "wb") as f:
                f.write(data)
        subprocess.run([os.path.join(ROOT, "tools", "package.sh"), stage, out, str(BITS)], check=True,
                       stdout=subprocess.DEVNULL, timeout=120)
        os.remove(os.path.join(out, "wordlark-%dbit.zip" % BITS))
        return out, program, library

    def cabinet_of(self, folder, members):
        """A cabinet under this build's name in folder, holding the given files under the given
        member names."""
        os.makedirs(folder, exist_ok=True)
        stage = tempfile.mkdtemp(dir=self.scratch)
        for name, source in members.items():
            shutil.copy(source, os.path.join(stage, name))
        subprocess.run(["gcab", "--create", "--nopath", os.path.join(folder, self.cabinet)]
                       + [os.path.join(stage, name) for name in members], check=True, timeout=60)

    def serve(self, folder):
        server = UpdateServer(folder, self.port)
        self.servers.append(server)
        return server

    def snapshot(self, app):
        return {name: app.read(name) for name in sorted(os.listdir(app.folder))}

    def stop(self, app):
        """Exit from the tray menu; a program still busy shutting down after that is ended, since
        only its files matter here."""
        if app.exit(timeout=30) is None:
            self.wine.kill_all()
        wait_until(lambda: not app.running(), 30, 0.2, "the program ended")

    # --- message boxes ------------------------------------------------------------------------

    def message_box(self, caption, timeout=90):
        return wait_until(lambda: next((w for w in self.probe.find(cls="#32770", text=caption) if w["visible"]),
                                       None), timeout, 0.3, "the message box %r" % caption)

    def box_text(self, box):
        texts = [c["text"] for c in self.probe.children(box["hwnd"]) if c["class"].lower() == "static"]
        return "".join(t for t in texts if t).replace("\r\n", "\n")

    def dismiss(self, box):
        wait_until(X.focus_desktop, 10, 0.2, "the Wine desktop window")
        self.probe.call("activate", box["hwnd"])
        wait_until(lambda: (self.probe.foreground() or {}).get("hwnd") == box["hwnd"], 10, 0.2,
                   "the message box in the foreground")
        X.key("Return")
        wait_until(lambda: not any(w["hwnd"] == box["hwnd"] for w in self.probe.windows()), 10, 0.2,
                   "the message box gone")

    def run_update(self, app):
        """Starts the update from the tray menu's command; returns the error box's text (None when
        there was none) and the confirmation's text."""
        app.command(IDM_CHECK_UPDATES)
        error_text = None
        first = wait_until(lambda: next((w for w in self.probe.windows() if w["class"] == "#32770" and w["visible"]
                                         and w["text"] in (ERROR, CONFIRMATION)), None), 90, 0.3,
                           "an updater message")
        if first["text"] == ERROR:
            X.screenshot(self.artifact("updater-error-box.png"))
            error_text = self.box_text(first)
            self.dismiss(first)
        confirmation = self.message_box(CONFIRMATION)
        confirmation_text = self.box_text(confirmation)
        self.assertEqual(self.probe.find(cls="#32770", text=ERROR), [])
        self.dismiss(confirmation)
        return error_text, confirmation_text

    # --- the tests ------------------------------------------------------------------------------

    def test_update_replaces_both_files_and_the_next_update_removes_the_set_aside_ones(self):
        app = self.program_folder()
        original = self.snapshot(app)
        first, first_program, first_library = self.release("one")
        server = self.serve(first)
        app.start()
        self.assertEqual(self.run_update(app), (None, UPDATED_TEXT))

        self.assertEqual(app.read("wordlark.exe"), first_program)
        self.assertEqual(app.read("larkhook.dll"), first_library)
        # The old files are still in use by the running program, so they stay set aside.
        self.assertEqual(app.read("~wordlark.exe.tmp"), original["wordlark.exe"])
        self.assertEqual(app.read("~larkhook.dll.tmp"), original["larkhook.dll"])
        self.assertFalse(os.path.exists(app.path("wordlark.ex_")))
        self.assertFalse(os.path.exists(app.path("larkhook.dl_")))
        self.stop(app)

        # The new version runs and updates itself again: the first run's set-aside files go, and
        # the files now in use are set aside in their place.
        server.stop()
        second, second_program, second_library = self.release("two")
        self.serve(second)
        app.start()
        self.assertEqual(self.run_update(app), (None, UPDATED_TEXT))
        self.assertEqual(app.read("wordlark.exe"), second_program)
        self.assertEqual(app.read("larkhook.dll"), second_library)
        self.assertEqual(app.read("~wordlark.exe.tmp"), first_program)
        self.assertEqual(app.read("~larkhook.dll.tmp"), first_library)
        self.stop(app)

    def test_failed_updates_show_their_message_and_change_nothing(self):
        good, _, _ = self.release("good")
        with open(os.path.join(good, self.cabinet), "rb") as f:
            cabinet = f.read()

        damaged = os.path.join(self.scratch, "damaged")
        os.makedirs(damaged)
        with open(os.path.join(damaged, self.cabinet), "wb") as f:
            f.write(cabinet[:len(cabinet) // 2] + b"\xff" * 4096)

        # Only the program file: installing it alone would pair it with the old hook library.
        missing = os.path.join(self.scratch, "missing")
        os.makedirs(missing)
        shutil.copy(os.path.join(DIST, "wordlark.exe"), os.path.join(self.scratch, "wordlark.ex_"))
        self.cabinet_of(missing, {"wordlark.ex_": os.path.join(DIST, "wordlark.exe")})

        # A server that answers with something that is not a program at all.
        not_programs = os.path.join(self.scratch, "not-programs")
        os.makedirs(not_programs)
        page = os.path.join(self.scratch, "page.html")
        with open(page, "wb") as f:
            f.write(b"<html>maintenance</html>\n")
        self.cabinet_of(not_programs, {"wordlark.ex_": page, "larkhook.dl_": page})

        cases = [("damaged cabinet", damaged, True), ("missing member", missing, True),
                 ("packaged files that are not programs", not_programs, True), ("unreachable server", None, False)]

        # Complete programs of the other build: its hook library would never load into this one.
        other_dist = os.path.join(os.path.dirname(os.path.dirname(DIST)), "win32" if BITS == 64 else "win64", "dist")
        if os.path.exists(os.path.join(other_dist, "larkhook.dll")):
            other_build = os.path.join(self.scratch, "other-build")
            self.cabinet_of(other_build, {"wordlark.ex_": os.path.join(other_dist, "wordlark.exe"),
                                          "larkhook.dl_": os.path.join(other_dist, "larkhook.dll")})
            cases.insert(3, ("programs of the other build", other_build, True))
        for index, (what, folder, error_expected) in enumerate(cases):
            with self.subTest(what):
                app = self.program_folder("Wordlark%d" % index)
                before = self.snapshot(app)
                server = self.serve(folder) if folder else None
                try:
                    app.start()
                    error_text, confirmation = self.run_update(app)
                    self.assertEqual(confirmation, LATEST_TEXT)
                    if error_expected:
                        self.assertTrue(error_text, "the system's text for the failure")
                        self.assertNotIn("success", error_text.lower())
                    else:
                        self.assertIsNone(error_text)
                    self.stop(app)
                finally:
                    if server:
                        server.stop()
                    self.wine.kill_all()
                after = self.snapshot(app)
                # Exit writes the settings and use counts; nothing else may differ.
                for name in ("wordlark.cfg", "wordlark.cmd"):
                    after.pop(name, None)
                    before.pop(name, None)
                self.assertEqual(sorted(after), sorted(before))
                for name in INSTALLED:
                    self.assertEqual(after[name], before[name], name)
