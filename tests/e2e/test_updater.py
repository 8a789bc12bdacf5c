"""The updater end to end: a copy of wordlark.exe built to ask a server on 127.0.0.1 (and to trust
the repository's test key) fetches the update cabinet made and signed by tools/package.sh from a
local HTTP server and installs it while it runs. The message boxes are found by their captions
through the probe and dismissed with the keyboard; what changed is read from the program folder."""

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

from harness import BITS, DIST, WineTestCase, Wordlark, X, wait_until

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import pe_version  # noqa: E402

IDM_CHECK_UPDATES = 32786
CONFIRMATION = "Wordlark Update Confirmation"
ERROR = "Wordlark Update Error"
UPDATED_TEXT = "You have successfully updated Wordlark.\nYou may need to restart Wordlark to make them effect."
LATEST_TEXT = "You already have the latested version of Wordlark."
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
INSTALLED = ("wordlark.exe", "larkhook.dll")
# The 64-bit program's update also carries its 32-bit helper, from the 32-bit build.
HELPER = ("wordlark32.exe", "larkhook32.dll")
TEST_KEY = os.path.join(ROOT, "tests", "keys", "update-test-private.pem")
# Written at exit; everything else in the program folder is the updater's business.
WRITTEN_AT_EXIT = ("wordlark.cfg", "wordlark.cmd")

# A server of one folder's files that lets every answer be cached for a day: a downloader that used
# its cache would get the release it fetched before again, not the one served now.
FILE_SERVER = """
import functools, http.server, sys
class Files(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        self.send_header("Cache-Control", "public, max-age=86400")
        super().end_headers()
    def log_message(self, *args):
        pass
handler = functools.partial(Files, directory=sys.argv[2])
http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), handler).serve_forever()
"""

# A server that answers every request with one HTTP status.
STATUS_SERVER = """
import http.server, sys
class Answer(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_error(int(sys.argv[2]))
    def log_message(self, *args):
        pass
http.server.HTTPServer(("127.0.0.1", int(sys.argv[1])), Answer).serve_forever()
"""


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


def sign(path, key=TEST_KEY):
    subprocess.run([sys.executable, os.path.join(ROOT, "tools", "sign_update.py"), path, key], check=True,
                   timeout=60)


class UpdateServer:
    """A server of one folder's files on 127.0.0.1 (FILE_SERVER), or one answering every request
    with one status; stopped by stop()."""

    def __init__(self, folder, port, status=None):
        if not port_is_free(port):
            raise AssertionError("port %d of the test build's update address is taken" % port)
        self.port = port
        if status:
            command = [sys.executable, "-c", STATUS_SERVER, str(port), str(status)]
        else:
            command = [sys.executable, "-c", FILE_SERVER, str(port), folder]
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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
        # The release the test program is; updates must be later ones.
        cls.running_version = pe_version.read(cls.test_program)
        with open(os.path.join(DIST, "larkhook.dll"), "rb") as f:
            cls.hook_library = f.read()
        cls.helper = {}
        if BITS == 64:
            helper32 = os.path.join(os.path.dirname(os.path.dirname(DIST)), "win32", "helper32")
            for name in HELPER:
                with open(os.path.join(helper32, name), "rb") as f:
                    cls.helper[name] = f.read()

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

    def later(self, steps):
        major, minor, patch = self.running_version
        return major, minor, patch + steps

    def release(self, marker, version=None):
        """A release, by default one patch later than the running program: the test program and
        the hook library (and for the 64-bit program its helper) with that version and data
        appended (still complete images), packaged by tools/package.sh. Returns (cabinet folder,
        program bytes, library bytes); the helper's are in self.released_helper. The files of the
        cabinet are the signed ones, so the bytes returned are read back from it."""
        stage = os.path.join(self.scratch, "dist-" + marker)
        out = os.path.join(self.scratch, "serve-" + marker)
        os.makedirs(stage)
        mark = b"\0release " + marker.encode()
        version = version or self.later(1)
        program = pe_version.with_version(self.test_program, version) + mark
        library = pe_version.with_version(self.hook_library, version) + mark
        self.released_helper = {name: pe_version.with_version(data, version) + mark
                                for name, data in self.helper.items()}
        for name, data in [("wordlark.exe", program), ("larkhook.dll", library)] + list(self.released_helper.items()):
            with open(os.path.join(stage, name), "wb") as f:
                f.write(data)
        subprocess.run([os.path.join(ROOT, "tools", "package.sh"), stage, out, str(BITS)], check=True,
                       stdout=subprocess.DEVNULL, timeout=120,
                       env=dict(os.environ, WL_UPDATE_SIGNING_KEY=TEST_KEY,
                                WL_SETUP_ACTIONS=os.path.join(DIST, "..", "installer", "wordlark_setup.dll")))
        for other in ("wordlark-%dbit.zip" % BITS, "wordlark-%dbit.msi" % BITS):
            os.remove(os.path.join(out, other))
        signed = self.cabinet_members(os.path.join(out, self.cabinet))
        self.released_helper = {name: signed[name[:-1] + "_"] for name in self.released_helper}
        return out, signed["wordlark.ex_"], signed["larkhook.dl_"]

    def cabinet_members(self, cabinet):
        """{member name: bytes} of a cabinet."""
        folder = tempfile.mkdtemp(dir=self.scratch)
        subprocess.run(["gcab", "--extract", "--nopath", "--directory", folder, cabinet], check=True, timeout=60,
                       stdout=subprocess.DEVNULL)
        members = {}
        for name in os.listdir(folder):
            with open(os.path.join(folder, name), "rb") as f:
                members[name] = f.read()
        return members

    def cabinet_of(self, folder, members):
        """A cabinet under this build's name in folder, holding the given files under the given
        member names, signed with the test key."""
        os.makedirs(folder, exist_ok=True)
        stage = tempfile.mkdtemp(dir=self.scratch)
        for name, source in members.items():
            shutil.copy(source, os.path.join(stage, name))
        cabinet = os.path.join(folder, self.cabinet)
        subprocess.run(["gcab", "--create", "--nopath", cabinet]
                       + [os.path.join(stage, name) for name in members], check=True, timeout=60)
        sign(cabinet)

    def other_key(self):
        key = os.path.join(self.scratch, "other-key.pem")
        subprocess.run(["openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", key], check=True,
                       timeout=60)
        return key

    def serve(self, folder, status=None):
        server = UpdateServer(folder, self.port, status)
        self.servers.append(server)
        return server

    def snapshot(self, app):
        return {name: app.read(name) for name in sorted(os.listdir(app.folder)) if name not in WRITTEN_AT_EXIT}

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
        there was none) and the confirmation's text (None when there was none). A run shows one
        box: a failure is not followed by a confirmation."""
        app.command(IDM_CHECK_UPDATES)
        box = wait_until(lambda: next((w for w in self.probe.windows() if w["class"] == "#32770" and w["visible"]
                                       and w["text"] in (ERROR, CONFIRMATION)), None), 90, 0.3,
                         "an updater message")
        if box["text"] == ERROR:
            X.screenshot(self.artifact("updater-error-box.png"))
        text = self.box_text(box)
        self.dismiss(box)
        # A second box would follow the first at once.
        deadline = time.monotonic() + 3
        while time.monotonic() < deadline:
            self.assertEqual([w for w in self.probe.windows() if w["class"] == "#32770"
                              and w["text"] in (ERROR, CONFIRMATION)], [], "a second updater message")
            time.sleep(0.3)
        return (text, None) if box["text"] == ERROR else (None, text)

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
        for name, data in self.released_helper.items():
            self.assertEqual(app.read(name), data, name)
            self.assertFalse(os.path.exists(app.path(name[:-1] + "_")), name)
        # The old files are still in use by the running program, so they stay set aside.
        self.assertEqual(app.read("~wordlark.exe.tmp"), original["wordlark.exe"])
        self.assertEqual(app.read("~larkhook.dll.tmp"), original["larkhook.dll"])
        self.assertFalse(os.path.exists(app.path("wordlark.ex_")))
        self.assertFalse(os.path.exists(app.path("larkhook.dl_")))
        self.stop(app)

        # The new version runs and updates itself again: the first run's set-aside files go, and
        # the files now in use are set aside in their place. The first release's answers could be
        # cached for a day; the update is fetched anew all the same.
        server.stop()
        second, second_program, second_library = self.release("two", self.later(2))
        self.serve(second)
        app.start()
        self.assertEqual(self.run_update(app), (None, UPDATED_TEXT))
        self.assertEqual(app.read("wordlark.exe"), second_program)
        self.assertEqual(app.read("larkhook.dll"), second_library)
        self.assertEqual(app.read("~wordlark.exe.tmp"), first_program)
        self.assertEqual(app.read("~larkhook.dll.tmp"), first_library)
        self.stop(app)

    def test_only_a_later_release_is_installed(self):
        """Whoever serves updates cannot bring back an older release: an older or the same version,
        signed as it is, is answered as no update; a later one installs."""
        major, minor, patch = self.running_version
        # A higher patch number of an earlier minor release is still earlier.
        older = (major, minor - 1, 65535) if minor else (major - 1, 255, 65535)
        app = self.program_folder()
        before = self.snapshot(app)
        app.start()
        for marker, version in (("older", older), ("same", self.running_version)):
            with self.subTest(marker):
                folder, _, _ = self.release(marker, version)
                server = self.serve(folder)
                try:
                    self.assertEqual(self.run_update(app), (None, LATEST_TEXT))
                finally:
                    server.stop()
                self.assertEqual(self.snapshot(app), before)
        later, program, library = self.release("later")
        self.serve(later)
        self.assertEqual(self.run_update(app), (None, UPDATED_TEXT))
        self.assertEqual(app.read("wordlark.exe"), program)
        self.assertEqual(app.read("larkhook.dll"), library)
        self.assertEqual(pe_version.read(program), self.later(1))
        self.stop(app)

    def test_refused_updates_say_why_and_change_nothing(self):
        good, _, _ = self.release("good")
        with open(os.path.join(good, self.cabinet), "rb") as f:
            cabinet = f.read()

        def folder_with(name, files):
            folder = os.path.join(self.scratch, name)
            os.makedirs(folder)
            for file_name, data in files.items():
                with open(os.path.join(folder, file_name), "wb") as f:
                    f.write(data)
            return folder

        # Signatures: by another key, over other bytes, none at all.
        other = folder_with("other-key", {self.cabinet: cabinet})
        sign(os.path.join(other, self.cabinet), self.other_key())
        with open(os.path.join(good, self.cabinet + ".sig"), "rb") as f:
            good_signature = f.read()
        one_bit_off = bytearray(cabinet)
        one_bit_off[len(one_bit_off) // 2] ^= 0x01
        changed = folder_with("changed", {self.cabinet: bytes(one_bit_off), self.cabinet + ".sig": good_signature})
        unsigned = folder_with("unsigned", {self.cabinet: cabinet})

        # Signed, but not what can be installed.
        damaged = folder_with("damaged", {self.cabinet: cabinet[:len(cabinet) // 2] + b"\xff" * 4096})
        sign(os.path.join(damaged, self.cabinet))
        # Only the program file: installing it alone would pair it with the old hook library.
        missing = os.path.join(self.scratch, "missing")
        self.cabinet_of(missing, {"wordlark.ex_": os.path.join(DIST, "wordlark.exe")})
        # A server that answers with something that is not a program at all.
        not_programs = os.path.join(self.scratch, "not-programs")
        page = os.path.join(self.scratch, "page.html")
        with open(page, "wb") as f:
            f.write(b"<html>maintenance</html>\n")
        self.cabinet_of(not_programs, {"wordlark.ex_": page, "larkhook.dl_": page})

        # A later program with the running release's hook library: not one release.
        mixed = os.path.join(self.scratch, "mixed")
        later_program = os.path.join(self.scratch, "later-program.exe")
        with open(later_program, "wb") as f:
            f.write(pe_version.with_version(self.test_program, self.later(1)))
        mixed_members = {"wordlark.ex_": later_program, "larkhook.dl_": os.path.join(DIST, "larkhook.dll")}
        if BITS == 64:
            helper32 = os.path.join(os.path.dirname(os.path.dirname(DIST)), "win32", "helper32")
            mixed_members.update({name[:-1] + "_": os.path.join(helper32, name) for name in HELPER})
        self.cabinet_of(mixed, mixed_members)

        # (what, the folder or HTTP status served or None for no server, words the error must hold)
        cases = [("signed with another key", other, "signature"),
                 ("changed after signing", changed, "signature"),
                 ("no signature", unsigned, "no signature"),
                 ("damaged cabinet", damaged, "unpacked"),
                 ("missing member", missing, "larkhook.dl_"),
                 ("packaged files that are not programs", not_programs, "wordlark.ex_"),
                 ("files of two releases", mixed, "not of one release"),
                 ("unreachable server", None, "could not be fetched"),
                 ("server error", 500, "500")]
        # Complete programs of the other build: its hook library would never load into this one.
        other_dist = os.path.join(os.path.dirname(os.path.dirname(DIST)), "win32" if BITS == 64 else "win64", "dist")
        if os.path.exists(os.path.join(other_dist, "larkhook.dll")):
            other_build = os.path.join(self.scratch, "other-build")
            self.cabinet_of(other_build, {"wordlark.ex_": os.path.join(other_dist, "wordlark.exe"),
                                          "larkhook.dl_": os.path.join(other_dist, "larkhook.dll")})
            cases.append(("programs of the other build", other_build, "wordlark.ex_"))
        if BITS == 64:
            # The helper must be of the other bitness, the one its programs have: the 64-bit
            # program and library under the helper's names are refused.
            wrong_helper = os.path.join(self.scratch, "wrong-helper")
            self.cabinet_of(wrong_helper, {"wordlark.ex_": os.path.join(DIST, "wordlark.exe"),
                                           "larkhook.dl_": os.path.join(DIST, "larkhook.dll"),
                                           "wordlark32.ex_": os.path.join(DIST, "wordlark.exe"),
                                           "larkhook32.dl_": os.path.join(DIST, "larkhook.dll")})
            cases.append(("a helper of the program's own bitness", wrong_helper, "wordlark32.ex_"))

        # One running program meets every case in turn: a refused update changes nothing, so each
        # starts from the same folder.
        app = self.program_folder()
        before = self.snapshot(app)
        app.start()
        for what, served, words in cases:
            with self.subTest(what):
                server = None
                if isinstance(served, int):
                    server = self.serve(None, status=served)
                elif served:
                    server = self.serve(served)
                try:
                    error_text, confirmation = self.run_update(app)
                finally:
                    if server:
                        server.stop()
                self.assertIsNone(confirmation)
                self.assertIn(words, error_text)
                self.assertNotIn("success", error_text.lower())
                self.assertEqual(self.snapshot(app), before)

        # A server without a cabinet has no update to offer: that is no failure.
        self.serve(tempfile.mkdtemp(dir=self.scratch))
        self.assertEqual(self.run_update(app), (None, LATEST_TEXT))
        self.stop(app)
        self.assertEqual(self.snapshot(app), before)

    def test_locked_hook_library_keeps_the_installed_pair(self):
        """The program file is replaced first; when the hook library then cannot be, the old
        program file goes back, and a later update installs the new pair."""
        app = self.program_folder()
        before = self.snapshot(app)
        release, program, library = self.release("locked")
        self.serve(release)
        app.start()
        library_path = self.wine.unix_to_windows(app.path("larkhook.dll"))
        self.assertEqual(self.probe.call("hold", library_path), 1)
        try:
            error_text, confirmation = self.run_update(app)
        finally:
            self.probe.call("release", library_path)
        self.assertIsNone(confirmation)
        self.assertIn("larkhook.dll could not be replaced", error_text)
        self.assertEqual(self.snapshot(app), before)

        self.assertEqual(self.run_update(app), (None, UPDATED_TEXT))
        self.assertEqual(app.read("wordlark.exe"), program)
        self.assertEqual(app.read("larkhook.dll"), library)
        self.stop(app)
