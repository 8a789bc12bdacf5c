"""The release packages end to end: tools/package.sh makes the zip, the update cabinet and the
per-user installer of this build, every program file code-signed with the test certificate; the
installer is run under Wine's msiexec as the user, the installed program completes a word in
notepad, a later release's installer upgrades it in place while it runs (it saves, closes and
starts again in its new version) and the uninstaller removes it, the user's own files staying
byte for byte throughout."""

import glob
import os
import shutil
import subprocess
import sys
import tempfile

from harness import BITS, DIST, RUNS_32BIT, WINE, WineTestCase, Wordlark, X, unix_pid, wait_until

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import pe_version  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
KEYS = os.path.join(ROOT, "tests", "keys")
TEST_UPDATE_KEY = os.path.join(KEYS, "update-test-private.pem")
TEST_CERTIFICATE = os.path.join(KEYS, "codesign-test-certificate.pem")
PROGRAM_FILES = ("wordlark.exe", "larkhook.dll") + (("wordlark32.exe", "larkhook32.dll") if BITS == 64 else ())
SHIPPED = PROGRAM_FILES + ("english.voc", "english.pairs", "english-voc-license.txt", "json-license.txt")
MSI = "wordlark-%dbit.msi" % BITS
CABINET = "WordlarkUpdate64.cab" if BITS == 64 else "WordlarkUpdate.cab"
IDM_ABOUT = 104
WM_COMMAND = 0x0111
IDCANCEL = 2
# The user's own files: what they set, what was learned in notepad, what they launched.
SETTINGS = (b"command_key\t1058\t\r\nwordlark_key\t1061\t\r\nkeyboard_key\t1064\t\r\nwordlist_file\t\t\r\n"
            b"enable_completion\t1\t\r\nnotepad.exe\tC:\\windows\\system32\\notepad.exe\t1\t\r\n")
LAUNCH_COUNTS = b"moose\t2\r\nzebra\t3\r\n"


def package(dist, out, env=None):
    """tools/package.sh of this build's kind; the completed process."""
    environment = dict(os.environ, WL_UPDATE_SIGNING_KEY=TEST_UPDATE_KEY,
                       WL_SETUP_ACTIONS=os.path.join(DIST, "..", "installer", "wordlark_setup.dll"))
    for name in ("WL_CODE_SIGNING_CERTIFICATE", "WL_CODE_SIGNING_KEY", "WL_TIMESTAMP_URL"):
        environment.pop(name, None)
    environment.update(env or {})
    return subprocess.run([os.path.join(ROOT, "tools", "package.sh"), dist, out, str(BITS)], env=environment,
                          capture_output=True, text=True, timeout=300)


def verifies(path):
    return subprocess.run(["osslsigncode", "verify", "-CAfile", TEST_CERTIFICATE, "-in", path],
                          capture_output=True, timeout=120).returncode == 0


def set_aside(name):
    """A program file put aside while another program still held it (~larkhook.dll.tmp)."""
    return name.startswith("~") and name.endswith(".tmp")


def files_under(folder):
    return sorted(os.path.relpath(os.path.join(d, f), folder) for d, _, names in os.walk(folder) for f in names)


class Installer(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.scratch = tempfile.mkdtemp(prefix="wl-installer-")
        with open(os.path.join(DIST, "wordlark.exe"), "rb") as f:
            cls.version = pe_version.read(f.read())
        major, minor, patch = cls.version
        # The release before this one, made from the same files with the earlier version.
        cls.earlier = (major, minor, patch - 1) if patch else (major, minor - 1, 0) if minor else (major - 1, 0, 0)
        earlier_dist = os.path.join(cls.scratch, "earlier-dist")
        os.makedirs(earlier_dist)
        for name in PROGRAM_FILES:
            with open(os.path.join(DIST, name), "rb") as f:
                data = f.read()
            with open(os.path.join(earlier_dist, name), "wb") as f:
                f.write(pe_version.with_version(data, cls.earlier))
        cls.packages = {}
        for name, dist in (("earlier", earlier_dist), ("current", DIST)):
            out = os.path.join(cls.scratch, name)
            made = package(dist, out)
            if made.returncode != 0:
                raise AssertionError("package.sh failed:\n" + made.stderr)
            cls.packages[name] = out

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        shutil.rmtree(cls.scratch, ignore_errors=True)

    # --- packages -------------------------------------------------------------------------------

    def unpacked(self, name):
        """{kind: folder} of the current package's zip, cabinet and installer, unpacked."""
        out = self.packages["current"]
        folders = {}
        for kind, command in (("zip", ["unzip", "-q", os.path.join(out, "wordlark-%dbit.zip" % BITS), "-d"]),
                              ("cabinet", ["gcab", "--extract", "--nopath", os.path.join(out, CABINET),
                                           "--directory"]),
                              ("installer", ["msiextract", os.path.join(out, MSI), "-C"])):
            folder = os.path.join(self.scratch, name, kind)
            os.makedirs(folder)
            subprocess.run(command + [folder], check=True, timeout=120, stdout=subprocess.DEVNULL)
            folders[kind] = folder
        return folders

    def test_every_program_file_and_the_installer_are_signed_and_a_release_needs_its_certificate(self):
        # The check itself tells signed from unsigned: the build's own files are not signed.
        self.assertFalse(verifies(os.path.join(DIST, "wordlark.exe")))
        folders = self.unpacked("unpacked")
        signed = [os.path.join(self.packages["current"], MSI)]
        for kind, folder in folders.items():
            names = {os.path.basename(p): os.path.join(folder, p) for p in files_under(folder)}
            wanted = [n[:-1] + "_" for n in PROGRAM_FILES] if kind == "cabinet" else PROGRAM_FILES
            for name in wanted:
                self.assertIn(name, names, kind)
                signed.append(names[name])
        for path in signed:
            self.assertTrue(verifies(path), os.path.relpath(path, self.scratch))

        # The installer asks for no administrator (word count bit 8), is of the build's processor,
        # and its shortcut names the program itself: an advertised one would name a feature, and
        # Windows would "repair" files the updater replaced.
        msi = os.path.join(self.packages["current"], MSI)
        summary = subprocess.run(["msiinfo", "suminfo", msi], capture_output=True, text=True, timeout=60).stdout
        fields = dict(line.split(": ", 1) for line in summary.splitlines() if ": " in line)
        self.assertTrue(int(fields["Source"].split()[0]) & 8, summary)
        self.assertEqual(fields["Template"], ("x64" if BITS == 64 else "Intel") + ";1033")
        shortcuts = subprocess.run(["msiinfo", "export", msi, "Shortcut"], capture_output=True, text=True,
                                   timeout=60).stdout.splitlines()[3:]
        self.assertEqual([row.split("\t")[4] for row in shortcuts], ["[INSTALLDIR]wordlark.exe"])

        # Asked for a release certificate that is not there, or signing with the release's update
        # key without one, the step fails and makes nothing.
        other_key = os.path.join(self.scratch, "release-update-key.pem")
        subprocess.run(["openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", other_key],
                       check=True, timeout=60)
        missing = os.path.join(self.scratch, "no-such-certificate.pem")
        for what, env in (("certificate missing", {"WL_CODE_SIGNING_CERTIFICATE": missing,
                                                    "WL_CODE_SIGNING_KEY": missing}),
                          ("release key without a certificate", {"WL_UPDATE_SIGNING_KEY": other_key}),
                          ("the test certificate for a release",
                           {"WL_CODE_SIGNING_CERTIFICATE": TEST_CERTIFICATE,
                            "WL_CODE_SIGNING_KEY": os.path.join(KEYS, "codesign-test-private.pem")})):
            with self.subTest(what):
                out = os.path.join(self.scratch, "refused")
                made = package(DIST, out, env)
                self.assertNotEqual(made.returncode, 0)
                self.assertIn("package:", made.stderr)
                self.assertEqual(os.listdir(out) if os.path.isdir(out) else [], [])

        # A release signs with its own certificate, never the test one, and its signatures carry a
        # timestamp: without a timestamp server, or with one that does not answer, it makes
        # nothing; only when asked for none does it ship without one.
        certificate = os.path.join(self.scratch, "release-certificate.pem")
        certificate_key = os.path.join(self.scratch, "release-certificate-key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                        "/CN=Release test", "-addext", "extendedKeyUsage=codeSigning", "-keyout", certificate_key,
                        "-out", certificate], check=True, timeout=120, capture_output=True)
        release = {"WL_UPDATE_SIGNING_KEY": other_key, "WL_CODE_SIGNING_CERTIFICATE": certificate,
                   "WL_CODE_SIGNING_KEY": certificate_key, "WL_CODE_SIGNING_CA_FILE": certificate}
        for what, timestamp in (("no timestamp server", None),
                                ("a timestamp server that fails", "http://127.0.0.1:9/")):
            with self.subTest(what):
                out = os.path.join(self.scratch, "untimed-release")
                made = package(DIST, out, dict(release, **({"WL_TIMESTAMP_URL": timestamp} if timestamp else {})))
                self.assertNotEqual(made.returncode, 0)
                self.assertIn("timestamp", made.stderr)
                self.assertEqual(os.listdir(out) if os.path.isdir(out) else [], [])
        out = os.path.join(self.scratch, "release")
        made = package(DIST, out, dict(release, WL_TIMESTAMP_URL="none"))
        self.assertEqual(made.returncode, 0, made.stderr)
        self.assertIn("WITHOUT a timestamp", made.stdout)
        release_msi = os.path.join(out, MSI)
        self.assertFalse(verifies(release_msi))
        self.assertEqual(subprocess.run(["osslsigncode", "verify", "-CAfile", certificate, "-in", release_msi],
                                        capture_output=True, timeout=120).returncode, 0)

    # --- install, upgrade, uninstall --------------------------------------------------------------

    def msiexec(self, *args, settle=True):
        """Runs msiexec without a user interface; with settle, waits until every program of the
        prefix has ended (the installer's helpers too). Its output goes to a file: a program the
        installer starts would hold a pipe open long after msiexec ended."""
        log = self.artifact("msiexec.log")
        with open(log, "w") as out:
            result = subprocess.run(self.wine.command([WINE, "msiexec"] + list(args) + ["/qn"]), env=self.wine.env,
                                    stdout=out, stderr=subprocess.STDOUT, timeout=300)
        with open(log) as f:
            self.assertEqual(result.returncode, 0, f.read())
        if settle:
            subprocess.run([self.wine.env["WINESERVER"], "-w"], env=self.wine.env, timeout=120)

    def installer(self, name):
        """The package's installer, copied into the prefix; its Windows path."""
        folder = os.path.join(self.wine.drive_c, "installers", name)
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.path.join(self.packages[name], MSI), folder)
        return self.wine.unix_to_windows(os.path.join(folder, MSI))

    def user_folder(self, *parts):
        users = [u for u in glob.glob(os.path.join(self.wine.drive_c, "users", "*"))
                 if os.path.isdir(os.path.join(u, "AppData", "Local"))]
        self.assertEqual(len(users), 1, users)
        return os.path.join(users[0], "AppData", *parts)

    def installed_entries(self, context="user"):
        """(version, publisher) of every product named Wordlark that the Windows Installer keeps
        on record for the user's own per-user installs (or, with "machine", per machine): where
        Apps & features finds a per-user install."""
        return [(version, publisher) for name, version, publisher in
                self.probe.call("installed-products", context) if name == "Wordlark"]

    def running_wordlark(self, not_pid=None):
        """The main window of the Wordlark that runs, when it is not the process not_pid."""
        return next((w for w in self.probe.find(cls="WORDLARK") if not w.get("owner") and w["pid"] != not_pid), None)

    def test_install_upgrade_and_uninstall_while_running_keep_the_users_files(self):
        folder = self.user_folder("Local", "Programs", "Wordlark")
        shortcut = self.user_folder("Roaming", "Microsoft", "Windows", "Start Menu", "Programs", "Wordlark.lnk")
        current = self.unpacked("installed")["zip"]

        self.msiexec("/i", self.installer("earlier"))
        self.assertEqual(sorted(os.listdir(folder)), sorted(SHIPPED))
        self.assertTrue(os.path.isfile(shortcut))
        # Registered as the user's own install, where Windows keeps a per-user install.
        self.assertEqual(self.installed_entries(), [(pe_version.text(self.earlier), "Wordlark")])
        self.assertEqual(self.installed_entries("machine"), [])

        # The installed program runs from its folder and keeps the user's files there; it learns a
        # word and is still running, unsaved, when the later release is installed.
        app = Wordlark(self.wine, self.probe, installed_folder=folder)
        app.write("wordlark.cfg", SETTINGS)
        app.write("wordlark.cmd", LAUNCH_COUNTS)
        app.start()
        if BITS == 64 and RUNS_32BIT:
            wait_until(lambda: unix_pid("wordlark32.exe", self.wine.prefix), 30, 0.3, "the helper")
        notepad = self.start_notepad()
        notepad.focus()
        X.type("hel")
        wait_until(lambda: app.suggestion_window()["visible"], 30, 0.2, "the suggestion list")
        X.key("ctrl+1")
        word = wait_until(lambda: (lambda t: t if len(t) > 3 and t.startswith("hel") else None)(notepad.text()),
                          15, 0.2, "a word completed in notepad")
        earlier_pid = app.main_window()["pid"]
        earlier_helper = unix_pid("wordlark32.exe", self.wine.prefix)

        # The later release: Wordlark is asked to close, saves everything, and its helper ends with
        # it; the program files are replaced in place, and the new version starts.
        self.msiexec("/i", self.installer("current"), settle=False)
        later = wait_until(lambda: self.running_wordlark(not_pid=earlier_pid), 60, 0.3, "the new version running")
        self.assertEqual([w for w in self.probe.find(cls="WORDLARK") if w["pid"] == earlier_pid], [])
        if earlier_helper:
            self.assertNotEqual(unix_pid("wordlark32.exe", self.wine.prefix), earlier_helper)
        self.assertNotEqual(later["pid"], earlier_pid)
        self.assertIn(word.encode() + b" 1\r\n", app.read("notepad.exe.vob"))
        for name in SHIPPED:
            with open(os.path.join(current, "Wordlark", name), "rb") as f:
                self.assertEqual(app.read(name), f.read(), name)
        users_files = {name: app.read(name) for name in os.listdir(folder)
                       if name not in SHIPPED and not set_aside(name)}
        self.assertTrue({"wordlark.cfg", "notepad.exe.vob", "wordlark.cmd"} <= set(users_files), users_files.keys())
        self.assertEqual(users_files["wordlark.cmd"], LAUNCH_COUNTS)
        self.assertTrue(os.path.isfile(shortcut))
        self.assertEqual(self.installed_entries(), [(pe_version.text(self.version), "Wordlark")])
        # The version running is the one the files carry: its About box names it.
        app.command(IDM_ABOUT)
        about = wait_until(lambda: next((w for w in self.probe.find(cls="#32770", text="About Wordlark")
                                         if w["visible"]), None), 30, 0.3, "the About box")
        texts = [c["text"] for c in self.probe.children(about["hwnd"]) if c["class"].lower() == "static"]
        self.assertIn("Wordlark " + pe_version.text(self.version), texts)
        self.probe.post(about["hwnd"], WM_COMMAND, IDCANCEL, 0)
        notepad.close()

        # Uninstalled while it runs: Wordlark closes and saves, and does not start again; the
        # user's files stay.
        self.msiexec("/x", self.installer("current"), settle=False)
        wait_until(lambda: self.running_wordlark() is None, 30, 0.3, "Wordlark closed")
        self.assertEqual(sorted(name for name in os.listdir(folder) if not set_aside(name)), sorted(users_files))
        for name, data in users_files.items():
            self.assertEqual(app.read(name), data, name)
        self.assertFalse(os.path.exists(shortcut))
        self.assertEqual(self.installed_entries(), [])
