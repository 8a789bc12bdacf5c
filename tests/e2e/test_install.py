"""Wordlark installed where its user may not write (a program folder under Program Files): run by
a Linux user who is not root, in a Wine prefix of that user's own, with the program folder owned by
root and closed to writing. Every file it writes goes to the user's own folder instead."""

import os
import pwd
import subprocess
import unittest

from harness import Wordlark, WineTestCase, X, wait_until

USER = "wlplain"
VOCABULARY = b"hello 500\r\nhelp 400\r\nhelmet 300\r\nworld 200\r\n"
SETTINGS = (b"command_key\t1058\t\r\nwordlark_key\t1061\t\r\nkeyboard_key\t1064\t\r\nwordlist_file\t\t\r\n"
            b"enable_completion\t1\t\r\nnotepad.exe\tC:\\windows\\system32\\notepad.exe\t1\t\r\n")
EXIT_TIMEOUT = 240
# Files an earlier, writable install left in the program folder.
EARLIER_WORDS = b"quintet 3\r\n"
EARLIER_PAIRS = b"string quintet 2\r\n"
EARLIER_QUERIES = b"wordlark query memory 1\r\n"


def ensure_user():
    """The test's own user, made when missing; None where users cannot be made (not root)."""
    try:
        pwd.getpwnam(USER)
        return USER
    except KeyError:
        pass
    if os.geteuid() != 0:
        return None
    made = subprocess.run(["useradd", "--no-create-home", "--home-dir", "/nonexistent", "--shell",
                           "/usr/sbin/nologin", USER], capture_output=True)
    return USER if made.returncode == 0 else None


class ReadOnlyProgramFolder(WineTestCase):
    wine_user = ensure_user() if os.geteuid() == 0 else None

    @classmethod
    def setUpClass(cls):
        if not cls.wine_user:
            raise unittest.SkipTest("needs root to run Wine as a user of its own")
        super().setUpClass()

    def install(self):
        """The program folder as an administrator leaves it: the user may read it, not write it."""
        app = Wordlark(self.wine, self.probe, folder_name=os.path.join("Program Files", "Wordlark"),
                       extra_files={"english.voc": VOCABULARY, "wordlark.cfg": SETTINGS,
                                    "editor.exe.vob": EARLIER_WORDS, "editor.exe.pairs": EARLIER_PAIRS,
                                    "wordlark.cmq": EARLIER_QUERIES})
        for root, dirs, files in os.walk(app.folder):
            for name in dirs + files:
                os.chown(os.path.join(root, name), 0, 0)
        os.chown(app.folder, 0, 0)
        os.chmod(app.folder, 0o755)
        return app

    def users_folder(self):
        return os.path.join(self.wine.drive_c, "users", USER, "AppData", "Local", "Wordlark")

    def test_files_go_to_the_users_folder_the_user_is_told_and_the_next_start_offers_the_word(self):
        app = self.install()
        before = {name: app.read(name) for name in os.listdir(app.folder)}
        app.start()
        # The user is told where the files are kept.
        balloon = lambda: [w for w in self.probe.find(cls="tooltips_class32", visible=True)
                           if w["pid"] != app.main_window()["pid"]]
        wait_until(balloon, 30, 0.3, "the balloon at the tray icon")
        X.screenshot(self.artifact("per-user-folder-balloon.png"))
        # The settings were taken over: notepad may learn.
        notepad = self.start_notepad()
        notepad.focus()
        X.type("quokkas ")
        notepad.wait_text("quokkas ")
        X.type("hel")
        X.key("shift+space")
        notepad.wait_text("quokkas hello")
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)

        folder = self.users_folder()

        def read(name):
            with open(os.path.join(folder, name), "rb") as f:
                return f.read()

        self.assertIn(b"quokkas 1\r\n", read("notepad.exe.vob"))
        self.assertEqual(read("wordlark.cfg"), SETTINGS)
        self.assertIn(b"hello 501\r\n", read("english.voc"))
        self.assertTrue(os.path.exists(os.path.join(folder, "wordlark.cmd")))
        # What the user had learned and launched before was taken over whole; the shipped pair
        # model stays where it is read from.
        self.assertEqual(read("editor.exe.vob"), EARLIER_WORDS)
        self.assertEqual(read("editor.exe.pairs"), EARLIER_PAIRS)
        self.assertEqual(read("wordlark.cmq"), EARLIER_QUERIES)
        self.assertFalse(os.path.exists(os.path.join(folder, "english.pairs")))
        # Nothing in the program folder changed, and no test file was left there.
        self.assertEqual({name: app.read(name) for name in os.listdir(app.folder)}, before)
        notepad.close()

        # The next start reads the user's folder: the learned word is offered, and nothing is
        # said about the folder again.
        app.start()
        notepad = self.start_notepad()
        notepad.focus()
        X.type("quo")
        wait_until(lambda: next((w for w in app.main_windows() if w["visible"]), None), 30, 0.1, "the word offered")
        self.assertEqual(balloon(), [])
