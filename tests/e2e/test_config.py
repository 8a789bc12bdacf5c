"""The Configurations dialog end to end: opened from the tray menu's command of the real
wordlark.exe, driven by button clicks and real keys, checked through the hot keys' effect in
notepad, the suggestion list, the settings file and Wine's registry."""

import os
import subprocess
import time

from harness import WineTestCase, X, wait_until

IDM_CONFIGURATIONS = 32779
CAPTION = "Wordlark Configurations"
BM_GETCHECK = 0x00F0
BM_CLICK = 0x00F5
WM_NEXTDLGCTL = 0x0028
IDOK, IDCANCEL = 1, 2
STARTUP, SPACE, KEY_S, KEY_L = 1054, 1058, 1059, 1060
TYPING_M, KEYBOARD_O = 1061, 1064
PROGRAM_LIST, LEARNING_TEXT, WORDLIST_PATH, CHOOSE, WORDLIST_TEXT, CLEAR = 1068, 1071, 1073, 1074, 1075, 1076
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"

VOCABULARY = b"hello 500\r\nhelp 400\r\nworld 200\r\n"


def settings_file(word_list="", programs=()):
    lines = [b"command_key\t1058\t", b"wordlark_key\t1061\t", b"keyboard_key\t1064\t",
             b"wordlist_file\t" + word_list.encode() + b"\t", b"enable_completion\t1\t"]
    lines += [b"%s\t%s\t%d\t" % (name.encode(), path.encode(), flag) for name, path, flag in programs]
    return b"".join(line + b"\r\n" for line in lines)


def stays(predicate, seconds=2.0, interval=0.2):
    """True when predicate holds at every poll for the given time (the negative checks)."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if not predicate():
            return False
        time.sleep(interval)
    return True


def pixels_of(shot, rect):
    """The colours of a screen rectangle of a screenshot, as a set of (r, g, b)."""
    left, top, right, bottom = rect
    out = subprocess.run(["convert", shot, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                          "+repage", "-depth", "8", "txt:-"], capture_output=True, text=True, timeout=60).stdout
    colours = set()
    for line in out.splitlines():
        if not line.startswith("#") and "(" in line:
            inner = line.split("(")[1].split(")")[0]
            colours.add(tuple(int(round(float(p))) for p in inner.split(",")[:3]))
    return colours


class Configurations(WineTestCase):
    # --- the dialog -----------------------------------------------------------------------------

    def open_dialog(self, app):
        app.command(IDM_CONFIGURATIONS)
        return wait_until(lambda: next((w for w in self.probe.find(cls="#32770", text=CAPTION) if w["visible"]),
                                       None), 30, 0.2, "the Configurations dialog")

    def control(self, dialog, control_id):
        return wait_until(lambda: next((c for c in self.probe.children(dialog["hwnd"]) if c["id"] == control_id),
                                       None), 10, 0.2, "control %d" % control_id)

    def checked(self, dialog, control_id):
        return self.probe.send(self.control(dialog, control_id)["hwnd"], BM_GETCHECK) == 1

    def click(self, dialog, control_id):
        self.probe.post(self.control(dialog, control_id)["hwnd"], BM_CLICK)

    def close(self, dialog, button):
        self.click(dialog, button)
        wait_until(lambda: not any(w["hwnd"] == dialog["hwnd"] for w in self.probe.windows()), 10, 0.2,
                   "the dialog closed")

    def toggle_first_program(self, dialog):
        """Space on the first row of the list flips its tick box, as the user does it."""
        program_list = self.control(dialog, PROGRAM_LIST)
        wait_until(X.focus_desktop, 10, 0.2, "the Wine desktop window")
        self.probe.call("activate", dialog["hwnd"])
        wait_until(lambda: (self.probe.foreground() or {}).get("hwnd") == dialog["hwnd"], 10, 0.2,
                   "the dialog in the foreground")
        self.probe.send(dialog["hwnd"], WM_NEXTDLGCTL, program_list["hwnd"], 1)
        X.key("Home")
        X.key("space")

    def screenshot(self, name):
        return X.screenshot(self.artifact(name))

    # --- the program's windows ------------------------------------------------------------------

    def command_window(self, app):
        pid = app.main_window()["pid"]
        return wait_until(lambda: next((w for w in self.probe.windows() if w["pid"] == pid and
                                         w["class"] == "#32770" and w["visible"] and w["text"] != CAPTION), None),
                          15, 0.2, "the command window shown at start-up")

    def visible(self, hwnd):
        return next((w["visible"] for w in self.probe.windows() if w["hwnd"] == hwnd), None)

    def notepad_dialogs(self, notepad):
        return [w for w in self.probe.windows() if w["pid"] == notepad.window["pid"] and w["class"] == "#32770"
                and w["visible"]]

    def list_shown(self, app):
        window = app.suggestion_window()
        return bool(window and window["visible"])

    # --- the tests ------------------------------------------------------------------------------

    def test_hot_keys_are_chosen_at_once_and_take_effect_at_ok(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY})
        notepad = self.start_notepad()
        command = self.command_window(app)

        dialog = self.open_dialog(app)
        self.screenshot("config-dialog.png")
        self.assertEqual([self.checked(dialog, i) for i in (SPACE, KEY_S, KEY_L)], [True, False, False])
        self.assertTrue(self.checked(dialog, TYPING_M))
        self.assertTrue(self.checked(dialog, KEYBOARD_O))
        self.click(dialog, KEY_S)
        wait_until(lambda: self.checked(dialog, KEY_S), 10, 0.2, "S selected")
        self.assertFalse(self.checked(dialog, SPACE))
        self.close(dialog, IDCANCEL)

        # Cancel: the choice stays in the settings, but Ctrl+Space is still the hot key, and Ctrl+S
        # reaches notepad, whose Save As dialog opens.
        notepad.focus()
        X.key("ctrl+s")
        save_as = wait_until(lambda: self.notepad_dialogs(notepad), 15, 0.2, "notepad's Save As dialog")[0]
        self.probe.post(save_as["hwnd"], 0x0010)  # WM_CLOSE
        wait_until(lambda: not self.notepad_dialogs(notepad), 10, 0.2, "Save As closed")
        shown = self.visible(command["hwnd"])
        notepad.focus()
        X.key("ctrl+space")
        wait_until(lambda: self.visible(command["hwnd"]) != shown, 10, 0.2, "Ctrl+Space toggling the command window")

        # The dialog shows the stored choice again; OK hands it to the hook library.
        dialog = self.open_dialog(app)
        self.assertEqual([self.checked(dialog, i) for i in (SPACE, KEY_S, KEY_L)], [False, True, False])
        self.close(dialog, IDOK)
        self.assertIn(b"command_key\t1059\t\r\n", app.read("wordlark.cfg"))

        shown = self.visible(command["hwnd"])
        notepad.focus()
        X.key("ctrl+s")
        wait_until(lambda: self.visible(command["hwnd"]) != shown, 10, 0.2, "Ctrl+S toggling the command window")
        self.assertEqual(self.notepad_dialogs(notepad), [])
        shown = self.visible(command["hwnd"])
        notepad.focus()
        X.key("ctrl+space")
        self.assertTrue(stays(lambda: self.visible(command["hwnd"]) == shown), "Ctrl+Space no longer toggles")

    def test_unticking_a_program_drops_what_it_learned(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY})
        notepad = self.start_notepad()
        notepad.focus()
        # The first word typed in notepad lists it, without learning.
        X.type("hello ")
        notepad.wait_text("hello ")

        dialog = self.open_dialog(app)
        self.toggle_first_program(dialog)
        self.screenshot("config-dialog-ticked.png")
        self.close(dialog, IDOK)
        cfg = app.read("wordlark.cfg").lower()
        self.assertRegex(cfg, rb"\r\nnotepad\.exe\t[^\t]*notepad\.exe\t1\t\r\n")

        # Learning is allowed now: a finished word of five letters or more is learned.
        notepad.focus()
        X.type("quokkas ")
        notepad.wait_text("hello quokkas ")
        X.type("quok")
        wait_until(lambda: self.list_shown(app), 10, 0.2, "the learned word offered")
        X.key("space")
        wait_until(lambda: not self.list_shown(app), 10, 0.2, "the list hidden")

        dialog = self.open_dialog(app)
        self.toggle_first_program(dialog)
        self.close(dialog, IDOK)
        self.assertRegex(app.read("wordlark.cfg").lower(), rb"\r\nnotepad\.exe\t[^\t]*notepad\.exe\t0\t\r\n")

        notepad.focus()
        X.type("quok")
        notepad.wait_text("hello quokkas quok quok")
        self.assertTrue(stays(lambda: not self.list_shown(app)), "the learned word is gone")
        # At exit nothing of notepad's is written, and its vocabulary file is removed.
        self.assertEqual(app.exit(), 0)
        self.assertFalse(os.path.exists(app.path("notepad.exe.vob")))

    def test_a_word_list_chosen_in_the_file_dialog_is_loaded_at_ok(self):
        # The list lies in a folder of its own; the file dialog moves the current directory there.
        lists = os.path.join(self.wine.drive_c, "Lists")
        os.makedirs(lists, exist_ok=True)
        with open(os.path.join(lists, "animals.txt"), "wb") as f:
            f.write(b"platypus\r\n")
        allowed = settings_file(programs=[("notepad.exe", "C:\\windows\\system32\\notepad.exe", 1)])
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY, "wordlark.cfg": allowed,
                                               "wordlark.cmd": b"zebra\t3\nmoose\t2\n"})
        notepad = self.start_notepad()
        dialog = self.open_dialog(app)
        self.click(dialog, CHOOSE)
        pid = app.main_window()["pid"]
        chooser = wait_until(lambda: next((w for w in self.probe.windows() if w["pid"] == pid and w["visible"] and
                                           w["class"] == "#32770" and w["text"] not in (CAPTION, "")), None),
                             20, 0.2, "the file dialog")
        self.screenshot("config-choose.png")
        wait_until(X.focus_desktop, 10, 0.2, "the Wine desktop window")
        self.probe.call("activate", chooser["hwnd"])
        wait_until(lambda: (self.probe.foreground() or {}).get("hwnd") == chooser["hwnd"], 10, 0.2,
                   "the file dialog in the foreground")
        # Browsing into the folder first, as a user does.
        X.type("C:\\Lists\\")
        X.key("Return")
        X.type("animals.txt")
        X.key("Return")
        path = self.control(dialog, WORDLIST_PATH)
        wait_until(lambda: self.probe.text(path["hwnd"]) == "C:\\Lists\\animals.txt", 15, 0.2, "the chosen path")
        self.close(dialog, IDOK)
        self.assertIn(b"\r\nwordlist_file\tC:\\Lists\\animals.txt\t\r\n", app.read("wordlark.cfg"))

        notepad.focus()
        X.type("platy")
        wait_until(lambda: self.list_shown(app), 10, 0.2, "a word of the chosen list offered")
        X.key("ctrl+1")
        notepad.wait_text("platypus")
        X.key("space")
        X.type("zebras")
        X.key("space")
        notepad.wait_text("platypus zebras ")
        self.assertEqual(app.exit(), 0)

        # Everything landed in the program folder, nothing beside the word list.
        self.assertEqual(sorted(os.listdir(lists)), ["animals.txt"])
        vob = app.read("notepad.exe.vob")
        self.assertIn(b"platypus 1\r\n", vob)
        self.assertIn(b"zebras 1\r\n", vob)
        self.assertEqual(app.read("wordlark.cmd"), b"moose\t2\r\nzebra\t3\r\n")
        # The next start reads them back: the learned word is offered and taken.
        notepad.clear()
        app.start()
        notepad.focus()
        X.type("zebr")
        # Wine reuses the handles of the first run's windows: the list is the visible one.
        wait_until(lambda: any(w["visible"] for w in app.main_windows()), 10, 0.2, "the learned word offered")
        X.key("shift+space")
        notepad.wait_text("zebras")

    def test_clear_then_ok_removes_the_custom_word_list(self):
        folder = "C:\\Wordlark\\"
        app = self.start_wordlark(extra_files={
            "english.voc": VOCABULARY,
            "my words.txt": b"quokka\r\nwombat\r\n",
            "wordlark.cfg": settings_file(word_list=folder + "my words.txt"),
        })
        notepad = self.start_notepad()
        notepad.focus()
        X.type("quok")
        wait_until(lambda: self.list_shown(app), 10, 0.2, "a word of the custom list offered")
        X.key("space")
        wait_until(lambda: not self.list_shown(app), 10, 0.2, "the list hidden")

        dialog = self.open_dialog(app)
        path = self.control(dialog, WORDLIST_PATH)
        self.assertEqual(self.probe.text(path["hwnd"]), folder + "my words.txt")
        self.click(dialog, CLEAR)
        wait_until(lambda: self.probe.text(path["hwnd"]) == "", 10, 0.2, "the path cleared")
        self.close(dialog, IDOK)
        self.assertIn(b"\r\nwordlist_file\t\t\r\n", app.read("wordlark.cfg"))

        notepad.focus()
        X.type("quok")
        notepad.wait_text("quok quok")
        self.assertTrue(stays(lambda: not self.list_shown(app)), "the custom list is gone")

    def test_start_up_box_writes_and_removes_the_run_value_at_once(self):
        # A user's Run key exists; the dialog never creates it.
        self.wine.run(["reg", "add", RUN_KEY, "/f"])
        programs = [("Zed.exe", "C:\\Tools\\Zed.exe", 1), ("alpha.exe", "C:\\Tools\\alpha.exe", 0),
                    ("beta.exe", "C:\\Tools\\beta.exe", 1), ("gamma.exe", "C:\\Tools\\gamma.exe", 0)]
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY,
                                               "wordlark.cfg": settings_file(programs=programs)})

        def run_value():
            r = self.wine.reg_query(RUN_KEY, "Wordlark")
            return r.stdout if r.returncode == 0 and "Wordlark" in r.stdout else None

        dialog = self.open_dialog(app)
        self.assertFalse(self.checked(dialog, STARTUP))
        self.assertIsNone(run_value())
        self.click(dialog, STARTUP)
        value = wait_until(run_value, 20, 0.5, "the Run value")
        self.assertIn("REG_SZ", value)
        self.assertIn(app.exe, value)
        # Cancel undoes nothing: the value stays and the box shows it next time.
        self.close(dialog, IDCANCEL)
        self.assertIsNotNone(run_value())

        dialog = self.open_dialog(app)
        self.assertTrue(self.checked(dialog, STARTUP))
        shot = self.screenshot("config-dialog-programs.png")
        self.click(dialog, STARTUP)
        wait_until(lambda: run_value() is None, 20, 0.5, "the Run value removed")

        # Rows alternate white and light grey; the explanations are blue. (Wine draws group box
        # titles in the system colour whatever the dialog answers, so the "Hot Keys" frame is not checked.)
        rows = pixels_of(shot, self.control(dialog, PROGRAM_LIST)["rect"])
        self.assertIn((255, 255, 255), rows)
        self.assertIn((0xEB, 0xEB, 0xEB), rows)
        for control_id in (LEARNING_TEXT, WORDLIST_TEXT):
            left, top, right, bottom = self.control(dialog, control_id)["rect"]
            self.assertIn((0, 0, 255), pixels_of(shot, (left, top, right, min(bottom, top + 16))), control_id)
        self.close(dialog, IDOK)
