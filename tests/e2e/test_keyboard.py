"""The on-screen keyboard end to end: real mouse clicks on its keys type into the editor that has
the focus (Wine's notepad) while the keyboard window never becomes the active window; Shift;
the editing keys; closing with Shift on and showing again with the hot key."""

import subprocess
import threading
import time

from harness import Probe, WineTestCase, X, wait_until

KEYBOARD_TITLE = "Wordlark On-Screen Keyboard"
IDM_SCREEN_KEYBOARD = 32775
BM_GETSTATE = 0x00F2
BST_PUSHED = 0x0004
KEY_Q, KEY_W, KEY_E, KEY_7 = 1014, 1015, 1016, 1008
KEY_A, KEY_B, KEY_C, KEY_1 = 1027, 1042, 1040, 1002
KEY_BACKSPACE, KEY_DELETE, KEY_ENTER, KEY_SHIFT, KEY_SPACE = 1048, 1049, 1050, 2001, 2003


class ForegroundWatch:
    """Samples the foreground window in the background while a test clicks, so that an
    activation of the keyboard window during the clicks is seen. It has a probe of its own: the
    probe answers one caller at a time."""

    def __init__(self, wine):
        self.probe = Probe(wine)
        self.seen = set()
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)

    def _run(self):
        while not self._stop.is_set():
            fg = self.probe.foreground()
            if fg:
                self.seen.add(fg["text"])

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        self._thread.join(timeout=90)
        close = getattr(self.probe, "close", None)  # a probe that serves many calls ends here
        if close:
            close()


class Keyboard(WineTestCase):
    def start(self):
        app = self.start_wordlark()
        notepad = self.start_notepad()
        notepad.focus()
        self.window = wait_until(lambda: (self.probe.find(text=KEYBOARD_TITLE, pid=app.main_window()["pid"])
                                          or [None])[0], 15, 0.3, "the keyboard window")
        self.keys = {c["id"]: c for c in self.probe.children(self.window["hwnd"])}
        return app, notepad

    def show_from_tray(self, app, notepad):
        app.command(IDM_SCREEN_KEYBOARD)
        self.wait_visible(True)
        self.wait_attached(notepad)

    def wait_attached(self, notepad):
        """Waits until the keyboard's thread shares notepad's input, so it sees notepad's focus."""
        wait_until(lambda: (self.probe.focus_of(self.window["hwnd"]) or {}).get("hwnd") == notepad.edit["hwnd"],
                   10, 0.1, "the keyboard attached to notepad's input")

    def visible(self):
        return bool(self.probe.find(text=KEYBOARD_TITLE, visible=True))

    def wait_visible(self, expected):
        wait_until(lambda: self.visible() == expected, 10, 0.2, "keyboard visible = %s" % expected)

    def click(self, key_id):
        left, top, right, bottom = self.keys[key_id]["rect"]
        X.click((left + right) // 2, (top + bottom) // 2)

    def caption(self, key_id):
        return self.probe.text(self.keys[key_id]["hwnd"])

    def shift_pushed(self):
        return bool(self.probe.send(self.keys[KEY_SHIFT]["hwnd"], BM_GETSTATE) & BST_PUSHED)

    def assert_notepad_keeps_focus(self, notepad):
        self.assertEqual(self.probe.foreground()["hwnd"], notepad.window["hwnd"])
        self.assertEqual(self.probe.focus_of(notepad.window["hwnd"])["hwnd"], notepad.edit["hwnd"])

    def keep_screenshot(self, name):
        """A picture of the keyboard window alone, kept among the artifacts."""
        shot = X.screenshot(self.artifact(name + "-screen.png"))
        left, top, right, bottom = self.probe.find(text=KEYBOARD_TITLE)[0]["rect"]
        subprocess.run(["convert", shot, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                        "+repage", self.artifact(name + ".png")], capture_output=True, timeout=60)

    def test_clicked_keys_type_into_the_focused_editor_without_activating_the_keyboard(self):
        app, notepad = self.start()
        self.assertFalse(self.visible())  # created hidden
        with ForegroundWatch(self.wine) as watch:
            self.show_from_tray(app, notepad)
            self.assertEqual(self.caption(KEY_Q), "q")
            self.assertEqual(self.caption(KEY_7), "7")
            for key in (KEY_Q, KEY_W, KEY_E, KEY_SPACE, KEY_1):
                self.click(key)
            notepad.wait_text("qwe 1")
        self.assertEqual(watch.seen, {notepad.window["text"]})
        self.assert_notepad_keeps_focus(notepad)
        # The characters are messages, not keystrokes: the hook saw none, so no suggestions.
        self.assertFalse(app.suggestion_window()["visible"])
        self.keep_screenshot("keyboard")

    def test_shift_gives_the_shifted_layout_and_stays_down_until_clicked_again(self):
        app, notepad = self.start()
        self.show_from_tray(app, notepad)
        self.assertFalse(self.shift_pushed())
        self.click(KEY_SHIFT)
        wait_until(lambda: self.caption(KEY_Q) == "Q", 10, 0.2, "shifted captions")
        self.assertEqual(self.caption(KEY_7), "&&")  # shows as one ampersand, not a mnemonic
        self.assertEqual(self.caption(KEY_1), "!")
        self.assertTrue(self.shift_pushed())
        self.keep_screenshot("keyboard-shifted")
        for key in (KEY_Q, KEY_W, KEY_7):
            self.click(key)
        notepad.wait_text("QW&")
        # Shift stays on after characters: the button stays pushed, the captions upper-case.
        self.assertTrue(self.shift_pushed())
        self.assertEqual(self.caption(KEY_W), "W")
        self.click(KEY_SHIFT)
        wait_until(lambda: self.caption(KEY_Q) == "q", 10, 0.2, "plain captions again")
        self.assertFalse(self.shift_pushed())
        self.click(KEY_Q)
        notepad.wait_text("QW&q")
        self.assert_notepad_keeps_focus(notepad)

    def test_backspace_enter_and_delete_do_what_their_keys_say(self):
        app, notepad = self.start()
        self.show_from_tray(app, notepad)
        for key in (KEY_A, KEY_B, KEY_C):
            self.click(key)
        notepad.wait_text("abc")
        self.click(KEY_BACKSPACE)
        notepad.wait_text("ab")
        self.click(KEY_ENTER)
        self.click(KEY_C)
        notepad.wait_text("ab\r\nc")
        # Delete removes the character after the caret: put the caret at the very start.
        X.key("ctrl+Home")
        self.click(KEY_DELETE)
        notepad.wait_text("b\r\nc")
        self.assert_notepad_keeps_focus(notepad)

    def test_keys_typed_as_the_hot_key_shows_the_keyboard_arrive_and_ctrl_stays_held(self):
        app, notepad = self.start()
        # Typed straight after the hot key, before the keyboard's first timer tick.
        X.key("ctrl+o")
        X.type("x")
        self.wait_visible(True)
        notepad.wait_text("x")
        X.key("ctrl+o")
        self.wait_visible(False)
        # Ctrl held through showing and hiding in another program: the keyboard starts following
        # that program's input in between, which must not turn the second O into a plain letter.
        other = self.start_notepad()
        other.focus()
        X.keydown("ctrl")
        try:
            X.key("o")
            self.wait_visible(True)
            self.wait_attached(other)
            time.sleep(0.3)  # a few more ticks of the keyboard's 100 ms timer
            X.key("o")
            self.wait_visible(False)
        finally:
            X.keyup("ctrl")
        self.assertEqual(other.text(), "")
        self.assertEqual(notepad.text(), "x")
        self.assertEqual(app.exit(), 0)

    def test_closing_with_shift_on_and_showing_with_the_hot_key_shows_shift_off(self):
        app, notepad = self.start()
        self.show_from_tray(app, notepad)
        self.click(KEY_SHIFT)
        wait_until(lambda: self.caption(KEY_Q) == "Q", 10, 0.2, "shifted captions")
        # The close box at the right end of the caption.
        left, top, right, bottom = self.probe.find(text=KEYBOARD_TITLE)[0]["rect"]
        X.click(right - 13, top + 10)
        self.wait_visible(False)
        # Wine on a virtual desktop drops the keystrokes after a click on a caption button of a
        # window that is not active, until the next click; the user clicks back into the text.
        left, top, right, bottom = notepad.edit["rect"]
        X.click((left + right) // 2, (top + bottom) // 2)
        X.key("ctrl+o")
        self.wait_visible(True)
        self.wait_attached(notepad)
        self.assertEqual(self.caption(KEY_Q), "q")
        self.assertEqual(self.caption(KEY_7), "7")
        self.assertFalse(self.shift_pushed())
        self.click(KEY_Q)
        notepad.wait_text("q")
        self.assert_notepad_keeps_focus(notepad)
        # The same hot key hides it again.
        X.key("ctrl+o")
        self.wait_visible(False)
        self.assertEqual(app.exit(), 0)
