"""Quick Search and Launch end to end: a prefix filled with things to find (Start menu and desktop
files, a folder on PATH, a Firefox profile's exported bookmarks and its bookmark backups, an Edge
profile's bookmarks, registry value names), the harvest at start-up, the command window opened by
its hot key, the rows for typed words, a launch of a program of the test's own, the use count that
Exit writes to wordlark.cmd, bookmarks opened in a browser of the test's own, programs found by
their initials, the query memory that a launch leaves in wordlark.cmq for the next start, and the
rows beside the catalogue's: a sum's value copied, a settings page, an open window brought forward."""

import glob
import hashlib
import json
import os
import shutil

from harness import WineTestCase, X, wait_until

E2E_BIN = os.environ.get("WL_E2E_BIN", "")
CB_GETCOUNT = 0x0146
CB_GETCURSEL = 0x0147
CB_SHOWDROPDOWN = 0x014F
CB_GETDROPPEDSTATE = 0x0157
CB_ERR = -1
WM_KEYDOWN = 0x0100
VK_DOWN = 0x28
COMBO_ID = 1006
WEB_SEARCH_LABELS = ["  Google Search", "  Yahoo Search", "  MSN Search"]
# Marks a search engine's icon resource in a row's item data (launcher/command_rows_win.cpp).
WEB_SEARCH_ICON_MARK = 0x40000000
REGISTRY_KEY = r"HKCU\Software\WordlarkLauncherTest"
EDGE_TITLE = "Quokka Edge Caf\u00e9"
EDGE_ADDRESS = "https://quokka-edge.example/start?a=1&b=2"
BACKUP_TITLE = "Quokka Firefox Backup"
BACKUP_ADDRESS = "https://quokka-backup.example/"


def write(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(content if isinstance(content, bytes) else content.encode())


def lz4_block(data):
    """A greedy LZ4 block compressor (the raw block format), so that the program decodes matches
    as in Firefox's own backups. The last five bytes stay literals, as the format asks."""
    out = bytearray()

    def length(n):
        while n >= 255:
            out.append(255)
            n -= 255
        out.append(n)

    def sequence(literals, match_code):
        out.append(min(len(literals), 15) << 4 | match_code)
        if len(literals) >= 15:
            length(len(literals) - 15)
        out.extend(literals)

    seen, anchor, i = {}, 0, 0
    while i + 12 <= len(data):
        key = data[i:i + 4]
        j = seen.get(key)
        seen[key] = i
        if j is None or i - j > 65535:
            i += 1
            continue
        n = 4
        while i + n + 5 < len(data) and data[j + n] == data[i + n]:
            n += 1
        sequence(data[anchor:i], min(n - 4, 15))
        out += (i - j).to_bytes(2, "little")
        if n - 4 >= 15:
            length(n - 4 - 15)
        i += n
        anchor = i
    sequence(data[anchor:], 0)
    return bytes(out)


def firefox_backup(bookmarks):
    """A .jsonlz4 bookmark backup as Firefox writes it, the bookmarks in the toolbar folder."""
    children = [{"guid": "e2e%09d" % i, "title": title, "index": i, "dateAdded": 1700000000000000,
                 "lastModified": 1700000000000000, "id": 10 + i, "typeCode": 1, "type": "text/x-moz-place",
                 "uri": address} for i, (title, address) in enumerate(bookmarks)]
    tree = {"guid": "root________", "title": "", "index": 0, "id": 1, "typeCode": 2,
            "type": "text/x-moz-place-container", "root": "placesRoot", "children": [
                {"guid": "toolbar_____", "title": "toolbar", "index": 1, "id": 3, "typeCode": 2,
                 "type": "text/x-moz-place-container", "root": "toolbarFolder", "children": children}]}
    data = json.dumps(tree, separators=(",", ":")).encode()
    return b"mozLz40\0" + len(data).to_bytes(4, "little") + lz4_block(data)


def chromium_bookmarks(bookmarks):
    """A "Bookmarks" file as Edge writes it, the bookmarks in the favourites bar."""
    children = [{"date_added": "13345678901234567", "guid": "6f4f8a52-0000-4000-8000-%012d" % i, "id": str(5 + i),
                 "meta_info": {"power_bookmark_meta": ""}, "name": title, "type": "url", "url": address}
                for i, (title, address) in enumerate(bookmarks)]
    tree = {"checksum": "0123456789abcdef0123456789abcdef", "roots": {
        "bookmark_bar": {"children": children, "id": "1", "name": "Favorites bar", "type": "folder"},
        "other": {"children": [], "id": "2", "name": "Other favorites", "type": "folder"},
        "synced": {"children": [], "id": "3", "name": "Mobile favorites", "type": "folder"}}, "version": 1}
    return json.dumps(tree, indent=3, ensure_ascii=False)


class Launcher(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.mark_exe = os.path.join(E2E_BIN, "wlmark.exe")
        if not os.path.exists(cls.mark_exe):
            raise AssertionError("wlmark.exe is missing from %s" % E2E_BIN)
        cls.fill_prefix()

    @classmethod
    def fill_prefix(cls):
        users = glob.glob(os.path.join(cls.wine.drive_c, "users", "*", "AppData", "Roaming"))
        roaming = next(p for p in users if "Public" not in p)
        profile = os.path.dirname(os.path.dirname(roaming))
        # Wine links the desktop, documents and media folders to the Unix home folder, which the
        # harvest would read six levels deep; the test's user gets folders of its own.
        for name in ("Desktop", "Documents", "Music", "Pictures", "Videos", "Downloads"):
            path = os.path.join(profile, name)
            if os.path.islink(path):
                os.unlink(path)
            os.makedirs(path, exist_ok=True)
        templates = os.path.join(roaming, "Microsoft", "Windows", "Templates")
        if os.path.islink(templates):
            os.unlink(templates)

        # Wine 8 reports Windows 7 unless told otherwise, and the pages of the Settings app are
        # listed on Windows 10 and 11 only.
        cls.wine.reg_add(r"HKCU\Software\Wine", "Version", "win10")

        cls.start_menu = os.path.join(roaming, "Microsoft", "Windows", "Start Menu")
        shutil.copy(cls.mark_exe, os.path.join(cls.start_menu, "Quokkamark.exe"))
        # Programs found by initials and learned from launches: the Start menu's own files start
        # with a use count of 1; one in a folder of its own below, as installers put them, with none.
        for name in ("Visual Studio Code", "Visual Basic Tools", "Notebook Tool", "Notepad Helper"):
            shutil.copy(cls.mark_exe, os.path.join(cls.start_menu, name + ".exe"))
        os.makedirs(os.path.join(cls.start_menu, "Programs", "Virtual Sound Card"), exist_ok=True)
        shutil.copy(cls.mark_exe, os.path.join(cls.start_menu, "Programs", "Virtual Sound Card", "Virtual Sound Card.exe"))
        write(os.path.join(cls.start_menu, "Quokka Notes.lnk"), b"not a real shortcut")
        write(os.path.join(cls.start_menu, "Programs", "Quokka Suite", "quokkasuite.txt"), "x")
        write(os.path.join(profile, "Desktop", "quokkadesk.txt"), "x")
        write(os.path.join(profile, "Desktop", "quokkadesk.dll"), "x")

        cls.path_folder = os.path.join(cls.wine.drive_c, "qpath")
        write(os.path.join(cls.path_folder, "quokkapath.exe"), b"MZ")
        write(os.path.join(cls.path_folder, "deeper", "quokkadeep.exe"), b"MZ")
        cls.wine.env["WINEPATH"] = "C:\\qpath;;"

        firefox = os.path.join(roaming, "Mozilla", "Firefox")
        write(os.path.join(firefox, "profiles.ini"),
              "[General]\r\nStartWithLastProfile=1\r\n\r\n[Profile0]\r\nName=default\r\nIsRelative=1\r\n"
              "Path=Profiles/e2e.default\r\nDefault=1\r\n")
        write(os.path.join(firefox, "Profiles", "e2e.default", "bookmarks.html"),
              "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<DL><p>\r\n"
              "    <DT><A HREF=\"http://quokka.example/\" ADD_DATE=\"1\">Quokka Bookmark</A>\r\n"
              "</DL><p>\r\n")

        backups = os.path.join(firefox, "Profiles", "e2e.default", "bookmarkbackups")
        write(os.path.join(backups, "bookmarks-2024-05-01_1_e2eAAAAAAAAAAAAAAAAAAAA==.jsonlz4"),
              firefox_backup([(BACKUP_TITLE, BACKUP_ADDRESS)]))
        write(os.path.join(backups, "bookmarks-2024-04-01_1_e2eBBBBBBBBBBBBBBBBBBBB==.jsonlz4"),
              firefox_backup([("Quokka Older Backup", "https://quokka-older.example/")]))
        edge = os.path.join(profile, "AppData", "Local", "Microsoft", "Edge", "User Data")
        write(os.path.join(edge, "Local State"), json.dumps({"profile": {"info_cache": {"Default": {"name": "P"}}}}))
        write(os.path.join(edge, "Default", "Bookmarks"), chromium_bookmarks([(EDGE_TITLE, EDGE_ADDRESS)]))
        # The prefix's browser is a program of the test's own that notes the address it is given.
        cls.browser = os.path.join(cls.wine.drive_c, "qbrowser", "wlbrowser.exe")
        os.makedirs(os.path.dirname(cls.browser), exist_ok=True)
        shutil.copy(cls.mark_exe, cls.browser)
        for scheme in ("http", "https"):
            cls.wine.run(["reg", "add", r"HKLM\Software\Classes\%s\shell\open\command" % scheme, "/ve", "/d",
                          r"C:\qbrowser\wlbrowser.exe %1", "/f"], timeout=60)

        for name in ("http://quokka-registry.example/", r"C:\qreg\quokkareg.exe", r"C:\qreg\quokkareg.dll",
                     "quokkabare.exe"):
            cls.wine.reg_add(REGISTRY_KEY, name, "data")
        cls.wine.reg_add(REGISTRY_KEY + r"\Classes", "http://quokka-hidden.example/", "data")

    def short_path(self, windows_path):
        out = os.path.join(self.wine.drive_c, "short.txt")
        self.wine.run([self.mark_exe, "--short", windows_path, self.wine.unix_to_windows(out)], timeout=60)
        with open(out) as f:
            return f.read()

    def command_window(self, app):
        pid = app.main_window()["pid"]
        for w in self.probe.windows():
            if w["pid"] == pid and w["class"] == "#32770":
                children = self.probe.children(w["hwnd"])
                combo = next((c for c in children if c["id"] == COMBO_ID), None)
                if combo:
                    edit = next(c for c in children if c["class"].lower() == "edit")
                    return w, combo, edit
        return None

    def rows_with_data(self, combo):
        """(item data, text) of every row. Read by wlmark with the wide message: the probe's ANSI
        read of an owner-drawn combo box's rows overruns its buffer under Wine."""
        out = os.path.join(self.wine.drive_c, "rows.txt")
        if os.path.exists(out):
            os.remove(out)
        self.wine.run([self.mark_exe, "--rows", str(combo["hwnd"]), self.wine.unix_to_windows(out)], timeout=60)
        if not os.path.exists(out):
            return []
        with open(out, "rb") as f:
            lines = f.read().decode("latin-1").split("\n")
        return [(int(line.split("\t", 1)[0]), line.split("\t", 1)[1]) for line in lines if line]

    def rows(self, combo):
        return [text for _, text in self.rows_with_data(combo)]

    def refill(self, combo, edit):
        """Closes the list and asks for it again, as the Down arrow does with the list closed."""
        self.probe.send(combo["hwnd"], CB_SHOWDROPDOWN, 0, 0)
        self.probe.send(edit["hwnd"], WM_KEYDOWN, VK_DOWN, 1)

    def test_harvested_rows_launch_and_use_count(self):
        app = self.start_wordlark()
        notepad = self.start_notepad()
        window, combo, edit = wait_until(lambda: self.command_window(app), 20, 0.3, "the command window")
        self.assertTrue(window["visible"])

        # The hot key hides the window shown at start-up, and shows it again emptied.
        notepad.focus()
        X.key("ctrl+space")
        wait_until(lambda: not self.command_window(app)[0]["visible"], 10, 0.2, "the command window hidden")
        notepad.focus()
        X.key("ctrl+space")
        wait_until(lambda: self.command_window(app)[0]["visible"], 10, 0.2, "the command window shown")
        self.assertEqual(self.probe.text(edit["hwnd"]), "")

        rect = edit["rect"]
        X.click((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)
        wait_until(lambda: (self.probe.focus_of(window["hwnd"]) or {}).get("hwnd") == edit["hwnd"], 10, 0.2,
                   "the focus in the command field")
        X.type("quokka")
        wait_until(lambda: self.probe.text(edit["hwnd"]) == "quokka", 10, 0.2, "the typed text")

        expected = {"Quokkamark.exe", "Quokka Notes.lnk", "quokkasuite.txt", "quokkadesk.txt", "quokkapath.exe",
                    "Quokka Bookmark", "http://quokka-registry.example/", "quokkareg.exe"}

        def harvested():
            rows = self.rows(combo)
            if expected <= {r.split("\t")[0] for r in rows[3:]}:
                return rows
            self.refill(combo, edit)
            return None

        rows = wait_until(harvested, 120, 1.0, "every source harvested")
        shot = X.screenshot(self.artifact("launcher-open-list.png"))
        self.assertTrue(os.path.exists(shot))

        self.assertEqual(rows[:3], WEB_SEARCH_LABELS)
        names = [r.split("\t")[0] for r in rows[3:]]
        # Not catalogued: a library, a bare file name in the registry, anything below a Classes
        # key, and a subfolder of a PATH folder.
        for absent in ("quokkadesk.dll", "quokkareg.dll", "quokkabare.exe", "http://quokka-hidden.example/",
                       "quokkadeep.exe"):
            self.assertNotIn(absent, names)
        # The Start menu's own files entered the use counts at the harvest: they come first, in
        # byte order among equal counts.
        self.assertEqual(names[:2], ["Quokka Notes.lnk", "Quokkamark.exe"])
        self.assertIn("Quokka Bookmark\thttp://quokka.example/", rows)
        self.assertTrue(rows[4].split("\t")[1].endswith("\\"), rows[4])
        data = [d for d, _ in self.rows_with_data(combo)]
        # The engines' icon resources, marked apart from the system image list's indexes.
        self.assertEqual(data[:3], [WEB_SEARCH_ICON_MARK | 143, WEB_SEARCH_ICON_MARK | 144, WEB_SEARCH_ICON_MARK | 145])
        # Every other row has an icon of the system image list (programs, files, web pages).
        for row in range(3, len(rows)):
            self.assertFalse(data[row] & WEB_SEARCH_ICON_MARK, rows[row])
            self.assertNotEqual(data[row], CB_ERR, rows[row])

        # Down jumps over the web-search rows to the first match, the next Down to Quokkamark.
        X.key("Down")
        wait_until(lambda: self.probe.send(combo["hwnd"], CB_GETCURSEL, 0, 0) == 3, 10, 0.2, "row 3 selected")
        X.key("Down")
        wait_until(lambda: self.probe.send(combo["hwnd"], CB_GETCURSEL, 0, 0) == 4, 10, 0.2, "row 4 selected")
        self.assertEqual(self.probe.text(edit["hwnd"]), "quokka")
        X.key("Return")
        mark = os.path.join(self.start_menu, "Quokkamark.exe.ran")
        wait_until(lambda: os.path.exists(mark), 30, 0.3, "the mark of the launched program")
        self.assertTrue(self.command_window(app)[0]["visible"])

        self.assertEqual(app.exit(), 0)
        folder = self.short_path(self.wine.unix_to_windows(self.start_menu))
        target = folder + "\\Quokkamark.exe"
        digest = hashlib.md5(target.encode("latin-1")).hexdigest()
        counts = app.read("wordlark.cmd")
        self.assertIn(("%s\t2\r\n" % digest).encode(), counts, target)
        # The other Start-menu file was counted by the harvest only; the file never holds targets.
        notes = hashlib.md5((folder + "\\Quokka Notes.lnk").encode("latin-1")).hexdigest()
        self.assertIn(("%s\t1\r\n" % notes).encode(), counts)
        self.assertNotIn(b"Quokka", counts)

    def query_afresh(self, app, query):
        """Replaces the text of the command window (shown at start-up and after a launch) by
        query, typed; returns its window, combo box and edit field. The old text is taken away
        with Backspace in the field itself: after a launch, X keystrokes no longer reach notepad
        in Wine's virtual desktop here, so the hot key cannot be pressed there to empty it."""
        window, combo, edit = wait_until(lambda: self.command_window(app), 20, 0.3, "the command window")
        self.assertTrue(window["visible"])
        rect = edit["rect"]
        X.click((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)
        wait_until(lambda: (self.probe.focus_of(window["hwnd"]) or {}).get("hwnd") == edit["hwnd"], 10, 0.2,
                   "the focus in the command field")
        old = self.probe.text(edit["hwnd"]) or ""
        if old:
            X.key("End", *["BackSpace"] * len(old))
            wait_until(lambda: self.probe.text(edit["hwnd"]) == "", 10, 0.2, "the command field emptied")
        X.type(query)
        wait_until(lambda: self.probe.text(edit["hwnd"]) == query, 10, 0.2, "the typed text %r" % query)
        return window, combo, edit

    def test_open_bookmarks_of_edge_and_of_a_firefox_backup(self):
        app = self.start_wordlark()
        opened = self.browser + ".ran"
        cases = [("quokka edge", EDGE_TITLE, EDGE_ADDRESS), ("quokka backup", BACKUP_TITLE, BACKUP_ADDRESS)]
        for count, (query, title, address) in enumerate(cases, 1):
            _, combo, edit = self.query_afresh(app, query)
            # The title in the ANSI code page (Windows-1252 here; the probe reads it as Latin-1).
            row = "%s\t%s" % (title, address)

            def found():
                rows = self.rows(combo)
                if row in rows:
                    return rows
                self.refill(combo, edit)
                return None

            rows = wait_until(found, 120, 1.0, "the bookmark %r harvested" % title)
            # The query's words match this bookmark alone; the older Firefox backup is not read.
            self.assertEqual(rows[3:], [row])
            X.key("Down")
            wait_until(lambda: self.probe.send(combo["hwnd"], CB_GETCURSEL, 0, 0) == 3, 10, 0.2, "row 3 selected")
            X.key("Return")

            def runs():
                if not os.path.exists(opened):
                    return None
                with open(opened, encoding="latin-1") as f:
                    lines = f.read().splitlines()
                return lines if len(lines) >= count else None

            lines = wait_until(runs, 30, 0.3, "the browser started for %s" % address)
            # The address reaches the browser as the bookmark holds it.
            self.assertEqual(lines[count - 1], "ran\t" + address)
        self.assertEqual(app.exit(), 0)

    def local_names(self, app, query, wanted):
        """The names of the local rows for query, typed afresh, once the harvest has brought every
        name in wanted; with the combo box and edit field."""
        _, combo, edit = self.query_afresh(app, query)

        def found():
            names = [r.split("\t")[0] for r in self.rows(combo)[3:]]
            if set(wanted) <= set(names):
                return names
            self.refill(combo, edit)
            return None

        return wait_until(found, 120, 1.0, "%s listed for %r" % (wanted, query)), combo

    def launch_from(self, app, query, name, runs_before):
        """Chooses the row of name in the list for query with the arrow keys and Enter, and waits
        for the program to run."""
        names, combo = self.local_names(app, query, [name])
        row = 3 + names.index(name)
        X.key("Down")
        wait_until(lambda: self.probe.send(combo["hwnd"], CB_GETCURSEL, 0, 0) == 3, 10, 0.2, "row 3 selected")
        for selected in range(4, row + 1):
            X.key("Down")
            wait_until(lambda: self.probe.send(combo["hwnd"], CB_GETCURSEL, 0, 0) == selected, 10, 0.2,
                       "row %d selected" % selected)
        X.key("Return")
        mark = os.path.join(self.start_menu, name + ".ran")

        def runs():
            if not os.path.exists(mark):
                return None
            with open(mark) as f:
                return len(f.read().splitlines()) > runs_before or None

        wait_until(runs, 30, 0.3, "%s started" % name)

    def test_initials_find_a_program(self):
        app = self.start_wordlark()
        names, _ = self.local_names(app, "vsc", ["Visual Studio Code.exe", "Virtual Sound Card.exe"])
        # Both have the initials; the Start menu's own program has been counted by the harvest.
        self.assertEqual(names[0], "Visual Studio Code.exe")
        self.assertNotIn("Visual Basic Tools.exe", names)
        # One slip in a longer word is forgiven.
        names, _ = self.local_names(app, "visaul basic", ["Visual Basic Tools.exe"])
        self.assertEqual(names[0], "Visual Basic Tools.exe")
        self.assertEqual(app.exit(), 0)

    def test_one_launch_is_remembered_for_its_query_across_a_restart(self):
        app = self.start_wordlark()
        for run in range(4):
            self.launch_from(app, "note", "Notebook Tool.exe", run)
        self.launch_from(app, "note", "Notepad Helper.exe", 0)
        self.assertEqual(app.exit(), 0)

        folder = self.short_path(self.wine.unix_to_windows(self.start_menu))
        helper = hashlib.md5((folder + "\\Notepad Helper.exe").encode("latin-1")).hexdigest()
        notebook = hashlib.md5((folder + "\\Notebook Tool.exe").encode("latin-1")).hexdigest()
        # Counted at the harvest and at each of its four launches.
        self.assertIn(("%s\t5\r\n" % notebook).encode(), app.read("wordlark.cmd"))
        memory = app.read("wordlark.cmq").decode("latin-1").split("\r\n")
        self.assertEqual(memory[0], "wordlark query memory 1")
        self.assertEqual([line.split("\t")[1:] for line in memory[1:] if line], [[helper, "note"]])

        app.start()
        names, _ = self.local_names(app, "note", ["Notepad Helper.exe", "Notebook Tool.exe"])
        self.assertEqual(names[0], "Notepad Helper.exe")
        names, _ = self.local_names(app, "noteb", ["Notebook Tool.exe"])
        self.assertEqual(names[0], "Notebook Tool.exe")
        self.assertEqual(app.exit(), 0)

    def test_sum_settings_page_and_open_window(self):
        app = self.start_wordlark()
        notepad = self.start_notepad()
        # A sum's value is the first row; Enter copies it and closes the strip.
        _, combo, _ = self.query_afresh(app, "2+3*4")
        self.assertEqual(self.rows(combo)[:2], ["= 14\tEnter copies the result", WEB_SEARCH_LABELS[0]])
        X.key("Return")
        wait_until(lambda: self.probe.clipboard() == "14", 10, 0.2, "14 on the clipboard")
        wait_until(lambda: not self.command_window(app)[0]["visible"], 10, 0.2, "the command window closed")

        # The hot key pressed in notepad opens the strip again, which lists the windows open now:
        # notepad's among them. Under Wine's virtual desktop the keys reach no window once the one
        # that held the X focus (the strip) is hidden, until a click in a window; on Windows they
        # go to the foreground window.
        rect = notepad.edit["rect"]
        X.click((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)
        wait_until(lambda: (self.probe.foreground() or {}).get("hwnd") == notepad.window["hwnd"], 10, 0.2,
                   "notepad in the foreground")
        X.key("ctrl+space")
        wait_until(lambda: self.command_window(app)[0]["visible"], 10, 0.2, "the command window shown")
        # A page of the Settings app of Windows 10 and 11 (the prefix reports Windows 10).
        page = "Bluetooth & devices\tms-settings:bluetooth"
        _, combo, edit = self.query_afresh(app, "bluetooth")

        def found():
            if page in self.rows(combo):
                return True
            self.refill(combo, edit)
            return None

        wait_until(found, 60, 1.0, "the settings page listed")
        title = notepad.window["text"]
        _, combo, _ = self.query_afresh(app, title.split()[0].lower())
        self.assertEqual(self.rows(combo)[3], "%s\tnotepad.exe" % title)
        X.key("Down")
        wait_until(lambda: self.probe.send(combo["hwnd"], CB_GETCURSEL, 0, 0) == 3, 10, 0.2, "row 3 selected")
        X.key("Return")
        wait_until(lambda: (self.probe.foreground() or {}).get("hwnd") == notepad.window["hwnd"], 10, 0.2,
                   "notepad brought to the front")
        self.assertEqual(app.exit(), 0)
