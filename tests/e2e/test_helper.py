"""The helper of the other bitness end to end. The 64-bit package runs wordlark32.exe, which installs
larkhook32.dll's hooks for the 32-bit programs, and both libraries share one state block. Always
tested with the test build's helper, whose program and library are 64-bit under the helper's
names: both libraries then load into the same notepad, where the helper's acts for both, so every
key that completes a word here went through the helper's library and the shared block. Where the
machine runs 32-bit programs, the real package is tried with a 64-bit and a 32-bit notepad."""

import os
import signal
import unittest

from harness import BITS, DIST, RUNS_32BIT, Notepad, WineTestCase, X, unix_pid, wait_until

VOCABULARY = b"hello 500\r\nhelp 400\r\nhelmet 300\r\nworld 200\r\n"
IDM_ENABLE_TYPING = 32781
HELPER_FILES = ("wordlark32.exe", "larkhook32.dll")


def read(path):
    with open(path, "rb") as f:
        return f.read()


class HookHelper(WineTestCase):
    @classmethod
    def setUpClass(cls):
        if BITS != 64:
            raise unittest.SkipTest("the helper belongs to the 64-bit package")
        cls.helper_folder = os.path.join(os.environ.get("WL_E2E_BIN", ""), "helper")
        for name in HELPER_FILES:
            if not os.path.exists(os.path.join(cls.helper_folder, name)):
                raise AssertionError("the test build's helper is missing: %s" % name)
        super().setUpClass()

    def start(self):
        files = {"english.voc": VOCABULARY}
        files.update({name: read(os.path.join(self.helper_folder, name)) for name in HELPER_FILES})
        app = self.start_wordlark(extra_files=files)
        libraries = wait_until(lambda: (lambda l: l if l and l["main"] and l["helper"] else None)(
            self.probe.call("hook-libraries")), 30, 0.3, "the hooks of both libraries")
        notepad = self.start_notepad()
        notepad.focus()
        return app, notepad, libraries

    def helper_pid(self):
        return unix_pid("wordlark32.exe", self.wine.prefix)

    def list_shown(self, app):
        return wait_until(lambda: any(w["visible"] for w in app.main_windows()), 15, 0.1, "the suggestion list")

    def exit_ends_both(self, app):
        self.assertEqual(app.exit(), 0)
        wait_until(lambda: self.helper_pid() is None, 15, 0.3, "the helper ended with the main program")

    def test_keys_taken_by_the_helpers_library_complete_words_and_the_state_is_one(self):
        app, notepad, libraries = self.start()
        self.assertNotEqual(libraries["mainProcess"], libraries["helperProcess"])
        X.type("hel")
        notepad.wait_text("hel")
        modules = [m.lower() for m in self.probe.call("modules", notepad.window["pid"])]
        self.assertIn("larkhook32.dll", modules)
        # The context the helper's library recorded is what the main program reads.
        state = wait_until(lambda: (lambda s: s if s["moduleName"].lower() == "notepad.exe" else None)(
            app.hook_state()), 10, 0.2, "notepad as the program typed in")
        self.assertEqual(state["focus"], notepad.edit["hwnd"])
        self.list_shown(app)
        X.key("ctrl+1")
        notepad.wait_text("hello")

        # The enable state is one: switched by the helper's library, seen by the main program...
        X.key("ctrl+m")
        wait_until(lambda: app.hook_state()["enable"] == 0, 10, 0.2, "completion off")
        X.key("ctrl+m")
        wait_until(lambda: app.hook_state()["enable"] == 1, 10, 0.2, "completion on again, once per press")
        # ...and switched by the main program's tray menu, obeyed by the helper's library.
        app.command(IDM_ENABLE_TYPING)
        wait_until(lambda: app.hook_state()["enable"] == 0, 10, 0.2, "completion off from the menu")
        X.type(" hel")
        notepad.wait_text("hello hel")
        self.assertFalse(any(w["visible"] for w in app.main_windows()))
        self.exit_ends_both(app)

    def test_a_killed_helper_is_started_again_and_a_second_one_never_runs(self):
        app, notepad, libraries = self.start()
        first = self.helper_pid()
        self.assertIsNotNone(first)
        os.kill(first, signal.SIGKILL)
        wait_until(lambda: (lambda p: p and p != first)(self.helper_pid()), 30, 0.3, "a new helper")
        wait_until(lambda: (lambda l: l and l["helper"] and l["helperProcess"] != libraries["helperProcess"])(
            self.probe.call("hook-libraries")), 30, 0.3, "the new helper's hooks")
        X.type("hel")
        self.list_shown(app)
        X.key("shift+space")
        notepad.wait_text("hello")

        running = self.helper_pid()
        second = self.wine.start([app.wine.unix_to_windows(app.path("wordlark32.exe")),
                                  str(app.main_window()["pid"])])
        self.assertEqual(second.wait(timeout=30), 0)
        self.assertEqual(self.helper_pid(), running)
        self.exit_ends_both(app)


class HookHelperOfThe64BitPackage(WineTestCase):
    """The real package: the 32-bit helper serves the prefix's 32-bit notepad."""

    @classmethod
    def setUpClass(cls):
        if BITS != 64 or not RUNS_32BIT:
            raise unittest.SkipTest("needs the 64-bit build on a machine that runs 32-bit programs")
        if not all(os.path.exists(os.path.join(DIST, name)) for name in HELPER_FILES):
            raise AssertionError("the 64-bit program folder lacks the 32-bit helper")
        super().setUpClass()

    def test_programs_of_both_bitnesses_complete_words_with_their_own_context(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY})
        wait_until(lambda: (lambda l: l and l["helper"])(self.probe.call("hook-libraries")), 30, 0.3,
                   "the 32-bit helper's hooks")
        for program, folder in (("notepad", "system32"), (r"C:\windows\syswow64\notepad.exe", "syswow64")):
            notepad = Notepad(self.wine, self.probe, program)
            notepad.focus()
            X.type("hel")
            wait_until(lambda: any(w["visible"] for w in app.main_windows()), 15, 0.1, "the list in " + folder)
            state = app.hook_state()
            self.assertEqual(state["modulePath"].lower(), "c:\\windows\\%s\\notepad.exe" % folder)
            X.key("ctrl+1")
            notepad.wait_text("hello")
            X.key("ctrl+m")
            wait_until(lambda: app.hook_state()["enable"] == 0, 10, 0.2, "Ctrl+M switched once, not twice")
            X.key("ctrl+m")
            wait_until(lambda: app.hook_state()["enable"] == 1, 10, 0.2, "completion on again")
            notepad.close()
        self.assertEqual(app.exit(), 0)
