"""The 64-bit package with its 32-bit helper, as every 64-bit Windows runs it: wordlark32.exe hooks
the threads of the 32-bit programs with larkhook32.dll, the main program's global hooks serve the
64-bit ones, and both libraries share one state block. Needs a machine that runs 32-bit programs;
where it cannot, these tests are skipped and ./dev says that the real arrangement was not run."""

import os
import signal
import unittest

from harness import BITS, DIST, RUNS_32BIT, Notepad, WineTestCase, X, unix_pid, wait_until

VOCABULARY = b"hello 500\r\nhelp 400\r\nhelmet 300\r\nworld 200\r\n"
HELPER_FILES = ("wordlark32.exe", "larkhook32.dll")
NOTEPADS = (("notepad", "system32"), (r"C:\windows\syswow64\notepad.exe", "syswow64"))
LEARNING_IN_32BIT_NOTEPAD = (b"command_key\t1058\t\r\nwordlark_key\t1061\t\r\nkeyboard_key\t1064\t\r\n"
                             b"wordlist_file\t\t\r\nenable_completion\t1\t\r\n"
                             b"notepad.exe\tC:\\windows\\syswow64\\notepad.exe\t1\t\r\n")


class HookHelperOfThe64BitPackage(WineTestCase):
    @classmethod
    def setUpClass(cls):
        if BITS != 64 or not RUNS_32BIT:
            raise unittest.SkipTest("THE REAL 64-BIT PACKAGE WITH ITS 32-BIT HELPER WAS NOT RUN: "
                                    "needs the 64-bit build on a machine that runs 32-bit programs")
        if not all(os.path.exists(os.path.join(DIST, name)) for name in HELPER_FILES):
            raise AssertionError("the 64-bit program folder lacks the 32-bit helper")
        super().setUpClass()

    def start(self, folder_name="Wordlark", settings=None):
        files = {"english.voc": VOCABULARY}
        if settings:
            files["wordlark.cfg"] = settings
        app = self.start_wordlark(folder_name=folder_name, extra_files=files)
        libraries = wait_until(lambda: (lambda l: l if l and l["main"] and l["helper"] else None)(
            self.probe.call("hook-libraries")), 30, 0.3, "the hooks of both libraries")
        return app, libraries

    def helper_pid(self):
        return unix_pid("wordlark32.exe", self.wine.prefix)

    def list_shown(self, app, where):
        wait_until(lambda: app.suggestion_window()["visible"], 15, 0.1, "the list in " + where)

    def test_programs_of_both_bitnesses_complete_words_with_their_own_context(self):
        app, libraries = self.start()
        self.assertNotEqual(libraries["mainProcess"], libraries["helperProcess"])
        for program, folder in NOTEPADS:
            notepad = Notepad(self.wine, self.probe, program)
            notepad.focus()
            X.type("hel")
            self.list_shown(app, folder)
            state = app.hook_state()
            self.assertEqual(state["modulePath"].lower(), "c:\\windows\\%s\\notepad.exe" % folder)
            self.assertEqual(state["focus"], notepad.edit["hwnd"])
            X.key("ctrl+1")
            notepad.wait_text("hello")
            X.type(" wor")
            self.list_shown(app, folder + " after a space")
            X.key("shift+space")
            notepad.wait_text("hello world")
            # The enable state is one, and each press switches it once, not once per library.
            X.key("ctrl+m")
            wait_until(lambda: app.hook_state()["enable"] == 0, 10, 0.2, "Ctrl+M switched once, not twice")
            X.type(" hel")
            notepad.wait_text("hello world hel")
            self.assertFalse(app.suggestion_window()["visible"])
            X.key("ctrl+m")
            wait_until(lambda: app.hook_state()["enable"] == 1, 10, 0.2, "completion on again")
            notepad.close()
        self.assertEqual(app.exit(), 0)
        wait_until(lambda: self.helper_pid() is None, 15, 0.3, "the helper ended with the main program")

    def test_a_killed_helper_is_started_again_and_a_second_one_never_runs(self):
        app, libraries = self.start()
        first = self.helper_pid()
        self.assertIsNotNone(first)
        os.kill(first, signal.SIGKILL)
        wait_until(lambda: (lambda p: p and p != first)(self.helper_pid()), 30, 0.3, "a new helper")
        wait_until(lambda: (lambda l: l and l["helper"] and l["helperProcess"] != libraries["helperProcess"])(
            self.probe.call("hook-libraries")), 30, 0.3, "the new helper's hooks")
        notepad = Notepad(self.wine, self.probe, NOTEPADS[1][0])
        notepad.focus()
        X.type("hel")
        self.list_shown(app, "the 32-bit notepad, served by the new helper")
        X.key("shift+space")
        notepad.wait_text("hello")

        running = self.helper_pid()
        second = self.wine.start([app.wine.unix_to_windows(app.path("wordlark32.exe")),
                                  str(app.main_window()["pid"])])
        self.assertEqual(second.wait(timeout=30), 0)
        self.assertEqual(self.helper_pid(), running)
        self.assertEqual(app.exit(), 0)
        wait_until(lambda: self.helper_pid() is None, 15, 0.3, "the helper ended with the main program")

    def test_a_program_folder_outside_the_ansi_code_page_finds_its_files_and_starts_its_helper(self):
        # Cyrillic, outside the prefix's Western ANSI code page: every path the program reaches
        # there (its vocabulary, its helper, the files it saves) goes through the wide calls.
        folder = "\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b"  # "Programmy"
        app, libraries = self.start(folder, LEARNING_IN_32BIT_NOTEPAD)
        self.assertNotEqual(libraries["mainProcess"], libraries["helperProcess"])
        self.assertIsNotNone(self.helper_pid())
        notepad = Notepad(self.wine, self.probe, NOTEPADS[1][0])
        notepad.focus()
        X.type("hel")
        self.list_shown(app, "the 32-bit notepad, served by the helper started from " + folder)
        X.key("shift+space")
        notepad.wait_text("hello")
        self.assertEqual(app.exit(), 0)
        # Saved where they were read: the vocabulary with the pick's count, the word learned there.
        self.assertIn(b"hello 501\r\n", app.read("english.voc"))
        self.assertIn(b"hello 1\r\n", app.read("notepad.exe.vob"))
        self.assertIn(b"notepad.exe\tc:\\windows\\syswow64\\notepad.exe\t1\t\r\n", app.read("wordlark.cfg").lower())
