"""The spine end to end: single instance, hooks forwarding from another program, hot keys, the
tray icon following the enable state, a bounded wait on a stopped main program, and Exit."""

import os
import signal
import time
import unittest

from harness import BITS, DIST, RUNS_32BIT, Notepad, WineTestCase, Wordlark, X, unix_pid, wait_until

VOCABULARY = b"hello 500\r\nhelp 400\r\nhelmet 300\r\nworld 200\r\n"
WM_QUERYENDSESSION = 0x0011
WM_ENDSESSION = 0x0016


def tray_icon_colours(shot):
    """What is drawn where the taskbar shows the rightmost tray icon, at the bottom right."""
    return X.region(shot, 1280 - 20, 800 - 19, 20, 18)


class Spine(WineTestCase):
    def start(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY})
        notepad = self.start_notepad()
        notepad.focus()
        return app, notepad

    def test_a_second_instance_ends_at_once_with_code_0(self):
        app = self.start_wordlark()
        before = sorted(w["hwnd"] for w in self.probe.windows())
        second = self.wine.start([app.exe])
        self.assertEqual(second.wait(timeout=30), 0)
        self.assertTrue(app.running())
        after = sorted(w["hwnd"] for w in self.probe.windows())
        self.assertEqual(before, after)
        self.assertEqual(app.exit(), 0)

    def test_typing_in_another_program_is_forwarded_with_its_context(self):
        app, notepad = self.start()
        X.type("hel")
        notepad.wait_text("hel")
        state = wait_until(lambda: (lambda s: s if s["moduleName"].lower() == "notepad.exe" else None)(
            app.hook_state()), 10, 0.2, "the hook's module name")
        self.assertTrue(state["modulePath"].lower().endswith("\\notepad.exe"), state)
        self.assertGreater(state["charY"], 0)
        edit = notepad.edit["rect"]
        self.assertTrue(edit[0] <= state["caretX"] <= edit[2], state)
        self.assertTrue(edit[1] <= state["caretY"] <= edit[3], state)
        self.assertEqual(state["focus"], notepad.edit["hwnd"])
        # The forwarded letters reached the suggestion window: it shows the words of 'hel'.
        wait_until(lambda: app.suggestion_window()["visible"], 10, 0.2, "the suggestion list")

    def test_a_key_is_the_programs_that_reads_it_and_out_of_context_the_foregrounds(self):
        # The hook procedure called on a thread that installed the library's hooks, as Windows calls
        # it out of context for a program that cannot load the library: it reads the focus, caret
        # and executable of the foreground program across processes.
        app, notepad = self.start()
        self.assertEqual(app.hook_state()["moduleName"], "")
        for key in (0x48, 0x45, 0x4C):  # H, E, L
            self.probe.call("hook-key-outside", app.hook_dll, key)
        state = wait_until(lambda: (lambda s: s if s["moduleName"].lower() == "notepad.exe" else None)(
            app.hook_state()), 10, 0.2, "notepad's executable, read from outside it")
        self.assertEqual(state["focus"], notepad.edit["hwnd"])
        edit = notepad.edit["rect"]
        self.assertTrue(edit[0] <= state["caretX"] <= edit[2] and edit[1] <= state["caretY"] <= edit[3], state)
        self.assertGreater(state["charY"], 0)
        wait_until(lambda: app.suggestion_window()["visible"], 10, 0.2, "the list for the keys handed over")
        # Called in a thread of the probe, a process that is not the foreground, the key is that
        # thread's own: keys queued to a busy program are read there after the user moved on.
        self.probe.call("hook-key", app.hook_dll, 0x4C)
        wait_until(lambda: app.hook_state()["moduleName"].lower() == "wlprobe.exe", 10, 0.2,
                   "the key as the probe's own")
        self.assertEqual(app.exit(), 0)

    def test_a_spoiled_state_block_is_set_up_again_with_everything_published(self):
        app, notepad = self.start()
        X.type("hel")
        wait_until(lambda: app.suggestion_window()["visible"], 10, 0.2, "the list before")
        X.key("Escape")
        self.assertEqual(self.probe.call("hook-spoil"), 1)
        # Within the main program's next second the block is sound again, with the windows and hot
        # keys the main program published: completion goes on without a restart.
        wait_until(lambda: (lambda l: l and l["main"])(self.probe.call("hook-libraries")), 10, 0.2,
                   "the block set up again")
        X.type(" hel")
        wait_until(lambda: app.suggestion_window()["visible"], 10, 0.2, "the list after")
        X.key("ctrl+1")
        notepad.wait_text("hel hello")
        self.assertEqual(app.exit(), 0)

    def test_caps_lock_types_capitals_and_the_pick_follows_them(self):
        # The word is what the layout types: with Caps Lock on, "he" is "HE" in notepad and in the
        # word, which then takes its rest in capitals too.
        app, notepad = self.start()
        X.key("Caps_Lock")
        try:
            X.type("he")
            notepad.wait_text("HE")
            wait_until(lambda: app.suggestion_window()["visible"], 10, 0.2, "the list for 'HE'")
            X.key("ctrl+1")
            notepad.wait_text("HELLO")
        finally:
            X.key("Caps_Lock")

    def test_ctrl_m_flips_the_enable_state_and_the_tray_icon_follows(self):
        app, notepad = self.start()
        on_shot = X.screenshot(self.artifact("tray-on.png"))
        X.key("ctrl+m")
        wait_until(lambda: app.hook_state()["enable"] == 0, 10, 0.2, "enable state 0")
        # The one-second poll carries the change to the tray icon.
        off_colour = wait_until(lambda: (lambda c: c if c != tray_icon_colours(on_shot) else None)(
            tray_icon_colours(X.screenshot(self.artifact("tray-off.png")))), 10, 0.3, "the tray icon to change")
        self.assertIsNotNone(off_colour)
        # While off, letters reach notepad and no list appears.
        X.type("hel")
        notepad.wait_text("hel")
        self.assertFalse(app.suggestion_window()["visible"])
        X.key("ctrl+m")
        wait_until(lambda: app.hook_state()["enable"] == 1, 10, 0.2, "enable state 1")
        wait_until(lambda: tray_icon_colours(X.screenshot(self.artifact("tray-on-again.png"))) ==
                   tray_icon_colours(on_shot), 10, 0.3, "the tray icon back on")
        self.assertEqual(app.exit(), 0)
        # Completion was on at exit; the settings keep that.
        self.assertIn(b"enable_completion\t1", app.read("wordlark.cfg"))

    def test_hot_keys_show_and_hide_their_windows_unseen_by_the_program(self):
        app, notepad = self.start()

        def visible(cls=None, hwnd=None):
            for w in self.probe.windows():
                if w["pid"] == app_pid() and (w["hwnd"] == hwnd or w["class"] == cls):
                    return w["visible"]
            return None

        def app_pid():
            return app.main_window()["pid"]

        command = wait_until(lambda: next((w for w in self.probe.windows() if w["pid"] == app_pid()
                                           and w["class"] == "#32770" and w["visible"]), None), 10, 0.2,
                             "the command window shown at start-up")
        notepad.focus()
        X.key("ctrl+space")
        wait_until(lambda: visible(hwnd=command["hwnd"]) is False, 10, 0.2, "command window hidden")
        notepad.focus()
        X.key("ctrl+space")
        wait_until(lambda: visible(hwnd=command["hwnd"]) is True, 10, 0.2, "command window shown")
        # Quick Search took the foreground and the keyboard: what is typed next is its query.
        combo = next(c for c in self.probe.children(command["hwnd"]) if c["class"] == "ComboBox")
        edit = next(c for c in self.probe.children(combo["hwnd"]) if c["class"] == "Edit")
        wait_until(lambda: (self.probe.foreground() or {}).get("hwnd") == command["hwnd"], 10, 0.2,
                   "Quick Search in the foreground")
        X.type("note")
        wait_until(lambda: self.probe.text(edit["hwnd"]) == "note", 10, 0.2, "the query in Quick Search")
        self.assertEqual(notepad.text(), "")

        notepad.focus()
        keyboards = [w for w in self.probe.windows() if w["pid"] == app_pid() and w["class"] == "#32770"
                     and w["hwnd"] != command["hwnd"]]
        self.assertTrue(keyboards)
        keyboard = keyboards[0]
        self.assertFalse(keyboard["visible"])
        X.key("ctrl+o")
        wait_until(lambda: visible(hwnd=keyboard["hwnd"]) is True, 10, 0.2, "keyboard window shown")
        X.key("ctrl+o")
        wait_until(lambda: visible(hwnd=keyboard["hwnd"]) is False, 10, 0.2, "keyboard window hidden")
        # Notepad never saw Ctrl+O: its Open dialog would be a new window of notepad's process.
        time.sleep(0.5)
        dialogs = [w for w in self.probe.windows() if w["pid"] == notepad.window["pid"] and w["class"] == "#32770"]
        self.assertEqual(dialogs, [])
        self.assertEqual(notepad.text(), "")

    def test_saved_hot_keys_apply_from_the_start_and_leave_the_default_ones_to_the_program(self):
        settings = (b"command_key\t1059\t\r\nwordlark_key\t1062\t\r\nkeyboard_key\t1066\t\r\n"
                    b"wordlist_file\t\t\r\nenable_completion\t1\t\r\n")
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY, "wordlark.cfg": settings})
        notepad = self.start_notepad()
        notepad.focus()
        X.key("ctrl+i")
        wait_until(lambda: app.hook_state()["enable"] == 0, 10, 0.2, "Ctrl+I switching completion off")
        X.key("ctrl+i")
        wait_until(lambda: app.hook_state()["enable"] == 1, 10, 0.2, "Ctrl+I switching completion on")
        X.key("ctrl+o")
        wait_until(lambda: any(w["visible"] for w in self.probe.windows() if w["pid"] == notepad.window["pid"]
                               and w["class"] == "#32770"), 10, 0.2, "notepad's Open dialog")
        X.key("Escape")

    def test_a_new_taskbar_gets_the_tray_icon_again(self):
        app, notepad = self.start()
        with_icon = tray_icon_colours(X.screenshot(self.artifact("tray-before-explorer.png")))
        main = app.main_window()["hwnd"]
        self.assertEqual(self.probe.call("tray-remove", main, 2), 1)
        wait_until(lambda: tray_icon_colours(X.screenshot(self.artifact("tray-gone.png"))) != with_icon, 10, 0.3,
                   "the tray icon gone")
        taskbar_created = self.probe.call("message-id", "TaskbarCreated")
        self.probe.post(0xFFFF, taskbar_created)  # HWND_BROADCAST, as the shell does
        wait_until(lambda: tray_icon_colours(X.screenshot(self.artifact("tray-again.png"))) == with_icon, 10, 0.3,
                   "the tray icon back")
        self.assertEqual(app.exit(), 0)

    def test_alt_and_clicks_hide_the_list(self):
        app, notepad = self.start()
        X.type("hel")
        wait_until(lambda: app.suggestion_window()["visible"], 10, 0.2, "the list")
        X.key("alt")
        wait_until(lambda: not app.suggestion_window()["visible"], 10, 0.2, "the list hidden by Alt")
        # Alt alone opens notepad's menu; Escape closes it and ends the word.
        X.key("Escape")
        notepad.focus()
        X.key("space")
        X.type("hel")
        wait_until(lambda: app.suggestion_window()["visible"], 10, 0.2, "the list again")
        rect = notepad.edit["rect"]
        X.click(rect[0] + 200, rect[1] + 200)
        wait_until(lambda: not app.suggestion_window()["visible"], 10, 0.2, "the list hidden by a click")
        # The click kept the word: one more letter continues 'hel' into 'helm'.
        X.type("m")
        wait_until(lambda: app.suggestion_window()["visible"], 10, 0.2, "the list for 'helm'")

    def test_a_stopped_main_program_does_not_stop_typing_elsewhere(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY})
        second = self.start_notepad()
        notepad = self.start_notepad()
        notepad.focus()
        X.type("hel")
        notepad.wait_text("hel")
        wait_until(lambda: app.suggestion_window()["visible"], 10, 0.2, "the suggestion list")
        pid = unix_pid("wordlark.exe", self.wine.prefix)
        self.assertIsNotNone(pid)
        os.kill(pid, signal.SIGSTOP)
        typed = {"first": "hel", "second": ""}

        def type_and_see(where, letters):
            pad = notepad if where == "first" else second
            typed[where] += letters
            start = time.monotonic()
            X.type(letters, delay_ms=30)
            pad.wait_text(typed[where], timeout=30)
            # Each key waits a bounded, short time for the stopped program, then reaches notepad.
            self.assertLess(time.monotonic() - start, 1.0, "typing after %s" % what)

        try:
            what = "Enter with the list shown"
            X.key("Return")
            typed["first"] += "\r\n"
            type_and_see("first", "ab")
            rect = notepad.edit["rect"]
            what = "a click"
            X.click(rect[0] + 200, rect[1] + 200)
            type_and_see("first", "cd")
            for what in ("ctrl+space", "ctrl+o", "ctrl+m"):
                X.key(what)
                type_and_see("first", "ef")
            what = "a focus change"
            second.take_focus_quietly()
            type_and_see("second", "gh")
        finally:
            os.kill(pid, signal.SIGCONT)
        self.assertEqual(app.exit(), 0)

    def test_the_end_of_the_session_saves_like_exit(self):
        settings = (b"command_key\t1058\t\r\nwordlark_key\t1061\t\r\nkeyboard_key\t1064\t\r\n"
                    b"wordlist_file\t\t\r\nenable_completion\t1\t\r\n"
                    b"notepad.exe\tC:\\windows\\system32\\notepad.exe\t1\t\r\n")
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY, "wordlark.cfg": settings,
                                               "wordlark.cmd": b"zebra\t3\nmoose\t2\n"})
        notepad = self.start_notepad()
        notepad.focus()
        X.type("hel")
        wait_until(lambda: app.suggestion_window()["visible"], 10, 0.2, "the suggestion list")
        X.key("ctrl+1")
        notepad.wait_text("hello")
        X.key("ctrl+m")
        wait_until(lambda: app.hook_state()["enable"] == 0, 10, 0.2, "enable state 0")
        main = app.main_window()["hwnd"]
        self.assertEqual(self.probe.send(main, WM_QUERYENDSESSION, 0, 0), 1)
        self.probe.send(main, WM_ENDSESSION, 1, 0)
        # Windows ends the process once the message has been answered.
        self.wine.kill_all()
        self.assertIn(b"hello 1\r\n", app.read("notepad.exe.vob"))
        self.assertIn(b"hello 501\r\n", app.read("english.voc"))
        self.assertIn(b"enable_completion\t0\t\r\n", app.read("wordlark.cfg"))
        self.assertEqual(app.read("wordlark.cmd"), b"moose\t2\r\nzebra\t3\r\n")

    def test_exit_removes_the_tray_icon_and_ends_with_code_0(self):
        app, notepad = self.start()
        shot = X.screenshot(self.artifact("tray-before-exit.png"))
        with_icon = tray_icon_colours(shot)
        self.assertEqual(app.exit(), 0)
        without_icon = tray_icon_colours(X.screenshot(self.artifact("tray-after-exit.png")))
        self.assertNotEqual(with_icon, without_icon)
        # The hooks are gone with it: typing still works and nothing is forwarded any more.
        notepad.focus()
        X.type("hel")
        notepad.wait_text("hel")
        self.assertTrue(os.path.exists(app.path("wordlark.cfg")))


class SpineInOtherWindows(WineTestCase):
    """The hook in our own test editor (a password field) and the tray icon's mouse messages."""

    def start_editor(self):
        exe = os.path.join(os.environ["WL_E2E_BIN"], "wltestedit.exe")
        self.wine.start([exe])
        window = wait_until(lambda: (self.probe.find(cls="WordlarkTestEditor") or [None])[0], 30, 0.3,
                            "the test editor")
        edits = wait_until(lambda: [c for c in self.probe.children(window["hwnd"]) if c["class"] == "Edit"], 10,
                           0.2, "its edit fields")
        plain = next(e for e in edits if e["id"] == 101)
        password = next(e for e in edits if e["id"] == 102)
        return window, plain, password

    def test_keys_typed_into_a_password_field_pass_untouched_and_change_nothing(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY})
        window, plain, password = self.start_editor()
        wait_until(X.focus_desktop, 10, 0.2, "the Wine desktop window")
        self.probe.call("activate", window["hwnd"])
        X.click((password["rect"][0] + password["rect"][2]) // 2, (password["rect"][1] + password["rect"][3]) // 2)
        wait_until(lambda: (self.probe.focus_of(window["hwnd"]) or {}).get("hwnd") == password["hwnd"], 10, 0.2,
                   "the password field focused")
        before = app.hook_state()
        X.type("hel")
        wait_until(lambda: self.probe.text(password["hwnd"]) == "hel", 10, 0.2, "the password typed")
        self.assertFalse(app.suggestion_window()["visible"])
        self.assertEqual(app.hook_state(), before)

        # The same letters in the plain field next to it are watched.
        X.click((plain["rect"][0] + plain["rect"][2]) // 2, (plain["rect"][1] + plain["rect"][3]) // 2)
        X.type("hel")
        wait_until(lambda: app.suggestion_window()["visible"], 10, 0.2, "the list in the plain field")
        state = app.hook_state()
        self.assertEqual(state["focus"], plain["hwnd"])
        self.assertEqual(state["moduleName"].lower(), "wltestedit.exe")

    def test_hot_keys_with_another_modifier_reach_the_program(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY})
        window, plain, _ = self.start_editor()
        wait_until(X.focus_desktop, 10, 0.2, "the Wine desktop window")
        self.probe.call("activate", window["hwnd"])
        X.click((plain["rect"][0] + plain["rect"][2]) // 2, (plain["rect"][1] + plain["rect"][3]) // 2)
        wait_until(lambda: (self.probe.focus_of(window["hwnd"]) or {}).get("hwnd") == plain["hwnd"], 10, 0.2,
                   "the plain field focused")
        pid = app.main_window()["pid"]
        dialogs = lambda: {w["hwnd"]: w["visible"] for w in self.probe.windows() if w["pid"] == pid
                           and w["class"] == "#32770"}
        before = wait_until(lambda: (lambda d: d if any(d.values()) else None)(dialogs()), 10, 0.2,
                            "the command window shown at start-up")
        X.type("hel")
        wait_until(lambda: app.suggestion_window()["visible"], 10, 0.2, "the list")
        X.key("ctrl+shift+o", "ctrl+shift+space", "ctrl+o")
        title = "Test editor: ctrl+shift+O ctrl+shift+ "
        wait_until(lambda: self.probe.text(window["hwnd"]) == title, 10, 0.2, "the keys in the editor")
        # Ctrl+O alone was the hot key: the keyboard window is shown, nothing else changed.
        wait_until(lambda: sum(dialogs().values()) == 2, 10, 0.2, "the keyboard window shown")
        self.assertEqual(self.probe.text(window["hwnd"]), title)
        self.assertEqual(set(dialogs()), set(before))
        self.assertEqual(self.probe.text(plain["hwnd"]), "hel")

    def test_a_held_letter_makes_the_word_that_the_program_shows(self):
        app = self.start_wordlark(extra_files={"english.voc": VOCABULARY})
        notepad = self.start_notepad()
        notepad.focus()
        X.keydown("h")
        try:
            # Held long enough for the display's auto-repeat to type more letters.
            wait_until(lambda: len(notepad.text() or "") >= 3, 10, 0.1, "auto-repeated letters")
        finally:
            X.keyup("h")
        last = [None]

        def settled():
            text = notepad.text()
            same, last[0] = text == last[0], text
            return text if same and text.startswith("hhh") else None
        held = wait_until(settled, 10, 0.3, "the repeats typed")
        # The repeats are letters of the word as they are of the text: a pick now replaces the
        # whole run of h's by a word meant for it, or (no word offered) types nothing; it never
        # types the rest of a word of a single 'h' after them. The space comes after whatever the
        # pick typed.
        X.key("ctrl+1")
        X.key("space")
        text = wait_until(lambda: (lambda t: t if t.endswith(" ") else None)(notepad.text()), 10, 0.2, "the space")
        self.assertTrue(text[:-1] == held or text[:-1] in ("hello", "help", "helmet", "world"), (held, text))
        self.assertEqual(app.exit(), 0)

    def test_tray_icon_double_click_shows_the_command_window_and_right_click_the_menu(self):
        app = self.start_wordlark()
        pid = app.main_window()["pid"]
        notepad = self.start_notepad()
        notepad.focus()
        X.key("ctrl+space")
        wait_until(lambda: not any(w["visible"] for w in self.probe.windows() if w["pid"] == pid
                                   and w["class"] == "#32770"), 10, 0.2, "the command window hidden")
        X.move(TRAY_ICON[0], TRAY_ICON[1])
        X.run("click", "--repeat", 2, "--delay", 80, 1)
        wait_until(lambda: any(w["visible"] for w in self.probe.windows() if w["pid"] == pid
                               and w["class"] == "#32770"), 10, 0.2, "the command window shown by a double click")

        X.click(TRAY_ICON[0], TRAY_ICON[1], button=3)
        menu = wait_until(lambda: next((w for w in self.probe.windows() if w["class"] == "#32768" and w["visible"]),
                                       None), 10, 0.2, "the tray menu")
        X.screenshot(self.artifact("tray-menu.png"))
        self.assertGreater(menu["rect"][3] - menu["rect"][1], 100)
        # The menu's last item is Exit.
        X.key("Up", "Return")
        self.assertEqual(app.process.wait(timeout=300), 0)


class OtherBitness(WineTestCase):
    """The 64-bit program without its helper beside a 32-bit program, which cannot load its hook
    library: no library of that program's bitness serves it. Windows would call the 64-bit hook
    out of context there, for the hot keys alone; Wine calls no hook whose library cannot be loaded,
    so only the untouched keys can be seen here (the hot-key half is the key-role unit tests')."""

    @classmethod
    def setUpClass(cls):
        if BITS != 64 or not RUNS_32BIT:
            raise unittest.SkipTest("needs the 64-bit build on a machine that runs 32-bit programs")
        super().setUpClass()

    def test_a_program_no_library_serves_gets_its_keys_untouched(self):
        app = Wordlark(self.wine, self.probe, extra_files={"english.voc": VOCABULARY})
        for name in ("wordlark32.exe", "larkhook32.dll"):
            if os.path.exists(app.path(name)):
                os.remove(app.path(name))
        app.start()
        notepad = Notepad(self.wine, self.probe, r"C:\windows\syswow64\notepad.exe")
        notepad.focus()
        X.type("hello")
        X.key("shift+space", "Return")
        X.type("wor")
        # Shift+Space and Enter were not taken for a list: they reached the program.
        notepad.wait_text("hello \r\nwor")
        self.assertFalse(app.suggestion_window()["visible"])
        self.assertNotEqual(app.hook_state()["moduleName"].lower(), "notepad.exe")
        self.assertEqual(app.exit(), 0)
        # Nothing was forwarded, so the program was never met: no entry, nothing learned.
        self.assertNotIn(b"notepad.exe", app.read("wordlark.cfg").lower())


TRAY_ICON = (1280 - 12, 800 - 10)


class The32BitPackageOn64BitWindows(WineTestCase):
    """The 32-bit build's program folder started in a 64-bit prefix, as on 64-bit Windows."""

    DIST32 = os.path.join(os.path.dirname(os.path.dirname(DIST)), "win32", "dist")

    @classmethod
    def setUpClass(cls):
        if BITS != 64 or not RUNS_32BIT or not os.path.exists(os.path.join(cls.DIST32, "wordlark.exe")):
            raise unittest.SkipTest("needs the 64-bit prefix, the 32-bit build and a machine that runs it")
        super().setUpClass()

    def test_it_says_that_the_64_bit_package_serves_every_program(self):
        app = Wordlark(self.wine, self.probe, folder_name="Wordlark32", dist=self.DIST32).start()
        wait_until(lambda: [w for w in self.probe.find(cls="tooltips_class32", visible=True)
                            if w["pid"] != app.main_window()["pid"]], 30, 0.3, "the balloon at the tray icon")
        X.screenshot(self.artifact("wow64-balloon.png"))
        self.assertEqual(app.exit(), 0)
