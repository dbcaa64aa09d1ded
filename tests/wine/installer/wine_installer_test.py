"""End-to-end cases of the cross-built installer under Wine.

One Wine prefix is prepared once ("prepare") and copied for every case, so that
the cases stay independent. Message boxes are read from Wine's relay log of
user32.MessageBoxW (text, caption and style), which needs no display: without
one a box returns at once. Usage: wine_installer_test.py OPTIONS CASE.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

CAPTION = "Tarvela Sorvelo"
MB_OK_ICONERROR = 0x10
DESCRIPTION = "Palestre Tarvela: orari, corsi, abbonamenti e la tua scheda"
INSTALLER_MESSAGE_STARTS = ("Non trovo la cartella AppData", "Non riesco a creare la cartella",
                            "Non riesco ad aggiornare l'app", "Non riesco a scrivere",
                            "Non riesco ad aprire l'app")
APP_OPEN_MESSAGE = ("Non riesco ad aggiornare l'app: forse e' aperta.\n"
                    "Chiudi la finestra di Tarvela Sorvelo e riapri questo file.\n\n"
                    "(Access denied. (os error 5))")
FILES = ("TarvelaSorveloApp.exe", "WebView2Loader.dll", "icona.ico", "disinstalla.exe", "versione.txt")


def fail(message):
    raise AssertionError(message)


def check_equal(actual, expected, what):
    if actual != expected:
        fail(f"{what}: expected {expected!r}, got {actual!r}")


def fnv1a(paths):
    value = 0xCBF29CE484222325
    for path in paths:
        for byte in Path(path).read_bytes():
            value = ((value ^ byte) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return f"{value:016x}"


def windows_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def wait_for(condition, what, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.1)
    fail(f"timed out waiting for {what}")


class Wine:
    """A Wine environment under one folder: its own HOME, XDG folders and prefix."""

    def __init__(self, root):
        self.root = Path(root)
        self.home = self.root / "home"
        self.prefix = self.root / "prefix"
        self.env = {k: v for k, v in os.environ.items() if not k.startswith(("WINE", "XDG_", "DISPLAY"))}
        self.env.update(
            HOME=str(self.home),
            XDG_CONFIG_HOME=str(self.home / ".config"),
            XDG_DATA_HOME=str(self.home / ".local/share"),
            XDG_CACHE_HOME=str(self.home / ".cache"),
            XDG_RUNTIME_DIR=str(self.home / ".run"),
            WINEPREFIX=str(self.prefix),
            WINEARCH="win64",
            WINEDEBUG="-all",
            LC_ALL="C.UTF-8",
            WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
        )

    def run(self, *args, extra_env=None, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=None):
        env = dict(self.env, **(extra_env or {}))
        return subprocess.run(["wine", *args], env=env, stdout=stdout, stderr=stderr, timeout=90, cwd=cwd)

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)

    def user_folder(self):
        users = [p for p in (self.prefix / "drive_c/users").iterdir() if p.name != "Public"]
        check_equal(len(users), 1, "user folders in the prefix")
        return users[0]


def prepare(work):
    shutil.rmtree(work, ignore_errors=True)
    wine = Wine(work / "template")
    (wine.home / "Desktop").mkdir(parents=True)
    subprocess.run(["wineboot", "-i"], env=wine.env, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=180)
    relayed = ("user32.MessageBoxW;kernel32.DeleteFileW;kernel32.FlushFileBuffers;kernel32.MoveFileExW;"
               "kernel32.CreateMutexW;kernel32.SetDefaultDllDirectories")
    wine.run("reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/d", relayed, "/f")
    wine.stop()


def copy_or_link(source, destination):
    """Shares the prefix's programs and libraries, which Wine only reads, and copies the rest."""
    if Path(source).suffix.lower() in (".dll", ".exe", ".drv", ".sys", ".ocx", ".acm", ".cpl", ".tlb", ".ax"):
        os.link(source, destination)
    else:
        shutil.copy2(source, destination)


class Case:
    """A copy of the prepared prefix with a desktop of its own, a log for the app double and a relay log."""

    def __init__(self, options, name):
        self.options = options
        self.root = options.work / name
        shutil.rmtree(self.root, ignore_errors=True)
        self.root.mkdir(parents=True)
        self.wine = Wine(self.root)
        (self.wine.home / "Desktop").mkdir(parents=True)
        shutil.copytree(options.work / "template/prefix", self.wine.prefix, symlinks=True, copy_function=copy_or_link)
        user = self.wine.user_folder()
        desktop_link = user / "Desktop"
        desktop_link.unlink()
        desktop_link.symlink_to(self.wine.home / "Desktop")
        self.local_app_data = user / "AppData/Local"
        self.folder = self.local_app_data / "Programs/Tarvela Sorvelo"
        self.folder_windows = r"C:\users" + "\\" + user.name + r"\AppData\Local\Programs\Tarvela Sorvelo"
        self.start_menu = user / "AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
        self.desktop = self.wine.home / "Desktop"
        self.app_log = self.root / "app.log"
        self.hold = self.root / "tieni-aperta"
        self.runs = 0

    def close(self):
        self.wine.stop()
        shutil.rmtree(self.root, ignore_errors=True)

    def run_installer(self, installer, local_app_data="default", icons_in=None, hold_app=False, cwd=None,
                      extra_env=None):
        """Runs one installer to its end; returns the message boxes it logged."""
        self.runs += 1
        relay = self.root / f"relay-{self.runs}.log"
        env = {"WINEDEBUG": "+relay", "TARVELA_PROVA_REGISTRO": windows_path(self.app_log), **(extra_env or {})}
        if icons_in is not None:
            env["TARVELA_ICONE_IN"] = icons_in
        if hold_app:
            env["TARVELA_PROVA_TIENI_APERTA"] = windows_path(self.hold)
        program = windows_path(installer)
        if local_app_data == "default":
            command = program
        elif local_app_data is None:
            command = f"set LOCALAPPDATA=&& {program}"
        else:
            command = f"set LOCALAPPDATA={local_app_data}&& {program}"
        self.last_relay = relay
        with open(relay, "wb") as log:
            result = self.wine.run("cmd", "/c", command, extra_env=env, stderr=log, cwd=cwd)
        check_equal(result.returncode, 0, f"exit status of {Path(installer).name}")
        return message_boxes(relay.read_text(encoding="utf-8", errors="replace"))

    def app_starts(self):
        if not self.app_log.exists():
            return []
        lines = self.app_log.read_text(encoding="utf-8").splitlines()
        return [line.split("\t") for line in lines if line not in ("chiusa", "chiusura chiesta")]

    def wait_for_app_starts(self, count):
        wait_for(lambda: len(self.app_starts()) >= count, f"app start number {count}")
        starts = self.app_starts()
        check_equal(len(starts), count, "app starts")
        return starts[-1]

    def read_link(self, link):
        result = self.wine.run(windows_path(self.options.lnk_reader), windows_path(link), stdout=subprocess.PIPE)
        check_equal(result.returncode, 0, f"reading {link}")
        return dict(line.split("\t", 1) for line in result.stdout.decode("utf-8").splitlines())

    def check_links(self, folders, install_folder_windows):
        expected = {
            "percorso": install_folder_windows + r"\TarvelaSorveloApp.exe",
            "cartella": install_folder_windows,
            "icona": install_folder_windows + r"\icona.ico,0",
            "descrizione": DESCRIPTION,
            "argomenti": "",
        }
        for folder in folders:
            check_equal(sorted(p.name for p in folder.glob("*.lnk")), ["Tarvela Sorvelo.lnk"], f"links in {folder}")
            check_equal(self.read_link(folder / "Tarvela Sorvelo.lnk"), expected, f"shortcut in {folder}")

    def check_installed(self, app, loader, icon, folder=None):
        folder = folder or self.folder
        check_equal(sorted(p.name for p in folder.iterdir()), sorted(FILES), "files in the install folder")
        payloads = (app, loader, icon, self.options.uninstaller)
        for name, payload in zip(FILES, payloads):
            if (folder / name).read_bytes() != Path(payload).read_bytes():
                fail(f"{name} differs from its payload {payload}")
        check_equal((folder / "versione.txt").read_bytes(), fnv1a(payloads).encode(), "build stamp")

    def snapshot(self, *folders):
        return {str(p): (p.stat().st_mtime_ns, p.read_bytes())
                for folder in folders for p in sorted(folder.rglob("*")) if p.is_file()}


def relay_text(escaped):
    def replace(match):
        code = match.group(1)
        return {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}.get(code) or chr(int(code, 16))
    return re.sub(r'\\([nrt"\\]|[0-9a-fA-F]{4})', replace, escaped)


def message_boxes(relay_log):
    boxes = []
    pattern = re.compile(r'Call user32\.MessageBoxW\([0-9a-f]+,[0-9a-f]+ L"((?:[^"\\]|\\.)*)",'
                         r'[0-9a-f]+ L"((?:[^"\\]|\\.)*)",([0-9a-f]+)\)')
    for match in pattern.finditer(relay_log):
        boxes.append((relay_text(match.group(1)), relay_text(match.group(2)), int(match.group(3), 16)))
    return boxes


def file_changes(relay_log):
    """The installer's deletions, flushes and moves, in order, by file name."""
    changes = []
    pattern = re.compile(r'Call KERNEL32\.(DeleteFileW|FlushFileBuffers|MoveFileExW)\(([^)]*)\)')
    for function, arguments in pattern.findall(relay_log):
        names = [relay_text(name).rsplit("\\", 1)[-1] for name in re.findall(r'L"((?:[^"\\]|\\.)*)"', arguments)]
        if function == "MoveFileExW":
            names.append(int(arguments.rsplit(",", 1)[1], 16))
        changes.append((function, *names))
    return changes


def check_one_box(boxes, expected_text):
    check_equal(len(boxes), 1, f"message boxes {boxes}")
    text, caption, style = boxes[0]
    check_equal(caption, CAPTION, "caption")
    check_equal(style, MB_OK_ICONERROR, "style")
    if isinstance(expected_text, re.Pattern):
        if not expected_text.fullmatch(text):
            fail(f"message {text!r} does not match {expected_text.pattern!r}")
    else:
        check_equal(text, expected_text, "message")


def case_first_install(case, o):
    """The user's own LOCALAPPDATA, Start menu and desktop."""
    check_equal(case.run_installer(o.installer_a), [], "message boxes")
    case.check_installed(o.app_a, o.loader, o.icon_a)
    case.check_links([case.start_menu, case.desktop], case.folder_windows)
    variant, folder, command_line = case.wait_for_app_starts(1)
    check_equal((variant, folder), ("a", case.folder_windows), "app double's variant and working directory")
    check_equal(command_line, f'"{case.folder_windows}\\TarvelaSorveloApp.exe"', "app command line")


def case_second_run(case, o):
    case.run_installer(o.installer_a)
    case.wait_for_app_starts(1)
    (case.desktop / "Tarvela Sorvelo.lnk").unlink()
    before = case.snapshot(case.folder, case.start_menu, case.desktop)

    check_equal(case.run_installer(o.installer_a), [], "message boxes")

    check_equal(case.snapshot(case.folder, case.start_menu, case.desktop), before, "files after the second run")
    check_equal(list(case.desktop.iterdir()), [], "desktop")
    check_equal(case.wait_for_app_starts(2)[:2], ["a", case.folder_windows], "second start")


def case_new_build(case, o):
    icons = case.root / "icone"
    icons_windows = windows_path(icons)
    case.run_installer(o.installer_a, icons_in=icons_windows)
    (icons / "Start/Tarvela Sorvelo.lnk").write_bytes(b"non una scorciatoia")
    (case.folder / "WebView2Loader.dll").write_bytes(b"rovinato")

    check_equal(case.run_installer(o.installer_b, icons_in=icons_windows), [], "message boxes")

    case.check_installed(o.app_b, o.loader, o.icon_b)
    case.check_links([icons / "Start", icons / "Desktop"], case.folder_windows)
    for folder in (case.start_menu, case.desktop):
        check_equal(list(folder.glob("*.lnk")), [], f"links in {folder}")
    check_equal(case.wait_for_app_starts(2)[:2], ["b", case.folder_windows], "start of the new build")


def case_app_running(case, o):
    case.hold.write_text("")
    case.run_installer(o.installer_a, hold_app=True)
    case.wait_for_app_starts(1)
    loader_time = (case.folder / "WebView2Loader.dll").stat().st_mtime_ns

    boxes = case.run_installer(o.installer_b)

    check_one_box(boxes, APP_OPEN_MESSAGE)
    check_equal(sorted(p.name for p in case.folder.iterdir()), sorted(FILES + ("TarvelaSorveloApp.nuovo",)),
                "files beside the running app")
    for name, payload in (("TarvelaSorveloApp.exe", o.app_a), ("TarvelaSorveloApp.nuovo", o.app_b),
                          ("WebView2Loader.dll", o.loader), ("icona.ico", o.icon_a)):
        if (case.folder / name).read_bytes() != Path(payload).read_bytes():
            fail(f"{name} is not {payload}")
    check_equal((case.folder / "WebView2Loader.dll").stat().st_mtime_ns, loader_time, "loader untouched")
    check_equal((case.folder / "versione.txt").read_text(), fnv1a((o.app_a, o.loader, o.icon_a, o.uninstaller)),
                "old stamp")
    check_equal(len(case.app_starts()), 1, "app starts while the update failed")

    case.hold.unlink()
    wait_for(lambda: case.app_log.read_text(encoding="utf-8").endswith("chiusa\n"), "the app to close")
    # The double has written its last line; its process may take a moment to end,
    # and until then the same box is the right answer.
    for _ in range(10):
        time.sleep(1)
        boxes = case.run_installer(o.installer_b)
        if not boxes:
            break
        check_one_box(boxes, APP_OPEN_MESSAGE)
    check_equal(boxes, [], "message boxes after closing the app")
    case.check_installed(o.app_b, o.loader, o.icon_b)
    check_equal(case.wait_for_app_starts(2)[0], "b", "start after the update")


def case_update_order(case, o):
    """No stamp while payloads change; each file flushed before it is moved in place, the stamp last."""
    case.run_installer(o.installer_a)
    case.run_installer(o.installer_b)
    moved = 0x1 | 0x8  # replace existing, write through
    check_equal(file_changes(case.last_relay.read_text(encoding="utf-8", errors="replace")), [
        ("DeleteFileW", "versione.txt"),
        ("FlushFileBuffers",), ("MoveFileExW", "TarvelaSorveloApp.nuovo", "TarvelaSorveloApp.exe", moved),
        ("FlushFileBuffers",), ("MoveFileExW", "WebView2Loader.nuovo", "WebView2Loader.dll", moved),
        ("FlushFileBuffers",), ("MoveFileExW", "icona.nuovo", "icona.ico", moved),
        ("FlushFileBuffers",), ("MoveFileExW", "disinstalla.nuovo", "disinstalla.exe", moved),
        ("FlushFileBuffers",), ("MoveFileExW", "versione.nuovo", "versione.txt", moved),
    ], "file changes of the update")
    case.check_installed(o.app_b, o.loader, o.icon_b)


def case_damaged_install(case, o):
    """A matching stamp does not make up for a deleted or truncated payload."""
    case.run_installer(o.installer_a)
    case.wait_for_app_starts(1)
    (case.folder / "WebView2Loader.dll").unlink()
    check_equal(case.run_installer(o.installer_a), [], "message boxes without the loader")
    case.check_installed(o.app_a, o.loader, o.icon_a)
    case.wait_for_app_starts(2)

    (case.folder / "TarvelaSorveloApp.exe").write_bytes(b"")
    check_equal(case.run_installer(o.installer_a), [], "message boxes with an empty app")
    case.check_installed(o.app_a, o.loader, o.icon_a)
    check_equal(case.wait_for_app_starts(3)[0], "a", "start of the repaired app")


def case_stopped_update(case, o):
    """An update that stops after the app leaves nothing that counts as an install."""
    case.run_installer(o.installer_a)
    case.wait_for_app_starts(1)
    blocker = case.folder / "WebView2Loader.nuovo"
    blocker.mkdir()

    boxes = case.run_installer(o.installer_b)

    check_one_box(boxes, re.compile(r"Non riesco a scrivere WebView2Loader\.dll: [^\r\n]+ \(os error \d+\)"))
    if (case.folder / "TarvelaSorveloApp.exe").read_bytes() != Path(o.app_b).read_bytes():
        fail("the update did not stop after the app")
    check_equal((case.folder / "versione.txt").exists(), False, "stamp of the stopped update")

    blocker.rmdir()
    check_equal(case.run_installer(o.installer_a), [], "message boxes of the old installer")
    case.check_installed(o.app_a, o.loader, o.icon_a)
    check_equal(case.wait_for_app_starts(2)[0], "a", "start after the stopped update")


def case_relative_local_app_data(case, o):
    """A relative value would install under whatever folder is current."""
    current = case.root / "corrente"
    current.mkdir()
    for value in ("relativo", "C:relativo"):
        boxes = case.run_installer(o.installer_a, local_app_data=value, icons_in=windows_path(case.root / "icone"),
                                   cwd=current)
        check_one_box(boxes, "Non trovo la cartella AppData dell'utente.")
    check_equal(list(current.iterdir()), [], "current folder")
    check_equal([p for p in (case.wine.prefix / "drive_c").rglob("relativo")], [], "folders named relativo")
    time.sleep(1)
    check_equal(case.app_starts(), [], "app starts")


def case_no_local_app_data(case, o):
    icons = case.root / "icone"
    boxes = case.run_installer(o.real, local_app_data=None, icons_in=windows_path(icons))
    check_one_box(boxes, "Non trovo la cartella AppData dell'utente.")
    check_equal((case.local_app_data / "Programs").exists(), False, "Programs folder")
    check_equal(icons.exists(), False, "shortcut folder")
    time.sleep(1)
    check_equal(case.app_starts(), [], "app starts")


def case_plain_file_for_folder(case, o):
    case.folder.parent.mkdir(parents=True)
    case.folder.write_bytes(b"un file, non una cartella")
    boxes = case.run_installer(o.real, icons_in=windows_path(case.root / "icone"))
    check_one_box(boxes, re.compile(re.escape(f"Non riesco a creare la cartella {case.folder_windows}: ")
                                    + r"[^\r\n]+ \(os error 183\)"))
    check_equal(case.folder.read_bytes(), b"un file, non una cartella", "the plain file")


def case_real_installer(case, o):
    """The deliverable itself: its payloads are the app, loader and icon of this build."""
    rc = subprocess.run(["x86_64-w64-mingw32-windres", "-i", o.real, "-O", "rc"], capture_output=True, text=True,
                        check=True).stdout
    if re.findall(r"LANGUAGE \d+, \d+", rc) != ["LANGUAGE 16, 1"] or "\n1 14 /* RT_GROUP_ICON */" not in rc:
        fail("no Italian icon group 1 in the installer")
    imports = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", o.real], capture_output=True, text=True,
                             check=True).stdout
    dlls = set(re.findall(r"DLL Name: (\S+)", imports))
    if not dlls <= {"KERNEL32.dll", "msvcrt.dll", "ole32.dll", "SHELL32.dll", "USER32.dll", "ADVAPI32.dll"}:
        fail(f"installer imports {dlls}")

    web_host = Path(o.web_host)
    if (web_host / "app/TarvelaSorvelo.exe").read_bytes() != Path(o.real).read_bytes():
        fail("the web host folder does not offer this installer")
    site_files = sorted(str(p.relative_to(o.site)) for p in Path(o.site).rglob("*") if p.is_file())
    host_files = sorted(str(p.relative_to(web_host)) for p in web_host.rglob("*") if p.is_file())
    check_equal(host_files, sorted(site_files + ["app/TarvelaSorvelo.exe"]), "web host files")
    if (Path(o.site) / "app").exists():
        fail("app/ entered the site folder")

    local = case.root / "locale"
    icons = case.root / "icone"
    boxes = case.run_installer(o.real, local_app_data=windows_path(local), icons_in=windows_path(icons))
    installer_boxes = [box for box in boxes if box[0].startswith(INSTALLER_MESSAGE_STARTS)]
    check_equal(installer_boxes, [], "installer message boxes")
    folder = local / "Programs/Tarvela Sorvelo"
    case.check_installed(o.real_app, o.loader, o.real_icon, folder)
    case.check_links([icons / "Start", icons / "Desktop"], windows_path(folder))

    # Started from the install folder, the app finds its loader there and runs: with no
    # display it cannot open its window and ends with its own error box, in the same relay log.
    def app_boxes():
        boxes = message_boxes(case.last_relay.read_text(encoding="utf-8", errors="replace"))
        return [box for box in boxes if not box[0].startswith(INSTALLER_MESSAGE_STARTS)]
    wait_for(app_boxes, "the installed app's own message box", seconds=60)
    check_equal(app_boxes()[0][1:], (CAPTION, MB_OK_ICONERROR), "the app's box caption and style")


def case_second_installer_waits(case, o):
    """An installer started while another holds the run lock waits, then completes on its own."""
    held = case.root / "lock-held"
    holder = subprocess.Popen(["wine", windows_path(o.lock_holder), "Local\\TarvelaSorvelo.installazione",
                               windows_path(held)], env=case.wine.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    wait_for(held.exists, "the lock to be held")
    relay = case.root / "relay-waiting.log"
    with open(relay, "wb") as log:
        waiting = subprocess.Popen(["wine", "cmd", "/c", windows_path(o.installer_a)], stderr=log,
                                   env=dict(case.wine.env, WINEDEBUG="+relay",
                                            TARVELA_PROVA_REGISTRO=windows_path(case.app_log)))
        # Wine may take long to start it: what counts is that, once it asks for the lock, it waits.
        asked = lambda: "TarvelaSorvelo.installazione" in relay.read_text(encoding="utf-8", errors="replace")
        wait_for(lambda: asked() or waiting.poll() is not None or case.folder.exists(), "the installer to start",
                 seconds=120)
        time.sleep(1)
        check_equal(waiting.poll(), None, "the second installer still waiting")
        check_equal(case.folder.exists(), False, "install folder while the lock is held")
        held.unlink()
        check_equal(waiting.wait(timeout=90), 0, "exit status of the installer that waited")
    check_equal(holder.wait(timeout=90), 0, "exit status of the lock holder")
    check_equal(message_boxes(relay.read_text(encoding="utf-8", errors="replace")), [], "message boxes")
    case.check_installed(o.app_a, o.loader, o.icon_a)
    check_equal(case.wait_for_app_starts(1)[0], "a", "start after the wait")


def case_library_search(case, o):
    """Run from a downloads folder, the installer loads libraries on demand from System32 only.

    Wine resolves the system libraries' own imports before the program runs (a planted shcore.dll
    beside the installer is loaded through shell32 and shlwapi that way), so what is checked here
    is that the search is restricted before the installer does anything else.
    """
    downloads = case.root / "Download"
    downloads.mkdir()
    shutil.copy(o.installer_a, downloads / "TarvelaSorvelo.exe")
    check_equal(case.run_installer(downloads / "TarvelaSorvelo.exe", cwd=downloads), [], "message boxes")
    relay = case.last_relay.read_text(encoding="utf-8", errors="replace")
    # The C runtime's own unnamed locks come first; the run's own steps all name something.
    calls = [call for call in re.findall(r"Call KERNEL32\.(SetDefaultDllDirectories|CreateMutexW|DeleteFileW|"
                                         r"MoveFileExW)\(([^)]*)\)", relay)
             if call[0] == "SetDefaultDllDirectories" or 'L"' in call[1]]
    check_equal(calls[:1], [("SetDefaultDllDirectories", "00000800")],
                "the first thing the installer does: System32 only (LOAD_LIBRARY_SEARCH_SYSTEM32)")
    case.check_installed(o.app_a, o.loader, o.icon_a)


CASES = {name[len("case_"):]: function for name, function in globals().items() if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", type=Path, required=True)
    for name in ("installer-a", "installer-b", "app-a", "app-b", "loader", "icon-a", "icon-b", "lnk-reader", "lock-holder",
                 "real", "real-app", "real-icon", "web-host", "site", "uninstaller"):
        parser.add_argument(f"--{name}", required=True)
    parser.add_argument("case", choices=["prepare", "remove", *CASES])
    options = parser.parse_args()

    if options.case == "prepare":
        prepare(options.work)
    elif options.case == "remove":
        shutil.rmtree(options.work, ignore_errors=True)
    else:
        case = Case(options, options.case)
        try:
            CASES[options.case](case, options)
        finally:
            case.close()
    print(f"{options.case}: ok")


if __name__ == "__main__":
    try:
        main()
    except AssertionError as error:
        print(f"FAILED: {error}", file=sys.stderr)
        sys.exit(1)
