#!/usr/bin/env python3
"""Whole runs of setup.exe as a user makes them, inside scripts/xvfb-wine (DISPLAY and
WINEPREFIX set): a product packed into a setup file with kropack.exe, setup started in the
prefix, its pages recognised by their texts (probe.exe reads the windows), real key presses
and clicks (xdotool), then files, registry values, shortcuts and zeb.ini checked byte for
byte. A screenshot of every page is kept.

usage: wholerun.py CASE SETUP.EXE KROPACK.EXE PROBE.EXE ARTEFACTS TEST-SETUP.EXE

SETUP.EXE is the program as shipped; TEST-SETUP.EXE the test build, which alone takes the system
language's name from KRO_SETUP_LANGUAGE_NAME.
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

CASE, STUB, KROPACK, PROBE, SHOTS, TEST_STUB = sys.argv[1:7]
ARCHIVE_OFFSET = 302080
PREFIX = os.environ["WINEPREFIX"]
DRIVE_C = os.path.join(PREFIX, "drive_c")
KRO = os.path.join(DRIVE_C, "KRO")


class Failure(Exception):
    pass


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine(*args, check=True):
    """Output through files, not pipes: a service Wine starts on the way would inherit a pipe
    and keep it open long after the program has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        rc = subprocess.run(["wine", *args], stdin=subprocess.DEVNULL, stdout=out,
                            stderr=err).returncode
        out.seek(0)
        err.seek(0)
        if check and rc != 0:
            raise Failure(f"wine {' '.join(args)} failed ({rc}): "
                          f"{err.read().decode(errors='replace')[-400:]}")
        return out.read().decode("utf-8", errors="replace").replace("\r", "")


# --- the machine -------------------------------------------------------------------------

ENV_MACHINE = r"HKLM\System\CurrentControlSet\Control\Session Manager\Environment"
ENV_USER = r"HKCU\Environment"
# Where the maker's own 32-bit programs register the library.
MAKER = r"HKLM\SOFTWARE\Kro GmbH\Shared"


def reg_query(key, name, *view):
    for line in wine("reg", "query", key, "/v", name, *view, check=False).split("\n"):
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0].lower() == name.lower():
            return parts[2] if len(parts) == 3 else ""
    return None


def reg_set(key, name, value, kind="REG_SZ", *view):
    wine("reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f", *view)


def reg_delete(key, name, *view):
    wine("reg", "delete", key, "/v", name, "/f", *view, check=False)


def fresh_machine():
    """No earlier installation, no ZEB, no maker registration, the search path as Wine makes it,
    no shortcuts. Checked afterwards: a run cut short in an earlier case (or a registry change
    lost with a wineserver killed under load) must fail here, not as a wrong page much later."""
    shutil.rmtree(KRO, ignore_errors=True)
    for key in (ENV_MACHINE, ENV_USER):
        reg_delete(key, "ZEB")
    for view in ("/reg:32", "/reg:64"):
        reg_delete(MAKER, "ZEB", view)
    reg_delete(ENV_USER, "PATH")
    path = reg_query(ENV_MACHINE, "PATH") or ""
    cleaned = ";".join(p for p in path.split(";") if "kro" not in p.lower())
    if cleaned != path:
        reg_set(ENV_MACHINE, "PATH", cleaned, "REG_EXPAND_SZ")
    for lnk in shortcut_files():
        os.remove(lnk)
    left = [key for key in (ENV_MACHINE, ENV_USER) if reg_query(key, "ZEB") is not None]
    left += [MAKER + " " + view for view in ("/reg:32", "/reg:64")
             if reg_query(MAKER, "ZEB", view) is not None]
    expect(not left and not os.path.exists(KRO), f"the machine is not fresh: ZEB in {left}")


def shortcut_files():
    found = []
    for root, _, files in os.walk(os.path.join(DRIVE_C, "users")):
        found += [os.path.join(root, f) for f in files if f.lower().endswith(".lnk")]
    return sorted(found)


def tree(root):
    """Relative path (with / separators) -> bytes of every file under root."""
    out = {}
    for base, _, files in os.walk(root):
        for f in files:
            p = os.path.join(base, f)
            with open(p, "rb") as fh:
                out[os.path.relpath(p, root)] = fh.read()
    return out


# --- the product -------------------------------------------------------------------------

README_RTF = (rb"{\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}\f0\fs24 {\b Kro Auftrag 2.02}\par "
              rb"Neu in dieser Version: schnellere Listen.\par}")


def product_files(extra=None):
    files = {
        "bin/kro.exe": b"MZ Kro Auftrag\r\n" * 40,
        "bin/hilfe/kro.hlp": bytes(range(256)) * 8,
        "LIESMICH.RTF": README_RTF,
        "zeb/cs/zeb32.dll": b"client-server\r\n",
        "zeb/nw/zeb32.dll": b"netware\r\n",
        "zeb/sa/zeb32.dll": b"standalone\r\n",
        "zeb/sa/zebsa.cfg": b"single user\r\n",
    }
    files.update(extra or {})
    return files


def description(full=1, libs=4, readme="LIESMICH.RTF", needed="b"):
    return ("[ApplicationInfo]\r\nName=BIN\\KRO.EXE\r\nTitle=Kro Auftrag\r\nVersion=2.02\r\n"
            "Description=Auftragsbearbeitung\r\nRemark=(c) Kro GmbH\r\n"
            f"Readme={readme}\r\nPackage=kro.pak\r\nLibsIncluded={libs}\r\n"
            f"FullInstallation={full}\r\nNeededChars={needed}\r\n").encode("cp1252")


def write_files(root, files):
    for rel, data in files.items():
        p = os.path.join(root, rel)
        os.makedirs(os.path.dirname(p), exist_ok=True)
        with open(p, "wb") as fh:
            fh.write(data)


def build_setup(work, files, inf=None, name="Setup.exe", stub=None):
    """Setup.exe with the product appended, as kropack builds it for shipping (from the test
    build when stub says so); the command that starts it."""
    prod = os.path.join(work, "prod")
    write_files(prod, files)
    inf_path = os.path.join(work, "kro.inf")
    with open(inf_path, "wb") as fh:
        fh.write(inf if inf is not None else description())
    out = os.path.join(work, name)
    wine(KROPACK, "setup", "--stub", winpath(stub or STUB), "--inf", winpath(inf_path), "--package",
         winpath(prod), "-o", winpath(out))
    return [out]


def build_archive(work, members):
    """An archive of the given top-level members (name -> bytes), for a command-line run."""
    outer = os.path.join(work, "outer")
    write_files(outer, members)
    out = os.path.join(work, "data.arc")
    wine(KROPACK, "pack", "-C", winpath(outer), winpath(out), *sorted(members))
    return out


# --- the user ----------------------------------------------------------------------------

class Win:
    def __init__(self, line):
        f = line.split("\t")
        self.depth, self.cls, self.text = int(f[0]), f[1], f[2]
        self.rect = tuple(int(v) for v in f[3].split(","))
        self.state, self.extra = f[4], f[5] if len(f) > 5 else ""

    @property
    def visible(self):
        return "v" in self.state

    @property
    def enabled(self):
        return "d" not in self.state

    def center(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2


class Screen:
    def __init__(self, wins):
        self.wins = wins

    def find(self, text, cls=None):
        """Visible windows whose text is text (a string) or matches it (a compiled pattern)."""
        hits = []
        for w in self.wins:
            if not w.visible or (cls and w.cls != cls):
                continue
            if (w.text == text) if isinstance(text, str) else text.search(w.text):
                hits.append(w)
        return hits

    def one(self, text, cls=None):
        """The first such window; its absence fails the run with what the screen shows."""
        hits = self.find(text, cls)
        if not hits:
            raise Failure(f"no window shows {text!r}; the screen shows {self.texts()}")
        return hits[0]

    def has(self, text, cls=None):
        return bool(self.find(text, cls))

    def texts(self):
        return [w.text for w in self.wins if w.visible and w.text]


class User:
    def __init__(self, name):
        self.name = name
        self.proc = None
        self.shot_no = 0
        self.shots = os.path.join(SHOTS, name)
        shutil.rmtree(self.shots, ignore_errors=True)
        os.makedirs(self.shots)

    def start(self, exe, *args, env=None):
        full = dict(os.environ)
        full.update(env or {})
        self.proc = subprocess.Popen(["wine", exe, *args], env=full, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def screen(self):
        # Windows come and go while the probe reads them; under load Wine has been seen to end
        # the probe without a word when one dies under it. Another look is the user's view.
        for attempt in range(3):
            try:
                out = wine(PROBE, "dump")
                break
            except Failure:
                if attempt == 2:
                    raise
                time.sleep(0.2)
        return Screen([Win(line) for line in out.split("\n") if line.count("\t") >= 4])

    def shot(self, label):
        self.shot_no += 1
        path = os.path.join(self.shots, f"{self.shot_no:02d}-{label}.png")
        subprocess.run(["import", "-window", "root", path], capture_output=True)

    def wait(self, text, timeout=30, label=None, cls=None):
        """The screen once a visible window shows text; a screenshot of it is kept."""
        end = time.time() + timeout
        while True:
            s = self.screen()
            if s.has(text, cls):
                time.sleep(0.3)  # let the page finish painting for the picture
                self.shot(label or re.sub(r"[^A-Za-z0-9]+", "-", str(text))[:40])
                return self.screen()
            if time.time() > end:
                self.shot("timeout")
                raise Failure(f"waited {timeout} s for {text!r}; the screen shows {s.texts()}")
            if self.proc and self.proc.poll() is not None:
                raise Failure(f"setup ended while waiting for {text!r}")
            time.sleep(0.2)

    def gone(self, text, timeout=10):
        """The screen once no visible window shows text any more: a key or click has been
        answered, however long a loaded machine takes for it."""
        end = time.time() + timeout
        while (s := self.screen()).has(text):
            if time.time() > end:
                return s
            time.sleep(0.2)
        return s

    def key(self, *keys):
        subprocess.run(["xdotool", "key", "--delay", "60", *keys], check=True)
        time.sleep(0.4)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)

    def click(self, text, cls=None):
        hits = self.screen().find(text, cls)
        if not hits:
            raise Failure(f"nothing to click shows {text!r}")
        x, y = hits[0].center()
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)
        time.sleep(0.4)

    def ended(self, timeout=30):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.shot("still-running")
            raise Failure(f"setup still runs {timeout} s after the last step; "
                          f"the screen shows {self.screen().texts()}")

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


class BarWatch:
    """Follows the progress bars of the run; finish() gives (page title, place) -> highest."""

    def __init__(self):
        self.out = tempfile.TemporaryFile()
        self.proc = subprocess.Popen(["wine", PROBE, "watch"], stdin=subprocess.PIPE,
                                     stdout=self.out, stderr=subprocess.DEVNULL)
        # Setup starts only once every bar it makes is followed.
        deadline = time.monotonic() + 30
        while not self.output().startswith("watching\n"):
            expect(self.proc.poll() is None and time.monotonic() < deadline,
                   f"probe watch did not start (exit {self.proc.poll()})")
            time.sleep(0.05)

    def output(self):
        # pread leaves the offset the probe writes at, which it shares with us, alone.
        data = os.pread(self.out.fileno(), 1 << 20, 0)
        return data.decode("utf-8", errors="replace").replace("\r", "")

    def finish(self):
        self.proc.stdin.close()
        self.proc.wait(timeout=30)
        result = {}
        for line in self.output().split("\n"):
            f = line.split("\t")
            if len(f) == 3:
                key = (f[0], int(f[1]))
                result[key] = max(result.get(key, -1), int(f[2]))
        return result


def expect(cond, message):
    if not cond:
        raise Failure(message)


# --- what the pages show -----------------------------------------------------------------

WELCOME = re.compile(r"^(Welcome to the Kro installation|Willkommen)")
FLAG_DE, FLAG_EN = "Deutsch", "English"
NOT_FOUND = {"en": "Setup can not find an existing Kro installation on your computer. Please "
                   "enter the folder, where your Kro application has to be installed.",
             "de": "Setup hat keine bestehende Kro-Installation auf Ihrem Computer finden "
                   "können. Geben Sie bitte an, in welchem Ordner Setup Ihre Kro-Software "
                   "installieren soll."}
FOUND = re.compile(r"^Setup (has found|hat eine bestehende)")
LIBRARY = {"en": "Select Library", "de": "Bibliothek auswählen"}
UNPACKING = {"en": "Installation is running...", "de": "Installation wird durchgeführt..."}
PREPARING = {"en": "Prepare Installation", "de": "Installation vorbereiten"}
FINISH = {"en": "Installation completed", "de": "Installation abgeschlossen"}
ABORTED = {"en": "Installation aborted", "de": "Installation abgebrochen"}
ERRORS = {"en": "There has been errors during the installation.",
          "de": "Die Installation wurde beendet. Dabei sind Fehler aufgetreten."}
CONFIRM = {"en": "Continue or abort setup", "de": "Setup fortsetzen oder abbrechen?"}
CONTINUE = {"en": "Co&ntinue", "de": "&Fortsetzen"}
ABORT = {"en": "&Abort", "de": "&Abbrechen"}
CANCEL = {"en": "&Cancel", "de": "&Abbrechen"}
CLOSE = {"en": "&Close", "de": "&Beenden"}
SHORTCUT = {"en": "Do you want setup to create a shortcut at your desktop?",
            "de": "Soll Setup eine Verknüpfung zum Programm auf Ihrem Desktop anlegen?"}
README = "Update-Informationen"
NO_DATA = re.compile(r'^Setup (does not contain any installation data|enthält keine '
                     r'Installationsdaten)\. (Size|Größe)="(-?\d+)"$')
CANNOT = re.compile(r"^Setup (can not be processed|kann nicht ausgeführt werden)!$")
# Wine names every language in English, so the system default comes out English unless the
# test build is given the language name through its seam.
GERMAN_SYSTEM = {"KRO_SETUP_LANGUAGE_NAME": "Deutsch (Deutschland)"}

ZEB_INI_FIRST = ("[Log]\r\nLevel=0\r\nFile=%TEMP%/zeb.log\r\nAppend=0\r\nSync=1\r\nHints=1\r\n\r\n"
                 "[FS1]\r\nServer=LOCLIB\r\nUser=TOVEK\r\nPassword=TOVEK\r\n"
                 "B=C:\\KRO\\SAVO\\W32\r\nQ=C:\\KRO\\ZEB\\W32\r\n\r\n"
                 "[zeb]\r\nPrimaryServer=S1\r\nFatalStop=1\r\nBanner=0\r\nVerbose=0\r\n\r\n")


def variant_tree(files, variant):
    """What the installation folder must hold: the package's tree, the chosen library's files
    copied into zeb."""
    out = {k: v for k, v in files.items()}
    for rel, data in files.items():
        if variant and rel.startswith(f"zeb/{variant}/") and rel.count("/") == 2:
            out["zeb/" + rel.split("/")[2]] = data
    return out


def check_tree(expected, ignore=("zeb/zeb.ini",)):
    got = {k.replace(os.sep, "/"): v for k, v in tree(KRO).items()}
    for k in ignore:
        got.pop(k, None)
    missing = sorted(set(expected) - set(got))
    extra = sorted(set(got) - set(expected))
    differ = sorted(k for k in set(expected) & set(got) if expected[k] != got[k])
    expect(not missing and not extra and not differ,
           f"installed tree: missing {missing}, unexpected {extra}, different {differ}")


def check_environment():
    zeb = reg_query(ENV_MACHINE, "ZEB")
    expect(zeb is not None and zeb.lower() == r"c:\kro\zeb", f"machine ZEB is {zeb!r}")
    path = reg_query(ENV_MACHINE, "PATH") or ""
    expect(path.lower().startswith("c:\\kro\\zeb;"), f"machine PATH is {path!r}")


def check_bars(bars, lang):
    for page, places in ((PREPARING[lang], (0,)), (UNPACKING[lang], (0, 1))):
        for place in places:
            got = bars.get((page, place))
            expect(got == 100, f"bar {place} of '{page}' reached {got}; all bars: {bars}")


def enter_through(u, *steps, prefix=""):
    """Waits for each page in turn (its text, a label for its screenshot) and presses Enter on
    it: Next on the wizard pages, Close on the finish page."""
    for text, label in steps:
        u.wait(text, label=prefix + label, timeout=60)
        u.key("Return")


WIZARD = ((WELCOME, "welcome"), (NOT_FOUND["en"], "destination"))


def leave_readme(u, text):
    s = u.wait(README)
    memo = [w for w in s.wins if w.cls.lower().startswith("richedit")]
    expect(memo and text in memo[0].text, f"the readme viewer shows {[w.text for w in memo]}")
    u.click("&Beenden")


def cancel_page(u, lang):
    """Cancel, answered first with continue (the page stays), then with abort."""
    u.click(CANCEL[lang])
    u.wait(CONFIRM[lang], label="confirm")
    u.click(CONTINUE[lang])
    expect(not u.gone(CONFIRM[lang]).has(CONFIRM[lang]), "the confirmation stayed after continue")
    u.click(CANCEL[lang])
    u.wait(CONFIRM[lang], label="confirm-again")
    u.click(ABORT[lang])


def existing_installation(dbmodel="nw"):
    old = {"bin/kro.exe": b"MZ old version\r\n", "zeb/zeb32.dll": b"old library\r\n",
           "zeb/zeb.ini": b"[Log]\r\nLevel=0\r\n\r\n[FS1]\r\nServer=LOCLIB\r\n\r\n",
           # The library's own configuration, where setup learns which variant is installed.
           "zeb/w32/etc/zeb.ini": f"DBModel={dbmodel}\r\nQD=C:\\KRO\r\n".encode()}
    write_files(KRO, old)
    reg_set(ENV_MACHINE, "ZEB", r"C:\KRO\ZEB")
    path = reg_query(ENV_MACHINE, "PATH") or ""
    reg_set(ENV_MACHINE, "PATH", "C:\\KRO\\ZEB;" + path, "REG_EXPAND_SZ")
    return old


# --- the cases ---------------------------------------------------------------------------

def case_first_install(u, work):
    """A first installation with the library choice, shortcuts ticked, readme shown."""
    fresh_machine()
    files = product_files()
    launch = build_setup(work, files)
    bars = BarWatch()
    u.start(*launch)
    s = u.wait(WELCOME, label="welcome")
    expect(not s.one("&Back").enabled, "Back is enabled on the welcome page")
    u.key("Return")
    s = u.wait(NOT_FOUND["en"], label="destination")
    edits = [w.text for w in s.wins if w.cls == "Edit" and w.visible]
    expect(edits == ["C:\\KRO"], f"the destination field shows {edits}")
    u.key("F5")
    u.key("Return")
    s = u.wait(LIBRARY["en"], label="library")
    libraries = s.one(re.compile(""), cls="ListBox")
    expect(libraries.extra.startswith("sel=0 "), f"library list: {libraries.extra}")
    u.click(re.compile(""), cls="ListBox")
    u.key("End")
    expect("sel=3 " in u.screen().one(re.compile(""), cls="ListBox").extra,
           "End did not select the standalone library")
    u.key("Return")
    s = u.wait(FINISH["en"], label="finish", timeout=60)
    u.click(SHORTCUT["en"])
    expect(u.screen().one(SHORTCUT["en"]).extra == "c", "the shortcut box is not ticked")
    u.key("Return")
    leave_readme(u, "Kro Auftrag 2.02")
    expect(u.ended() == 0, "setup did not end cleanly")
    check_bars(bars.finish(), "en")

    check_tree(variant_tree(files, "sa"))
    with open(os.path.join(KRO, "zeb", "zeb.ini"), "rb") as fh:
        ini = fh.read()
    expect(ini == ZEB_INI_FIRST.encode(), f"zeb.ini is {ini!r}")
    check_environment()
    links = shortcut_files()
    names = sorted(os.path.relpath(p, DRIVE_C).replace(os.sep, "/") for p in links)
    expect(len(links) == 2 and all(n.endswith("/Kro Auftrag.lnk") for n in names)
           and any("/Desktop/" in n for n in names)
           and any("/Programs/Kro GmbH/" in n for n in names), f"shortcuts: {names}")
    for p in links:
        with open(p, "rb") as fh:
            data = fh.read()
        target = "C:\\KRO\\BIN\\KRO.EXE"
        expect(data[:4] == b"L\0\0\0" and (target.encode() in data.upper()
                                           or target.encode("utf-16-le") in data.upper()),
               f"{p} does not lead to {target}")


def case_update(u, work):
    """An installation found through ZEB is updated in place: found face, its library
    preselected, files replaced, zeb.ini untouched."""
    fresh_machine()
    old = existing_installation("nw")
    files = product_files()
    launch = build_setup(work, files, description(full=0))
    u.start(*launch, env={"ZEB": r"C:\KRO\ZEB"})
    u.wait(WELCOME, label="welcome")
    u.key("Return")
    s = u.wait(FOUND, label="destination-found")
    expect(s.has("Local installation in C:\\KRO\\"), f"found face shows {s.texts()}")
    expect(not s.has("Change Folder"), "Change Folder shows before F5")
    u.key("F5")
    expect(u.screen().has("Change Folder"), "F5 did not show Change Folder")
    u.key("Return")
    s = u.wait(LIBRARY["en"], label="library")
    libraries = s.one(re.compile(""), cls="ListBox")
    expect(libraries.extra.startswith("sel=2 "), f"the library page preselects {libraries.extra}")
    u.key("Return")
    u.wait(FINISH["en"], label="finish", timeout=60)
    u.key("Return")
    leave_readme(u, "Kro Auftrag 2.02")
    expect(u.ended() == 0, "setup did not end cleanly")
    expected = dict(old)
    expected.update(variant_tree(files, "nw"))
    check_tree(expected, ignore=())
    expect(shortcut_files() == [], "shortcuts were made without being asked for")


def case_maker_registration(u, work):
    """An installation the maker's 32-bit programs registered, in the 32-bit registry view
    only, with no ZEB anywhere: setup finds and updates it, then configures the environment."""
    fresh_machine()
    old = existing_installation("sa")
    reg_delete(ENV_MACHINE, "ZEB")
    reg_set(MAKER, "ZEB", r"C:\KRO\ZEB", "REG_SZ", "/reg:32")
    native = wine("reg", "query", MAKER, "/v", "ZEB", "/reg:64", check=False)
    expect("C:\\KRO\\ZEB" not in native, f"the 64-bit view holds the value too: {native!r}")
    try:
        files = product_files()
        u.start(*build_setup(work, files, description(full=0, libs=3, readme="")))
        u.wait(WELCOME, label="welcome")
        u.key("Return")
        s = u.wait(FOUND, label="destination-found")
        expect(s.has("Local installation in c:\\kro\\"), f"found face shows {s.texts()}")
        u.key("Return")
        u.wait(FINISH["en"], label="finish", timeout=60)
        u.key("Return")
        expect(u.ended() == 0, "setup did not end cleanly")
        expected = dict(old)
        expected.update(variant_tree(files, "sa"))
        check_tree(expected, ignore=())
        check_environment()
    finally:
        reg_delete(MAKER, "ZEB", "/reg:32")


def case_no_full_installation(u, work):
    """No installation and no full installation: setup explains, ends, writes nothing."""
    fresh_machine()
    launch = build_setup(work, product_files(), description(full=0))
    u.start(*launch)
    u.wait(WELCOME, label="welcome")
    u.key("Return")
    s = u.wait(re.compile(r"Kro"), cls="Static", label="message")
    u.key("Return")
    expect(u.ended() == 3, "setup did not end with 3 (not started)")
    expect(not os.path.exists(KRO), "C:\\KRO was written")
    expect(reg_query(ENV_MACHINE, "ZEB") is None, "ZEB was set")


def bare_stub_case(u, exe, size, label="no-data"):
    fresh_machine()
    u.start(exe)
    s = u.wait(NO_DATA, label=label)
    shown = NO_DATA.search(s.one(NO_DATA).text).group(3)
    expect(int(shown) == size, f"the message gives the size {shown}, the file has {size}")
    u.key("Return")
    expect(u.ended() == 3, "setup did not end with 3 (not started)")
    expect(not os.path.exists(KRO), "C:\\KRO was written")


def case_bare_stub(u, work):
    """The program without data says so, with its size."""
    exe = os.path.join(work, "Setup.exe")
    shutil.copy(STUB, exe)
    bare_stub_case(u, exe, os.path.getsize(exe))
    # Padded to the very offset where data would start: still none.
    with open(exe, "ab") as fh:
        fh.write(bytes(ARCHIVE_OFFSET - os.path.getsize(exe)))
    bare_stub_case(u, exe, ARCHIVE_OFFSET, label="padded-no-data")


def case_no_description(u, work):
    """Installation data without a description: the short failure message, nothing written."""
    fresh_machine()
    archive = build_archive(work, {"kro.pak": b"not even an archive"})
    exe = os.path.join(work, "Setup.exe")
    with open(STUB, "rb") as fh:
        stub = fh.read()
    with open(archive, "rb") as fh:
        data = fh.read()
    with open(exe, "wb") as fh:
        fh.write(stub + bytes(ARCHIVE_OFFSET - len(stub)) + data)
    u.start(exe)
    u.wait(CANNOT, label="cannot")
    u.key("Return")
    expect(u.ended() == 3, "setup did not end with 3 (not started)")
    expect(not os.path.exists(KRO), "C:\\KRO was written")


def case_command_line(u, work):
    """An archive named on the command line is used from its first byte."""
    fresh_machine()
    files = product_files()
    prod = os.path.join(work, "prod")
    write_files(prod, files)
    pak = os.path.join(work, "kro.pak")
    wine(KROPACK, "pack", "-C", winpath(prod), winpath(pak), ".")
    with open(pak, "rb") as fh:
        archive = build_archive(work, {"kro.inf": description(libs=2, readme=""),
                                       "kro.pak": fh.read()})
    u.start(STUB, winpath(archive))
    # LibsIncluded 2: no library page; the NetWare library is taken.
    enter_through(u, *WIZARD, (FINISH["en"], "finish"))
    expect(u.ended() == 0, "setup did not end cleanly")
    check_tree(variant_tree(files, "nw"))


def case_cancel(u, work):
    """Cancel on each wizard page, answered with continue and then abort: setup ends, nothing
    written."""
    fresh_machine()
    launch = build_setup(work, product_files())
    for page in ("welcome", "destination", "library"):
        u.start(*launch)
        u.wait(WELCOME, label=f"{page}-welcome")
        if page != "welcome":
            u.key("Return")
            u.wait(NOT_FOUND["en"], label=f"{page}-destination")
        if page == "library":
            u.key("Return")
            u.wait(LIBRARY["en"], label=f"{page}-library")
        cancel_page(u, "en")
        expect(u.ended() == 1, f"setup did not end with 1 after abort on the {page} page")
        expect(not os.path.exists(KRO), f"C:\\KRO was written after abort on the {page} page")


AFTER_CANCEL = re.compile("^(%s)$" % "|".join(re.escape(t) for t in (CONFIRM["en"], FINISH["en"],
                                                                     README)))


def cancel_before_unpacking(u, launch, answer):
    """Runs setup to the unpacking page and clicks Cancel within its first second. Under load the
    page's start timer can fire before the click lands: such a run is not the case, and it is
    made again, up to three times."""
    for attempt in range(3):
        u.start(*launch)
        u.wait(WELCOME, label=f"{answer}-welcome")
        u.key("Return")
        u.wait(NOT_FOUND["en"], label=f"{answer}-destination")
        u.key("Return")
        u.wait(LIBRARY["en"], label=f"{answer}-library")
        u.key("Return")
        # The page waits a second before it unpacks: click Cancel from the very screen that
        # shows the page, without reading the windows once more.
        deadline = time.time() + 20
        while not (s := u.screen()).has(UNPACKING["en"]):
            expect(time.time() < deadline, "the unpacking page did not come")
        x, y = s.one(CANCEL["en"]).center()
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)
        # A click that came late finds the unpacking running, or over and a later page shown.
        s = u.wait(AFTER_CANCEL, label=f"{answer}-confirm")
        # While the confirmation is open the unpacking holds still, so what it did before the
        # confirmation came shows whether it had begun before the click.
        begun = not s.has(CONFIRM["en"]) or any(
            w.extra != "pos=0" for w in s.wins if w.cls == "msctls_progress32")
        if not begun and not (os.path.exists(KRO) and tree(KRO)):
            return
        u.stop()
        fresh_machine()
    raise Failure("the unpacking had begun before the click on Cancel three times")


def case_cancel_unpacking(u, work):
    """Cancel in the unpacking page's first second: abort leads to the aborted page with
    nothing unpacked; continue lets the unpacking start once the answer is given."""
    fresh_machine()
    files = product_files()
    launch = build_setup(work, files)
    for answer in ("abort", "continue"):
        cancel_before_unpacking(u, launch, answer)
        time.sleep(1.5)  # the page's start timer would have fired by now
        expect(not os.path.exists(os.path.join(KRO, "bin", "kro.exe")),
               "unpacking ran while the confirmation was open")
        if answer == "abort":
            u.click(ABORT["en"])
            u.wait(ABORTED["en"], label="aborted")
            u.key("Return")
            expect(u.ended() == 1, "the aborted run did not end with 1")
            expect(not os.path.exists(KRO) or tree(KRO) == {}, "files were unpacked")
            expect(reg_query(ENV_MACHINE, "ZEB") is None, "ZEB was set after an abort")
        else:
            u.click(CONTINUE["en"])
            u.wait(FINISH["en"], label="finish", timeout=60)
            u.key("Return")
            leave_readme(u, "Kro Auftrag 2.02")
            expect(u.ended() == 0, "setup did not end cleanly")
            check_tree(variant_tree(files, None))


def case_held_file(u, work):
    """A program file held open by another process cannot be replaced: the run reports it and
    ends on the errors page listing it; the held file keeps its content."""
    fresh_machine()
    old = existing_installation("sa")
    launch = build_setup(work, product_files(), description(full=0))
    target = os.path.join(KRO, "bin", "kro.exe")
    holder = subprocess.Popen(["wine", PROBE, "hold", "C:\\KRO\\bin\\kro.exe"],
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    try:
        expect(holder.stdout.readline().strip() == b"held", "cannot hold the file open")
        u.start(*launch, env={"ZEB": r"C:\KRO\ZEB"})
        u.wait(WELCOME, label="welcome")
        u.key("Return")
        u.wait(FOUND, label="destination")
        u.key("Return")
        u.wait(LIBRARY["en"], label="library")
        u.key("Return")
        u.wait("Fehler", label="copy-error", timeout=60)
        u.key("Return")
        s = u.wait(ERRORS["en"], label="errors", timeout=60)
        lists = s.find(re.compile(""), cls="ListBox")
        expect(lists and "C:\\KRO\\bin\\kro.exe" in lists[0].extra,
               f"the errors page lists {[w.extra for w in lists]}")
        u.key("Return")
        expect(u.ended() == 2, "setup did not end with 2 (failed files)")
    finally:
        holder.communicate(b"", timeout=30)
    with open(target, "rb") as fh:
        expect(fh.read() == old["bin/kro.exe"], "the held file changed")
    with open(os.path.join(KRO, "zeb", "zeb.ini"), "rb") as fh:
        expect(fh.read() == old["zeb/zeb.ini"], "zeb.ini changed after a failed run")


def case_language(u, work):
    """The system language decides the first page; a flag decides every later one. The shipped
    program has no seam for the language: given the test build's variable it stays English."""
    fresh_machine()
    shipped = build_setup(work, product_files())
    u.start(*shipped, env=GERMAN_SYSTEM)
    first = u.wait(WELCOME, label="shipped-welcome").one(WELCOME).text
    expect(first.startswith("Welcome"), f"the shipped program read the test seam: {first!r}")
    cancel_page(u, "en")
    expect(u.ended() == 1, "setup did not end with 1 after abort")
    launch = build_setup(work, product_files(), name="SetupTest.exe", stub=TEST_STUB)
    for system, flag, lang in ((GERMAN_SYSTEM, FLAG_EN, "en"), ({}, FLAG_DE, "de")):
        u.start(*launch, env=system)
        s = u.wait(WELCOME, label=f"welcome-{'de' if system else 'en'}")
        first = s.one(WELCOME).text
        expect(first.startswith("Willkommen" if system else "Welcome"),
               f"the welcome page speaks {first!r}")
        u.click(flag, cls="KroFlag")
        u.key("Return")
        u.wait(NOT_FOUND[lang], label=f"destination-{lang}")
        u.key("Return")
        u.wait(LIBRARY[lang], label=f"library-{lang}")
        u.click(CANCEL[lang])
        u.wait(CONFIRM[lang], label=f"confirm-{lang}")
        u.click(ABORT[lang])
        expect(u.ended() == 1, "setup did not end with 1 after abort")


def case_picker(u, work):
    """The folder picker: Enter cancels, Escape accepts, F2 cancels, F10 accepts."""
    fresh_machine()
    launch = build_setup(work, product_files())
    u.start(*launch)
    u.wait(WELCOME, label="welcome")
    u.key("Return")
    u.wait(NOT_FOUND["en"], label="destination")
    for key, accepts in (("Return", False), ("F2", False), ("Escape", True), ("F10", True)):
        if u.screen().one(re.compile(""), cls="Edit").text != "C:\\KRO":
            # Back to the proposal, so that each key's answer shows in the field.
            u.click(re.compile(""), cls="Edit")
            u.key("End", "shift+Home")
            u.type("C:\\KRO")
            field = u.screen().one(re.compile(""), cls="Edit").text
            expect(field == "C:\\KRO", f"the field shows {field!r} after typing C:\\KRO")
        u.click("Search")
        s = u.wait("Select folder", label=f"picker-{key}")
        tree_views = s.find(re.compile(""), cls="SysTreeView32")
        expect(tree_views, "the picker has no folder tree")
        u.key(key)
        s = u.gone("Select folder")
        expect(not s.has("Select folder"), f"{key} did not close the picker")
        field = s.one(re.compile(""), cls="Edit").text
        # The page fills the field just after the picker has gone.
        for _ in range(10 if accepts else 0):
            if field != "C:\\KRO":
                break
            time.sleep(0.3)
            field = u.screen().one(re.compile(""), cls="Edit").text
        expect((field != "C:\\KRO") == accepts,
               f"after {key} the field shows {field!r}")
    u.click(CANCEL["en"])
    u.wait(CONFIRM["en"])
    u.click(ABORT["en"])
    u.ended()


def signed_copy(work, exe):
    key, cert = os.path.join(work, "key.pem"), os.path.join(work, "cert.pem")
    if not os.path.exists(cert):
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                        key, "-out", cert, "-days", "2", "-subj", "/CN=Kro GmbH Test"],
                       check=True, capture_output=True)
    out = exe[:-4] + "-signed.exe"
    subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-n", "Kro Setup",
                    "-in", exe, "-out", out], check=True, capture_output=True)
    return out


def data_end(path):
    """Where a setup file's own bytes end: the start of its certificate table when signed."""
    with open(path, "rb") as fh:
        data = fh.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    directories = pe + 24 + (112 if magic == 0x20B else 96)
    offset, size = struct.unpack_from("<II", data, directories + 4 * 8)
    return offset if offset and size else len(data)


def case_signed(u, work):
    """Signed in either order a setup file installs like an unsigned one: signed after
    building, and built by kropack from a stub signed once beforehand, whose certificate table
    inside the stub ends nothing. A signed stub without data says it holds none, with its size."""
    files = product_files()
    stub = os.path.join(work, "Stub.exe")
    shutil.copy(STUB, stub)
    signed_stub = signed_copy(work, stub)
    expect(data_end(signed_stub) == os.path.getsize(stub) < os.path.getsize(signed_stub),
           "the signature does not follow the program")
    inf = description(libs=3, readme="")
    after = signed_copy(work, build_setup(work, files, inf)[0])
    expect(os.path.getsize(after) > os.path.getsize(after.replace("-signed", "")),
           "signing added nothing")
    before = build_setup(work, files, inf, name="SignedStubSetup.exe", stub=signed_stub)[0]
    expect(data_end(before) < ARCHIVE_OFFSET < os.path.getsize(before),
           "the setup built from the signed stub keeps its table inside the stub")
    for label, exe in (("signed-after-", after), ("signed-before-", before)):
        fresh_machine()
        u.start(exe)
        enter_through(u, *WIZARD, (FINISH["en"], "finish"), prefix=label)
        expect(u.ended() == 0, f"setup did not end cleanly ({label})")
        check_tree(variant_tree(files, "sa"))

    bare_stub_case(u, signed_stub, os.path.getsize(signed_stub), label="signed-no-data")
    with open(signed_stub, "ab") as fh:
        fh.write(bytes(ARCHIVE_OFFSET - os.path.getsize(signed_stub)))
    bare_stub_case(u, signed_stub, ARCHIVE_OFFSET, label="signed-padded-no-data")


def case_demo(u, work):
    """make demo's headless run: the demo setup file (KRO_DEMO_SETUP) on a fresh machine,
    clicked through as a user would, the client-server library chosen, shortcuts asked for."""
    fresh_machine()
    u.start(os.environ["KRO_DEMO_SETUP"])
    u.wait(WELCOME, label="welcome")
    u.key("Return")
    u.wait(NOT_FOUND["en"], label="destination")
    u.key("Return")
    u.wait(LIBRARY["en"], label="library")
    u.click(re.compile(""), cls="ListBox")
    u.key("Home", "Down")
    u.shot("library-chosen")
    u.key("Return")
    u.wait(FINISH["en"], label="finish", timeout=120)
    u.click(SHORTCUT["en"])
    u.shot("finish-shortcut")
    u.key("Return")
    u.wait(README, label="readme")
    u.click("&Beenden")
    expect(u.ended() == 0, "setup did not end cleanly")


# --- unattended runs ---------------------------------------------------------------------

def silent(u, launch, *options, env=None, timeout=120):
    """setup.exe with options, nobody at the screen: no window may appear; its exit code."""
    u.start(*launch, *options, env=env)
    end = time.time() + timeout
    while u.proc.poll() is None:
        shown = [w.text for w in u.screen().wins if w.visible and w.depth == 0 and w.text]
        expect(not shown, f"a silent run shows windows: {shown}")
        expect(time.time() < end, f"the silent run still runs after {timeout} s")
        time.sleep(0.2)
    return u.proc.returncode


def read_log(path):
    """The log's lines; it must be UTF-8 throughout."""
    with open(path, "rb") as fh:
        data = fh.read()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        raise Failure(f"the log is not UTF-8: {e}")
    return text.split("\r\n")


def expect_lines(lines, *wanted):
    for w in wanted:
        expect(any(line == w or (isinstance(w, re.Pattern) and w.search(line)) for line in lines),
               f"the log has no line {w!r}; it reads {lines}")


def case_silent_first_install(u, work):
    """/S /D= /LIB=3 /SHORTCUTS on a fresh machine: the standalone library in the folder given,
    zeb.ini, environment and both shortcuts for it, the readme not shown, a log of it all."""
    folder = "C:\\Kro Neu"
    unix = os.path.join(DRIVE_C, "Kro Neu")
    shutil.rmtree(unix, ignore_errors=True)
    fresh_machine()
    files = product_files()
    launch = build_setup(work, files)
    log = os.path.join(DRIVE_C, "kro-setup.log")
    rc = silent(u, launch, "/s", "/D=" + folder, "/LIB=3", "/Shortcuts", "/LOG=C:\\kro-setup.log")
    expect(rc == 0, f"exit code {rc}")
    try:
        got = {k.replace(os.sep, "/"): v for k, v in tree(unix).items()}
        ini = got.pop("zeb/zeb.ini", None)
        expect(got == variant_tree(files, "sa"), f"installed tree: {sorted(got)}")
        expected_ini = ZEB_INI_FIRST.replace("C:\\KRO\\", folder + "\\")
        expect(ini == expected_ini.encode(), f"zeb.ini is {ini!r}")
        zeb = reg_query(ENV_MACHINE, "ZEB")
        expect(zeb == folder + "\\ZEB", f"machine ZEB is {zeb!r}")
        path = reg_query(ENV_MACHINE, "PATH") or ""
        expect(path.startswith(folder + "\\ZEB;"), f"machine PATH is {path!r}")
        links = shortcut_files()
        expect(len(links) == 2, f"shortcuts: {links}")
        for p in links:
            with open(p, "rb") as fh:
                data = fh.read()
            target = (folder + "\\BIN\\KRO.EXE").upper()
            expect(target.encode() in data.upper() or target.encode("utf-16-le") in data.upper(),
                   f"{p} does not lead to {target}")
        lines = read_log(log)
        expect_lines(lines, "installation found: none", "destination: " + folder + "\\",
                     "library variant: 3", "shortcuts: made",
                     "readme not shown: " + folder + "\\LIESMICH.RTF",
                     "exit code: 0 (installed)",
                     re.compile(r"^environment before: machine ZEB=, PATH="),
                     re.compile(r"^environment after: machine ZEB=C:\\Kro Neu\\ZEB, PATH=C:\\Kro Neu\\ZEB;"),
                     re.compile(r"^bytes needed: \d+$"), re.compile(r"^bytes free: [1-9]\d*$"),
                     re.compile(r"^description .*kro\.inf:$"), "Title=Kro Auftrag",
                     "zeb.ini " + folder + "\\ZEB\\zeb.ini:", "Server=LOCLIB")
    finally:
        reg_delete(ENV_MACHINE, "ZEB")
        shutil.rmtree(unix, ignore_errors=True)
        fresh_machine()


def case_silent_update(u, work):
    """An installation found through ZEB is updated in place without a word: its library kept,
    zeb.ini untouched, no shortcuts without /SHORTCUTS."""
    fresh_machine()
    old = existing_installation("nw")
    files = product_files()
    launch = build_setup(work, files, description(full=0))
    rc = silent(u, launch, "/S", "/LOG=C:\\update.log", env={"ZEB": r"C:\KRO\ZEB"})
    expect(rc == 0, f"exit code {rc}")
    expected = dict(old)
    expected.update(variant_tree(files, "nw"))
    check_tree(expected, ignore=())
    expect(shortcut_files() == [], "shortcuts were made without /SHORTCUTS")
    expect_lines(read_log(os.path.join(DRIVE_C, "update.log")), "installation found: C:\\KRO",
                 "destination: C:\\KRO\\", "library variant: 2", "shortcuts: not asked for",
                 "exit code: 0 (installed)")


def case_silent_held_file(u, work):
    """A file held open: the others are installed, the run ends with 2 and the log names the
    file with the system's reason."""
    fresh_machine()
    old = existing_installation("sa")
    launch = build_setup(work, product_files(), description(full=0))
    holder = subprocess.Popen(["wine", PROBE, "hold", "C:\\KRO\\bin\\kro.exe"],
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    try:
        expect(holder.stdout.readline().strip() == b"held", "cannot hold the file open")
        rc = silent(u, launch, "/S", "/LOG=C:\\held.log", env={"ZEB": r"C:\KRO\ZEB"})
    finally:
        holder.communicate(b"", timeout=30)
    expect(rc == 2, f"exit code {rc}")
    with open(os.path.join(KRO, "bin", "kro.exe"), "rb") as fh:
        expect(fh.read() == old["bin/kro.exe"], "the held file changed")
    with open(os.path.join(KRO, "bin", "hilfe", "kro.hlp"), "rb") as fh:
        expect(fh.read() == product_files()["bin/hilfe/kro.hlp"], "the other files were not installed")
    expect_lines(read_log(os.path.join(DRIVE_C, "held.log")), "failed: C:\\KRO\\bin\\kro.exe",
                 re.compile(r"^error: The file C:\\KRO\\bin\\kro\.exe could not be copied!\rWindows said: \S"),
                 "exit code: 2 (installed with failed files)")


def case_silent_no_data(u, work):
    """The program without data: 3, the message in the log, nothing shown or written."""
    fresh_machine()
    exe = os.path.join(work, "Setup.exe")
    shutil.copy(STUB, exe)
    rc = silent(u, [exe], "/S", "/LOG=C:\\nodata.log")
    expect(rc == 3, f"exit code {rc}")
    expect(not os.path.exists(KRO), "C:\\KRO was written")
    expect_lines(read_log(os.path.join(DRIVE_C, "nodata.log")),
                 f'message: Setup does not contain any installation data. Size="{os.path.getsize(exe)}"',
                 "exit code: 3 (not started)")


def case_silent_no_space(u, work):
    """A destination without room for the package: 3, nothing unpacked, the space in the log.
    The drive is a 1 MB file system the test mounts and gives the prefix as T:."""
    fresh_machine()
    small = os.path.join(work, "small")
    os.makedirs(small)
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=1m", "tmpfs", small],
                             capture_output=True)
    expect(mounted.returncode == 0, f"cannot mount a small drive: {mounted.stderr!r}")
    drive = os.path.join(PREFIX, "dosdevices", "t:")
    try:
        if os.path.lexists(drive):
            os.remove(drive)
        os.symlink(small, drive)
        files = product_files({"bin/daten.bin": os.urandom(3 * 1024 * 1024)})
        launch = build_setup(work, files)
        rc = silent(u, launch, "/S", "/D=T:\\KRO", "/LOG=C:\\space.log")
        expect(rc == 3, f"exit code {rc}")
        expect(os.listdir(small) == [], f"the small drive holds {os.listdir(small)}")
        expect_lines(read_log(os.path.join(DRIVE_C, "space.log")),
                     "not enough free space: T:\\KRO", re.compile(r"^space needed: 3\.\d MB$"),
                     re.compile(r"^space free: [01]\.\d MB$"), "exit code: 3 (not started)")
    finally:
        if os.path.lexists(drive):
            os.remove(drive)
        subprocess.run(["umount", small], capture_output=True)


def case_silent_bad_option(u, work):
    """An option setup does not know: 4 before anything is prepared, in the log too."""
    fresh_machine()
    launch = build_setup(work, product_files())
    rc = silent(u, launch, "/S", "/Quiet", "/LOG=C:\\bad.log")
    expect(rc == 4, f"exit code {rc}")
    expect(not os.path.exists(KRO), "C:\\KRO was written")
    expect_lines(read_log(os.path.join(DRIVE_C, "bad.log")),
                 "message: Unknown command-line option: /Quiet", "exit code: 4 (bad command line)")


def case_silent_log_unwritable(u, work):
    """A log that cannot be written does not stop the installation."""
    fresh_machine()
    files = product_files()
    launch = build_setup(work, files)
    rc = silent(u, launch, "/S", "/LOG=C:\\nicht\\da\\setup.log")
    expect(rc == 0, f"exit code {rc}")
    check_tree(variant_tree(files, None))
    expect(not os.path.exists(os.path.join(DRIVE_C, "nicht")), "a folder was made for the log")


def case_interactive_log(u, work):
    """/LOG= in a run with its pages, /D= and /LIB= prefilling them: the log says what the pages
    showed and what the user chose."""
    folder, unix = "C:\\Kro Log", os.path.join(DRIVE_C, "Kro Log")
    shutil.rmtree(unix, ignore_errors=True)
    fresh_machine()
    files = product_files()
    launch = build_setup(work, files)
    u.start(*launch, "/D=" + folder, "/LIB=3", "/LOG=C:\\pages.log")
    u.wait(WELCOME, label="welcome")
    u.key("Return")
    s = u.wait(NOT_FOUND["en"], label="destination")
    edits = [w.text for w in s.wins if w.cls == "Edit" and w.visible]
    expect(edits == [folder], f"the destination field shows {edits}")
    free_shown = [w.text for w in s.wins if w.visible and w.text.endswith(" MB")]
    u.key("Return")
    s = u.wait(LIBRARY["en"], label="library")
    libraries = s.one(re.compile(""), cls="ListBox")
    expect(libraries.extra.startswith("sel=3 "), f"the library page preselects {libraries.extra}")
    u.click(CANCEL["en"])
    u.wait(CONFIRM["en"], label="confirm")
    u.click(CONTINUE["en"])
    u.wait(LIBRARY["en"], label="library-again")
    # The focus is on Cancel now, which Enter would press.
    u.click(CONTINUE["en"])
    u.wait(FINISH["en"], label="finish", timeout=60)
    u.click(SHORTCUT["en"])
    u.key("Return")
    leave_readme(u, "Kro Auftrag 2.02")
    expect(u.ended() == 0, "setup did not end cleanly")
    got = {k.replace(os.sep, "/"): v for k, v in tree(unix).items()}
    got.pop("zeb/zeb.ini", None)
    expect(got == variant_tree(files, "sa"), f"installed tree: {sorted(got)}")
    reg_delete(ENV_MACHINE, "ZEB")
    shutil.rmtree(unix, ignore_errors=True)
    lines = read_log(os.path.join(DRIVE_C, "pages.log"))
    expect_lines(lines, "installation found: none", "destination: " + folder + "\\",
                 "cancel asked, answer: continue", "library variant: 3", "shortcuts: made",
                 "exit code: 0 (installed)")
    # The free space the page showed, in bytes.
    free = int(next(line for line in lines if line.startswith("bytes free: ")).split()[-1])
    shown = f"{free / 1048576:,.1f} MB"
    expect(shown in free_shown, f"the log's free space {shown} is not what the page showed: {free_shown}")


CASES = {name[5:].replace("_", "-"): fn for name, fn in globals().items()
         if name.startswith("case_")}


def main():
    if CASE not in CASES:
        print(f"wholerun: no case {CASE}; cases: {', '.join(CASES)}", file=sys.stderr)
        return 2
    quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
             "stderr": subprocess.DEVNULL}
    # A persistent server and the prefix's services up front: every later Wine program then
    # starts in a fraction of a second.
    subprocess.run(["wineserver", "-p"], **quiet)
    subprocess.run(["wine", "wineboot"], **quiet)
    u = User(CASE)
    work = tempfile.mkdtemp(prefix="wholerun-")
    try:
        CASES[CASE](u, work)
    except Failure as e:
        print(f"wholerun {CASE}: FAILED: {e}", file=sys.stderr)
        return 1
    finally:
        u.stop()
        shutil.rmtree(work, ignore_errors=True)
    print(f"wholerun {CASE}: passed; screenshots in {u.shots}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
