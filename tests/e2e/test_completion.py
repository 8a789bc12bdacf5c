"""Word completion end to end: the real wordlark.exe with a small english.voc, typing into Wine's
notepad through real X keystrokes; what the list shows is read from screenshots, what was typed
from notepad's edit field, what was learned from the files written at exit."""

import os
import shutil
import subprocess
import time

from harness import ARTIFACTS, DIST, WineTestCase, X, wait_until

VOCABULARY = b"hello 500\r\nhelp 400\r\nhelmet 300\r\nworld 200\r\n"
# Twelve words after "wa" with falling counts: more than one page of ten rows.
PAGED = b"".join(b"wa%s 9%02d\r\n" % (bytes([0x61 + i]) * 3, 50 - i) for i in range(12))

BACKGROUND = (250, 250, 250)
NUMBER = (255, 130, 171)
TYPED = (60, 179, 113)
REST = (92, 92, 92)
FOOTER = (204, 204, 204)
TITLE = (255, 255, 255)


def window_pixels(shot, rect):
    """{(x, y): (r, g, b)} of a screen rectangle [left, top, right, bottom] of a screenshot, in
    coordinates relative to its top-left corner."""
    left, top, right, bottom = rect
    out = subprocess.run(["convert", shot, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                          "+repage", "-depth", "8", "txt:-"], capture_output=True, text=True, timeout=60).stdout
    pixels = {}
    for line in out.splitlines():
        if line.startswith("#"):
            continue
        where, rest = line.split(":", 1)
        x, y = (int(v) for v in where.split(","))
        inner = rest.split("(")[1].split(")")[0]
        pixels[(x, y)] = tuple(int(round(float(p))) for p in inner.split(",")[:3])
    return pixels


def allowed_notepad_settings():
    """wordlark.cfg with learning allowed in the prefix's notepad."""
    return (b"command_key\t1058\t\r\nwordlark_key\t1061\t\r\nkeyboard_key\t1064\t\r\nwordlist_file\t\t\r\n"
            b"enable_completion\t1\t\r\nnotepad.exe\tC:\\windows\\system32\\notepad.exe\t1\t\r\n")


def columns_of(pixels, colour, y0, y1):
    """The x positions at which the colour occurs between rows y0 (inclusive) and y1."""
    return sorted({x for (x, y), c in pixels.items() if c == colour and y0 <= y < y1})


# Exit waits for the worker thread, which first finishes harvesting the launcher's catalogue; in a
# fresh prefix on a busy machine that can take minutes.
EXIT_TIMEOUT = 240


class Completion(WineTestCase):
    def start(self, vocabulary=VOCABULARY, extra=None):
        files = {"english.voc": vocabulary}
        files.update(extra or {})
        app = self.start_wordlark(extra_files=files)
        notepad = self.start_notepad()
        notepad.focus()
        return app, notepad

    # Each probe call starts a Wine process; on a busy machine that takes seconds, hence the
    # generous time-outs.
    # The main window is never shown, so a visible window of the class is the list. (Picking the
    # list by its handle is unreliable once a second instance has run: Wine reuses handles.)
    def visible_list(self, app):
        return next((w for w in app.main_windows() if w["visible"]), None)

    def list_shown(self, app):
        return wait_until(lambda: self.visible_list(app), 30, 0.1, "the suggestion list")

    def list_hidden(self, app):
        wait_until(lambda: self.visible_list(app) is None, 30, 0.1, "the list hidden")

    def notepad_path(self, app):
        state = wait_until(lambda: (lambda s: s if s and s["moduleName"].lower() == "notepad.exe" else None)(
            app.hook_state()), 10, 0.2, "notepad as the focused program")
        return state["moduleName"], state["modulePath"]

    def test_letters_show_the_list_at_the_caret_and_ctrl_digit_completes(self):
        app, notepad = self.start()
        X.type("hel")
        notepad.wait_text("hel")
        state = app.hook_state()
        # The list places itself right after each key; wait for the place of the last one.
        at_caret = (max(state["caretX"], notepad.edit["rect"][0]), state["caretY"] + state["charY"] + 2)
        try:
            shown = wait_until(lambda: (lambda w: w if w and tuple(w["rect"][:2]) == at_caret else None)(
                self.visible_list(app)), 10, 0.1, "the list at the caret")
        except Exception:
            shown = self.list_shown(app)
        left, top = shown["rect"][0], shown["rect"][1]
        self.assertEqual(left, max(state["caretX"], notepad.edit["rect"][0]), (shown, state))
        self.assertEqual(top, state["caretY"] + state["charY"] + 2, (shown, state))
        X.key("ctrl+1")
        notepad.wait_text("hello")
        self.list_hidden(app)
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)

    def test_the_list_lies_whole_on_the_screen_above_the_last_line_and_left_of_the_right_edge(self):
        app, notepad = self.start()
        work = self.probe.call("workarea", 640, 400)
        hwnd = notepad.window["hwnd"]

        def typed_hel_shows(where, placed):
            X.type("hel")
            state = app.hook_state()
            shown = wait_until(lambda: (lambda w: w if w and placed(w["rect"], app.hook_state()) else None)(
                self.visible_list(app)), 15, 0.1, "the list %s" % where)
            left, top, right, bottom = shown["rect"]
            self.assertTrue(work[0] <= left and right <= work[2] and work[1] <= top and bottom <= work[3],
                            (where, shown, work, state))

        # Notepad low on the screen: no room below the caret's line, so the list ends 2 pixels
        # above it.
        self.probe.call("move", hwnd, 300, work[3] - 110, 400, 110)
        X.click(600, work[3] - 60)
        typed_hel_shows("above the caret line", lambda rect, state: rect[3] == state["caretY"] - 2)
        X.key("Escape")
        notepad.clear()

        # At the right edge: the list is shifted left to end at the edge, still below the line.
        self.probe.call("move", hwnd, work[2] - 70, 200, 400, 300)
        X.click(work[2] - 30, 400)
        typed_hel_shows("at the right edge", lambda rect, state: rect[2] == work[2] and
                        rect[1] == state["caretY"] + state["charY"] + 2)
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)

    def test_shift_space_misses_and_capitals(self):
        app, notepad = self.start()
        # Shift+Space takes the first row.
        X.type("hel")
        self.list_shown(app)
        X.key("shift+space")
        notepad.wait_text("hello")
        self.list_hidden(app)

        # Letters that no word comes near hide the list and still reach notepad ("helx" is a slip
        # away from the hel- words, "helxq" two).
        X.key("space")
        X.type("hel")
        self.list_shown(app)
        X.type("xq")
        notepad.wait_text("hello helxq")
        self.list_hidden(app)

        # Capitals mode: the rest of the word comes in capitals.
        X.key("space")
        X.type("HEL")
        self.list_shown(app)
        X.key("shift+space")
        notepad.wait_text("hello helxq HELLO")
        self.list_hidden(app)
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)

    def test_the_word_before_ranks_what_follows_it_on_the_same_line(self):
        # York is the rarest of the three; after "New" the shipped pair model puts it first.
        app, notepad = self.start(vocabulary=b"Yemen 500\r\nYale 400\r\nYork 100\r\n")
        # A word on the next line has no word before it: the counts rank.
        X.type("New")
        X.key("Return")
        notepad.wait_text("New\r\n")
        X.type("Y")
        self.list_shown(app)
        X.key("ctrl+1")
        notepad.wait_text("New\r\nYemen")
        self.list_hidden(app)
        X.type(" New Y")
        self.list_shown(app)
        X.key("ctrl+1")
        notepad.wait_text("New\r\nYemen New York")
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)

    def test_the_list_looks_as_designed(self):
        app, notepad = self.start()
        X.type("hel")
        shown = self.list_shown(app)
        shot = wait_until(lambda: self._painted(shown), 10, 0.3, "the painted list")
        keep = os.path.join(ARTIFACTS, "completion-list.png")
        shutil.copy(shot, keep)
        rect = shown["rect"]
        pixels = window_pixels(shot, rect)
        # One-pixel border, then three rows of text and the footer, each a row of the list's font
        # tall (the line height of the program typed in is its caret's, and no measure of the list).
        height = (rect[3] - rect[1] - 2) // 4
        rows = [(1 + i * height, 1 + (i + 1) * height) for i in range(3)]
        right_edge = rect[2] - rect[0] - 3
        for y0, y1 in rows:
            self.assertEqual(pixels[(right_edge, y0 + 1)], BACKGROUND)
            self.assertTrue(columns_of(pixels, NUMBER, y0, y1), "row number in pink")
            self.assertTrue(columns_of(pixels, TYPED, y0, y1), "typed part in green")
            self.assertTrue(columns_of(pixels, REST, y0, y1), "rest in grey")
        # Every row's typed part starts in the same column, after the number.
        starts = [columns_of(pixels, TYPED, y0, y1)[0] for y0, y1 in rows]
        self.assertEqual(len(set(starts)), 1, starts)
        self.assertLess(max(columns_of(pixels, NUMBER, *rows[0])), starts[0])
        # Rows in order hello, help, helmet: the rest "lo", "p", "met" ends further right for "met".
        ends = [max(columns_of(pixels, REST, y0, y1)) for y0, y1 in rows]
        self.assertLess(ends[1], ends[0])
        self.assertLess(ends[0], ends[2])
        # Footer: grey band below the rows, the icon 4 pixels in, the white title after it.
        footer_top = 1 + 3 * height + 2
        self.assertEqual(pixels[(right_edge, footer_top + 2)], FOOTER)
        self.assertEqual(pixels[(right_edge, footer_top - 2)], BACKGROUND)
        # White title text right of the 16-pixel icon (the icon may hold white pixels of its own).
        self.assertTrue([x for x in columns_of(pixels, TITLE, footer_top, footer_top + height) if x >= 1 + 4 + 20])
        self.assertNotEqual(pixels[(1 + 4 + 8, footer_top + 8)], FOOTER, "the icon")

        # Shift+Down highlights the first row: its background takes the highlight colour while
        # the number stays pink.
        X.key("shift+Down")
        highlighted = wait_until(lambda: (lambda p: p if p[(right_edge, rows[0][0] + 1)] != BACKGROUND else None)(
            window_pixels(X.screenshot(self.artifact("completion-highlight.png")), rect)), 10, 0.3,
            "the highlighted row")
        self.assertTrue(columns_of(highlighted, NUMBER, *rows[0]))
        self.assertFalse(columns_of(highlighted, TYPED, *rows[0]))
        self.assertEqual(highlighted[(right_edge, rows[1][0] + 1)], BACKGROUND)

        # "helx" spells no word: each row is a correction, its number in pink with the mark, its
        # whole word in grey from the typed part's column ("h" where the typed "h" was), no green.
        X.type("x")
        corrected = wait_until(lambda: (lambda w, p: p if w and p and NUMBER in p.values() and
                                        TYPED not in p.values() else None)(
            self.visible_list(app), window_pixels(X.screenshot(self.artifact("completion-corrections.png")),
                                                  self.visible_list(app)["rect"])), 10, 0.3, "the corrections")
        for y0, y1 in rows:
            self.assertTrue(columns_of(corrected, NUMBER, y0, y1), "row number in pink")
            self.assertEqual(columns_of(corrected, REST, y0, y1)[0], starts[0], "the word where the typed part was")
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)

    def _painted(self, shown):
        shot = X.screenshot(self.artifact("completion-list-now.png"))
        pixels = window_pixels(shot, shown["rect"])
        return shot if NUMBER in pixels.values() and FOOTER in pixels.values() else None

    def test_highlight_and_enter_complete_the_highlighted_word_also_on_a_later_page(self):
        app, notepad = self.start(vocabulary=VOCABULARY + PAGED)
        X.type("hel")
        self.list_shown(app)
        X.key("shift+Down", "shift+Down")
        X.key("Return")
        notepad.wait_text("help")
        self.list_hidden(app)

        X.key("space")
        X.type("wa")
        self.list_shown(app)
        for _ in range(11):
            X.key("shift+Down")
        X.key("Return")  # index 10, the first row of the second page
        notepad.wait_text("help wakkk")
        self.list_hidden(app)
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)

    def test_delete_removes_the_highlighted_word_from_the_list_and_from_english_voc(self):
        app, notepad = self.start()
        X.type("hel")
        self.list_shown(app)
        X.key("shift+Down")
        X.key("Delete")
        self.list_hidden(app)
        X.key("space")
        X.type("hel")
        self.list_shown(app)
        X.key("shift+space")  # hello is gone: the first row is help now
        notepad.wait_text("hel help")
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)
        voc = app.read("english.voc")
        self.assertNotIn(b"hello", voc)
        self.assertIn(b"help 401\r\n", voc)

    def test_a_picked_correction_replaces_the_typed_letters_and_only_the_word_meant_is_learned(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY + b"friend 100\r\n",
                                               "wordlark.cfg": allowed_notepad_settings()})
        notepad = self.start_notepad()
        notepad.focus()
        # Ctrl is held while the typed letters are replaced; the user's capital stays.
        X.type("Freind")
        self.list_shown(app)
        X.key("ctrl+1")
        notepad.wait_text("Friend")
        self.list_hidden(app)
        X.type(" Frend")
        self.list_shown(app)
        X.key("shift+space")
        notepad.wait_text("Friend Friend")
        # A misspelling finished by hand while the list offers the word meant is not learned.
        X.type(" freind ")
        notepad.wait_text("Friend Friend freind ")
        name, _ = self.notepad_path(app)
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)
        vob = app.read(name + ".vob")
        self.assertIn(b"friend 2\r\n", vob)
        self.assertNotIn(b"freind", vob.lower())

    def test_learning_follows_the_permission_of_the_program(self):
        # First run: notepad is met for the first time and listed without permission; nothing is
        # learned there, not even the pick, and no learned file is made.
        app, notepad = self.start()
        X.type("hel")
        self.list_shown(app)
        X.key("shift+space")
        notepad.wait_text("hello")
        name, path = self.notepad_path(app)
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)
        cfg = app.read("wordlark.cfg")
        line = ("%s\t%s\t0\t\r\n" % (name, path)).encode("latin-1")
        self.assertIn(line, cfg)
        self.assertFalse(os.path.exists(app.path(name + ".vob")))
        notepad.close()

        # Second run with learning allowed: picks and finished words of five letters or more
        # are in the learned file after exit; Enter without a highlight reaches notepad once.
        allowed = cfg.replace(line, line.replace(b"\t0\t", b"\t1\t"))
        app2 = self.start_wordlark(folder_name="Wordlark2", extra_files={"english.voc": VOCABULARY,
                                                                         "wordlark.cfg": allowed})
        notepad2 = self.start_notepad()
        notepad2.focus()
        X.type("hel")
        self.list_shown(app2)
        X.key("shift+Down", "shift+Down", "shift+Down")
        X.key("Return")
        notepad2.wait_text("helmet")
        X.key("space")
        X.type("zebras")
        X.key("Return")
        notepad2.wait_text("helmet zebras\r\n")
        X.type("abc")
        X.key("Return")  # too short to learn
        notepad2.wait_text("helmet zebras\r\nabc\r\n")
        self.assertEqual(app2.exit(timeout=EXIT_TIMEOUT), 0)
        vob = app2.read(name + ".vob")
        self.assertIn(b"helmet 1\r\n", vob)
        self.assertIn(b"zebras 1\r\n", vob)
        self.assertNotIn(b"abc", vob)
        self.assertIn(line.replace(b"\t0\t", b"\t1\t"), app2.read("wordlark.cfg"))


# Written English past the list: it comes and goes at almost every letter with the shipped
# vocabulary, and every space and comma hides it.
SENTENCE = "the weather was better than expected, so we walked along the river and talked about everything"
# How long typed text or a pick may take to show in notepad after its key; reading notepad's text
# through the probe takes part of it.
LAG = 0.5


class TypingNeverWaits(WineTestCase):
    """The program typed in never waits for Wordlark's windows: a sentence typed past the list,
    picks and Escape take effect as fast as they would without Wordlark."""

    def start(self):
        app = self.start_wordlark()
        notepad = self.start_notepad()
        notepad.focus()
        # A first letter shows that keys reach notepad; Escape ends its word before the text goes.
        X.type("x")
        X.key("Escape")
        notepad.wait_text("x")
        notepad.clear()
        return app, notepad

    def list_shown(self, app):
        return wait_until(lambda: next((w for w in app.main_windows() if w["visible"]), None), 10, 0.05,
                          "the suggestion list")

    def lag(self, notepad, arrived, what):
        start = time.monotonic()
        text = wait_until(lambda: (lambda t: t if arrived(t) else None)(notepad.text()), 10, 0.02, what)
        return time.monotonic() - start, text

    def test_a_sentence_typed_past_the_list_is_never_held_up(self):
        app, notepad = self.start()
        X.type(SENTENCE, delay_ms=60)
        lag, _ = self.lag(notepad, lambda t: t == SENTENCE, "the sentence")
        self.assertLess(lag, LAG, "the text lagged %.2f s behind the last key" % lag)

    def test_picks_and_escape_take_effect_at_once(self):
        app, notepad = self.start()
        typed = ""
        for word, keys in (("weath", ["ctrl+1"]), ("rive", ["shift+space"]), ("expec", ["shift+Down", "Return"])):
            X.type(word)
            typed += word
            notepad.wait_text(typed)
            self.list_shown(app)
            X.key(*keys)
            before = typed
            lag, typed = self.lag(notepad, lambda t: t.startswith(before) and len(t) > len(before), "the pick")
            self.assertLess(lag, LAG, "%s took %.2f s" % ("+".join(keys), lag))
            X.key("space")
            typed += " "
            notepad.wait_text(typed)
        X.type("abo")
        notepad.wait_text(typed + "abo")
        self.list_shown(app)
        X.key("Escape")
        X.type("x")
        lag, _ = self.lag(notepad, lambda t: t == typed + "abox", "the letter after Escape")
        self.assertLess(lag, LAG, "the letter after Escape took %.2f s" % lag)


class TypingNeverWaitsOnABareDisplay(TypingNeverWaits):
    """The same without a virtual desktop: every window is an X window of its own on a display
    without a window manager, where Wine waits up to two seconds for one when a window is hidden."""

    virtual_desktop = False


class NothingLost(WineTestCase):
    def start_editor_from(self, folder, *args):
        """Our test editor run from a folder of its own under C:, as an installed program runs."""
        unix = os.path.join(self.wine.drive_c, *folder.split("\\"))
        os.makedirs(unix, exist_ok=True)
        shutil.copy(os.path.join(os.environ["WL_E2E_BIN"], "wltestedit.exe"), unix)
        known = {w["hwnd"] for w in self.probe.find(cls="WordlarkTestEditor")}
        process = self.wine.start([self.wine.unix_to_windows(os.path.join(unix, "wltestedit.exe"))] + list(args))
        window = wait_until(lambda: next((w for w in self.probe.find(cls="WordlarkTestEditor")
                                          if w["hwnd"] not in known), None), 30, 0.3, "the test editor")
        edit = wait_until(lambda: next((c for c in self.probe.children(window["hwnd"]) if c["id"] == 101), None),
                          10, 0.2, "its edit field")
        wait_until(X.focus_desktop, 10, 0.2, "the Wine desktop window")
        self.probe.call("activate", window["hwnd"])
        X.click((edit["rect"][0] + edit["rect"][2]) // 2, (edit["rect"][1] + edit["rect"][3]) // 2)
        wait_until(lambda: (self.probe.focus_of(window["hwnd"]) or {}).get("hwnd") == edit["hwnd"], 10, 0.2,
                   "the editor's edit field focused")
        return process, edit

    def list_shown(self, app):
        return wait_until(lambda: next((w for w in app.main_windows() if w["visible"]), None), 30, 0.1, "the list")

    def test_keys_sent_in_one_batch_and_held_act_once_and_the_rest_reach_the_program(self):
        # What a fast typist or a tool sends: key-downs and key-ups in one SendInput, a held key
        # as repeated key-downs.
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY})
        notepad = self.start_notepad()
        notepad.focus()
        X.key("Return")
        X.type("second line")
        X.key("Return")
        X.type("third line")
        notepad.wait_text("\r\nsecond line\r\nthird line")
        X.key("ctrl+Home")
        X.type("hel")
        self.list_shown(app)
        # Shift+Down held walks the list to its third row; none of its repeats selects text under
        # it, which the pick would then replace.
        self.probe.call("sendinput", "shift+ down+ down+ down+ down- shift-")
        self.probe.call("sendinput", "return+ return-")
        notepad.wait_text("helmet\r\nsecond line\r\nthird line")
        self.assertEqual(self.probe.call("selection", notepad.edit["hwnd"]), [6, 6])
        # Enter with nothing highlighted is notepad's own, at once; it is not left held, so the
        # next Enter is examined again and takes the highlighted word.
        X.type(" hel")
        self.list_shown(app)
        self.probe.call("sendinput", "return+ return-")
        notepad.wait_text("helmet hel\r\n\r\nsecond line\r\nthird line")
        self.assertEqual(self.probe.call("keystate", 0x0D), 0)
        X.type("wor")
        self.list_shown(app)
        self.probe.call("sendinput", "shift+ down+ down- shift-")
        self.probe.call("sendinput", "return+ return-")
        notepad.wait_text("helmet hel\r\nworld\r\nsecond line\r\nthird line")
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)

    def test_the_users_own_key_goes_on_and_a_slow_program_gets_each_character_once(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY})
        process, edit = self.start_editor_from(r"apps\slow", "slow")
        editor = next(w for w in self.probe.find(cls="WordlarkTestEditor") if w["pid"] == edit["pid"])
        title = lambda: self.probe.text(editor["hwnd"])
        text = lambda expected: wait_until(lambda: self.probe.text(edit["hwnd"]) == expected, 10, 0.1,
                                           "the editor's text %r" % expected)
        # Shift+Enter with Shift let go before Enter: the editor gets Enter with Shift, as pressed.
        X.type("hel")
        self.list_shown(app)
        self.probe.call("sendinput", "shift+ return+ shift- return-")
        wait_until(lambda: title().endswith(" shift+enter"), 10, 0.1, "Shift+Enter in the editor")
        # A held Ctrl+1 picks once; none of its repeats reaches the editor. The editor takes its
        # first typed character a second late, and still gets each one once.
        X.type("hel")
        self.list_shown(app)
        self.probe.call("sendinput", "ctrl+ 1+ 1+ 1+ 1- ctrl-")
        text("helhello")
        self.assertNotIn("ctrl+1", title())
        # Wordlark stands still while Shift+Space waits for it: the key goes on to the editor as a
        # space, and Wordlark's word ends there too, so "wo" typed after it is a word of its own.
        X.type(" hel")
        self.list_shown(app)
        self.assertEqual(self.probe.call("freeze", app.main_window()["hwnd"], 1500), 1)
        X.key("shift+space")
        X.type("wo")
        text("helhello hel wo")
        wait_until(lambda: (lambda l: l and l["posted"] == l["postedHandled"])(self.probe.call("hook-libraries")),
                   10, 0.1, "Wordlark caught up with the keys")
        self.list_shown(app)
        X.key("shift+space")
        text("helhello hel world")
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)

    def test_letters_are_what_the_layout_types(self):
        # Letters beyond A to Z come in whole words (the ä of a German keyboard, typed here through
        # xdotool's stand-in key for it); a word with a letter the code page cannot hold (Cyrillic
        # on this Western system) is neither offered nor learned.
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY, "wordlark.cfg": allowed_notepad_settings()})
        notepad = self.start_notepad()
        notepad.focus()
        # xdotool binds a spare key to each such letter as it types it: slowly, so that Wine sees
        # every new binding.
        X.type("Verst")
        X.type("\u00e4", delay_ms=250)
        X.type("ndnis ")
        X.type("\u0434\u043e\u043c", delay_ms=250)
        X.type(" ")
        # Notepad's text read in the code page: the Cyrillic letters come back as question marks.
        notepad.wait_text("Verst\u00e4ndnis ??? ")
        X.type("Verst")
        self.list_shown(app)
        X.key("shift+space")
        notepad.wait_text("Verst\u00e4ndnis ??? Verst\u00e4ndnis")
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)
        self.assertEqual(app.read("notepad.exe.vob"), b"Verst\xe4ndnis 2\r\n")

    def test_a_program_updated_beside_its_old_folder_keeps_its_words_and_a_namesake_takes_none(self):
        settings = allowed_notepad_settings() + b"wltestedit.exe\tC:\\apps\\tool\\app-1.0\\wltestedit.exe\t1\t\r\n"
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY, "wordlark.cfg": settings})
        _, edit = self.start_editor_from(r"apps\tool\app-1.1")
        X.type("quokkas ")
        wait_until(lambda: self.probe.text(edit["hwnd"]) == "quokkas ", 10, 0.2, "the word typed")
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)
        self.assertIn(b"quokkas 1\r\n", app.read("wltestedit.exe.vob"))
        self.assertIn(b"wltestedit.exe\tC:\\apps\\tool\\app-1.1\\wltestedit.exe\t1\t\r\n", app.read("wordlark.cfg"))

        # The next start offers the word there; a program of the same name from elsewhere is
        # listed without permission, learns nothing and takes none of the words away.
        app.start()
        _, edit = self.start_editor_from(r"apps\tool\app-1.1")
        X.type("quo")
        wait_until(lambda: next((w for w in app.main_windows() if w["visible"]), None), 30, 0.1, "the word offered")
        X.key("Escape")
        _, other = self.start_editor_from(r"elsewhere")
        X.type("abcdefg ")
        wait_until(lambda: self.probe.text(other["hwnd"]) == "abcdefg ", 10, 0.2, "the word typed elsewhere")
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)
        self.assertIn(b"wltestedit.exe\tC:\\elsewhere\\wltestedit.exe\t0\t\r\n", app.read("wordlark.cfg"))
        self.assertEqual(app.read("wltestedit.exe.vob"), b"quokkas 1\r\n")

    def test_a_file_that_cannot_be_saved_is_told_and_the_others_are_saved(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY, "wordlark.cfg": allowed_notepad_settings()})
        # A folder where the settings' temporary file goes: their save fails as on a full disk.
        os.makedirs(app.path("wordlark.cfg.tmp"))
        notepad = self.start_notepad()
        notepad.focus()
        X.type("hel")
        X.key("shift+space")
        X.type(" zebras ")
        notepad.wait_text("hello zebras ")
        pid = app.main_window()["pid"]
        app.command(105)  # Exit
        texts = lambda w: " ".join(c["text"] for c in self.probe.children(w["hwnd"]))
        # Told by the message box, not the command window, which is a dialog of the program too.
        box = wait_until(lambda: next((w for w in self.probe.windows() if w["pid"] == pid and w["visible"]
                                       and w["class"] == "#32770" and "could not save" in texts(w)), None),
                         EXIT_TIMEOUT, 0.5, "the message box")
        X.screenshot(self.artifact("unsaved-file-box.png"))
        texts = texts(box)
        self.assertIn("wordlark.cfg", texts)
        self.assertNotIn("english.voc", texts)
        self.probe.post(box["hwnd"], 0x0111, 1, 0)  # WM_COMMAND IDOK
        self.assertEqual(app.process.wait(timeout=60), 0)
        self.assertEqual(app.read("wordlark.cfg"), allowed_notepad_settings())
        self.assertIn(b"hello 501\r\n", app.read("english.voc"))
        self.assertIn(b"zebras 1\r\n", app.read("notepad.exe.vob"))

    def test_steering_keys_after_the_focus_moved_go_to_the_new_window_untouched(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY})
        second = self.start_notepad()
        notepad = self.start_notepad()
        notepad.focus()
        X.type("hel")
        notepad.wait_text("hel")
        wait_until(lambda: next((w for w in app.main_windows() if w["visible"]), None), 30, 0.1, "the list")
        X.key("shift+Down")
        # Another window takes the focus without a key or a click that would hide the list.
        second.take_focus_quietly()
        X.key("Delete", "shift+space", "Return")
        X.type("q")
        second.wait_text(" \r\nq")
        wait_until(lambda: not any(w["visible"] for w in app.main_windows()), 10, 0.1, "the list hidden")
        self.assertEqual(notepad.text(), "hel")
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)
        self.assertIn(b"hello 500\r\n", app.read("english.voc"))

    def test_a_vocabulary_that_cannot_be_read_whole_is_kept_and_the_user_told(self):
        unreadable = b"hello 3\r\n" + b"q" * 100 + b" 1\r\n"
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY, "wordlark.cfg": allowed_notepad_settings(),
                                               "notepad.exe.vob": unreadable})
        notepad = self.start_notepad()
        notepad.focus()
        explorer_tips = lambda: [w for w in self.probe.find(cls="tooltips_class32", visible=True)
                                 if w["pid"] != app.main_window()["pid"]]
        self.assertEqual(explorer_tips(), [])
        X.type("hel")
        X.key("shift+space")
        notepad.wait_text("hello")
        wait_until(explorer_tips, 20, 0.3, "the balloon at the tray icon")
        X.screenshot(self.artifact("unsavable-vocabulary-balloon.png"))
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)
        self.assertEqual(app.read("notepad.exe.vob"), unreadable)


ACCESS_REQUESTS = 0x8000 + 40  # the caret field's counts of what was asked of its accessibility
CARET_OBJECTS, CARET_CALLS, OTHER_OBJECTS, OTHER_CALLS, FOCUS_WALKS, FOCUS_EVENTS = range(6)


class CaretFromAccessibility(WineTestCase):
    """A field of our own that keeps no system caret, as browsers do, and tells where its caret is
    (and, in its protected mode, that it holds a password) only through accessibility, naming its
    field in a focus event as a browser that serves accessibility does."""

    def start(self, *args):
        exe = os.path.join(self.wine.drive_c, "wlcaretfield.exe")
        shutil.copy(os.path.join(os.environ["WL_E2E_BIN"], "wlcaretfield.exe"), exe)
        learning = (b"command_key\t1058\t\r\nwordlark_key\t1061\t\r\nkeyboard_key\t1064\t\r\nwordlist_file\t\t\r\n"
                    b"enable_completion\t1\t\r\nwlcaretfield.exe\tC:\\wlcaretfield.exe\t1\t\r\n")
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY, "wordlark.cfg": learning})
        self.wine.start(["C:\\wlcaretfield.exe"] + list(args))
        field = wait_until(lambda: (self.probe.find(cls="WordlarkCaretField") or [None])[0], 30, 0.3, "the field")
        wait_until(X.focus_desktop, 10, 0.2, "the Wine desktop window")
        self.probe.call("activate", field["hwnd"])
        wait_until(lambda: (self.probe.foreground() or {}).get("hwnd") == field["hwnd"], 10, 0.2,
                   "the field in the foreground")
        # A click far from the caret: the last click is where the list would go without it.
        X.click(field["rect"][2] - 60, field["rect"][3] - 30)
        return app, field

    def field_text(self, field, expected):
        wait_until(lambda: self.probe.text(field["hwnd"]) == expected, 10, 0.1, "the field's text %r" % expected)

    def visible_list(self, app):
        return next((w for w in app.main_windows() if w["visible"]), None)

    def keys_handled(self):
        """Every key the hooks posted has been handled by the main program."""
        return wait_until(lambda: (lambda s: s if s and s["posted"] == s["postedHandled"] else None)(
            self.probe.call("hook-libraries")), 10, 0.1, "the posted keys handled")

    def test_the_list_is_at_the_caret_that_accessibility_gives_and_picks_type_into_the_field(self):
        app, field = self.start()
        X.type("hel")
        self.field_text(field, "hel")
        caret = self.probe.call("acc-caret", field["hwnd"])
        self.assertIsNotNone(caret, "the field's caret through accessibility")
        # Below the caret line as tall as the field's own caret, not the system font's line the
        # hook measured, and not at the last click (the caret's x moves by the width of one letter
        # while the list follows each key).
        shown = wait_until(lambda: (lambda w: w if w and w["rect"][1] == caret[3] + 2 and
                                    abs(w["rect"][0] - caret[0]) <= 10 else None)(self.visible_list(app)),
                           15, 0.1, "the list at the field's caret %r" % (caret,))
        self.assertGreater(caret[3] - caret[1], app.hook_state()["charY"], (caret, shown))
        X.key("ctrl+1")
        self.field_text(field, "hello")
        wait_until(lambda: self.visible_list(app) is None, 10, 0.1, "the list hidden")
        # A correction replaces the typed letters in a field that is no edit control too, though
        # the field, like an edit control, takes no Backspace while Ctrl is held.
        X.type(" Hwlp")
        wait_until(lambda: self.visible_list(app), 10, 0.1, "the list of corrections")
        X.key("ctrl+1")
        self.field_text(field, "hello Help")
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)

    def test_typing_asks_the_caret_alone_and_the_focused_element_once(self):
        # Anything but the caret switches a browser's whole accessibility on: while the user types
        # only the caret is asked, and the element a focus event named once per focus change.
        app, field = self.start()
        text = ("hello world " * 9)[:100]
        X.type(text, delay_ms=40)
        self.field_text(field, text)
        self.keys_handled()
        counts = {name: self.probe.send(field["hwnd"], ACCESS_REQUESTS, which, 0) for name, which in (
            ("caret calls", CARET_CALLS), ("other objects", OTHER_OBJECTS), ("other calls", OTHER_CALLS),
            ("accFocus", FOCUS_WALKS), ("focus events", FOCUS_EVENTS))}
        self.assertGreaterEqual(counts["caret calls"], 50, counts)
        self.assertEqual(counts["accFocus"], 0, counts)
        self.assertGreaterEqual(counts["focus events"], 1, counts)
        self.assertLessEqual(counts["other objects"], counts["focus events"], counts)
        self.assertLessEqual(counts["other calls"], counts["focus events"], counts)
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)

    def test_the_list_lies_below_a_tall_system_caret(self):
        # The field keeps a system caret of 40 pixels, taller than the text of the system font: the
        # list takes the caret's height for the line, whichever library reads it.
        app, field = self.start("syscaret")
        X.type("hel")
        self.field_text(field, "hel")
        self.keys_handled()
        state = app.hook_state()
        shown = wait_until(lambda: self.visible_list(app), 15, 0.1, "the list")
        self.assertEqual(state["charY"], 40, state)
        self.assertGreaterEqual(shown["rect"][1], state["caretY"] + 40, (state, shown))
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)

    def test_a_protected_field_shows_and_learns_nothing(self):
        app, field = self.start("protected")
        X.type("helmets")
        X.key("space")
        X.type("hel")
        self.field_text(field, "helmets hel")
        state = self.keys_handled()
        self.assertEqual(state["protectedWindow"], field["hwnd"], "the hooks know the field is protected")
        self.assertIsNone(self.visible_list(app))
        # From now on the hooks hand none of the field's keys to the main program.
        X.type("lo")
        self.field_text(field, "helmets hello")
        self.assertEqual(self.keys_handled()["posted"], state["posted"])
        self.assertIsNone(self.visible_list(app))
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)
        vob = app.path("wlcaretfield.exe.vob")
        self.assertFalse(os.path.exists(vob) and b"helmet" in open(vob, "rb").read())

    def test_a_password_field_of_a_browser_without_accessibility_is_still_left_alone(self):
        # No focus event, no protected state: only the input method it switched off tells.
        app, field = self.start("protected silent")
        before = self.keys_handled()["posted"]
        X.type("helmets hel")
        self.field_text(field, "helmets hel")
        self.assertEqual(self.keys_handled()["posted"], before, "no key of the field handed over")
        self.assertIsNone(self.visible_list(app))
        self.assertEqual(app.exit(timeout=EXIT_TIMEOUT), 0)


class ScaledScreen(WineTestCase):
    """A screen at 144 DPI (150 %): the list's text is drawn larger, and the list is still at the
    caret."""

    def typed_text_height(self, app):
        """Types "hel" into a fresh notepad and gives the height in pixels of the typed part drawn
        in the list's first row, with the list and the hook's state."""
        notepad = self.start_notepad()
        notepad.focus()
        X.type("hel")
        notepad.wait_text("hel")
        state = app.hook_state()
        at_caret = (max(state["caretX"], notepad.edit["rect"][0]), state["caretY"] + state["charY"] + 2)
        shown = wait_until(lambda: (lambda w: w if w and tuple(w["rect"][:2]) == at_caret else None)(
            next((w for w in app.main_windows() if w["visible"]), None)), 15, 0.1, "the list at the caret %r" %
            (at_caret,))

        def green_rows():
            pixels = window_pixels(X.screenshot(self.artifact("scaled-list.png")), shown["rect"])
            rows = sorted({y for (x, y), c in pixels.items() if c == TYPED})
            return rows if rows and FOOTER in pixels.values() else None
        rows = wait_until(green_rows, 10, 0.3, "the painted list")
        # The three rows' typed parts: the first row's run of green lines.
        first = [rows[0]]
        for y in rows[1:]:
            if y != first[-1] + 1:
                break
            first.append(y)
        return len(first)

    def test_the_program_declares_itself_aware_of_each_monitors_dpi(self):
        # The manifest is built into the program as a resource, in plain text.
        with open(os.path.join(DIST, "wordlark.exe"), "rb") as f:
            image = f.read()
        self.assertIn(b"<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2",
                      image)
        self.assertIn(b"<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
                      image)

    def test_at_144_dpi_the_list_text_is_half_as_tall_again_and_still_at_the_caret(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY})
        at_96 = self.typed_text_height(app)
        self.wine.kill_all()
        self.wine.reg_add(r"HKCU\Control Panel\Desktop", "LogPixels", "144", kind="REG_DWORD")
        self.wine.reg_add(r"HKCC\Software\Fonts", "LogPixels", "144", kind="REG_DWORD")
        self.wine.kill_all()
        app = self.start_wordlark(folder_name="Wordlark144", extra_files={"english.voc": VOCABULARY})
        at_144 = self.typed_text_height(app)
        self.assertGreaterEqual(at_144, 1.4 * at_96, (at_96, at_144))
