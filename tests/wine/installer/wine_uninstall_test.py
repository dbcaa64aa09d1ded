"""End-to-end cases of the uninstaller under Wine, on a display (Xvfb).

Each case copies the prefix that wine_installer_test.py prepared, installs a test build, starts the uninstaller
with the command of the entry the installer wrote, as the list of installed programs does, and answers its boxes
with box_answerer.exe, which also reports each box's text, icon and buttons. Every MessageBoxW call is also read
from Wine's relay log, so that a box nobody expected fails the case instead of hiding. With --screenshots DIR the
two questions are saved there as pictures of the whole screen. Usage: wine_uninstall_test.py OPTIONS CASE.
"""
import argparse
import math
import os
import re
import subprocess
import sys
import time
from pathlib import Path

from wine_installer_test import Case, check_equal, fail, fnv1a, relay_text, windows_path

KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\TarvelaSorvelo"
IDYES, IDNO, IDRETRY, IDCANCEL = 6, 7, 4, 2
MB_SETFOREGROUND = 0x10000
REMOVE_APP = ("Vuoi disinstallare Tarvela Sorvelo da questo computer?\n\n"
              "Verranno tolti l'app, i collegamenti nel menu Start e sul desktop e la voce tra le app installate.")
REMOVE_DATA = ("Vuoi eliminare anche i dati dell'app?\n\n"
               "Se scegli Si', le schede salvate nell'app verranno cancellate per sempre, insieme alle impostazioni e "
               "all'accesso all'area riservata. Le schede in un file sul computer o nel cloud restano dove sono.\n\n"
               "Se scegli No, i dati restano sul computer e li ritroverai se installi di nuovo Tarvela Sorvelo.")
APP_STILL_OPEN = ("Tarvela Sorvelo e' ancora aperta.\n"
                  "Chiudi la sua finestra e scegli Riprova, oppure Annulla per lasciare l'app installata.")
# What each question looks like: (text, icon shown, buttons, default button, style: question or warning icon,
# Yes/No or Retry/Cancel, second button as default, brought to the front).
QUESTION_APP = (REMOVE_APP, "si", [IDYES, IDNO], IDYES, 0x4 | 0x20 | MB_SETFOREGROUND)
QUESTION_DATA = (REMOVE_DATA, "si", [IDYES, IDNO], IDNO, 0x4 | 0x30 | 0x100 | MB_SETFOREGROUND)
QUESTION_CLOSE = (APP_STILL_OPEN, "si", [IDCANCEL, IDRETRY], IDRETRY, 0x5 | 0x30 | MB_SETFOREGROUND)
CARD = "EBWebView/Default/IndexedDB/https_tarvela.localhost_0.indexeddb.leveldb/000003.log"


def message_boxes(relay_log):
    """(text, caption, style) of every MessageBoxW call; the log cuts long texts, marking them with "..."."""
    pattern = re.compile(r'Call user32\.MessageBoxW\([0-9a-f]+,[0-9a-f]+ L"((?:[^"\\]|\\.)*)"(\.\.\.)?,'
                         r'[0-9a-f]+ L"((?:[^"\\]|\\.)*)",([0-9a-f]+)\)')
    return [(relay_text(text) + cut, relay_text(caption), int(style, 16))
            for text, cut, caption, style in pattern.findall(relay_log)]


def as_logged(box, logged):
    """The expected box as the relay log shows it, its text cut where the logged one is."""
    text, caption, style = box
    if logged[0].endswith("...") and text.startswith(logged[0][:-3]):
        text = logged[0]
    return (text, caption, style)


class UninstallCase(Case):
    """A Case on the display, with the app's data folder and the uninstaller's runs."""

    def __init__(self, options, name):
        super().__init__(options, name)
        self.wine.env["DISPLAY"] = os.environ["DISPLAY"]
        self.data = self.local_app_data / "Tarvela Sorvelo/dati"
        self.expected_boxes = []
        self.relay = None

    def registry_entry(self):
        """The entry's values as `reg query` shows them, or None when there is no entry."""
        result = self.wine.run("reg", "query", KEY, stdout=subprocess.PIPE)
        if result.returncode != 0:
            return None
        lines = result.stdout.decode("utf-8", errors="replace").splitlines()
        return {m.group(1): m.group(3) for m in map(re.compile(r"^ {4}(\S+) {4}(REG_\w+) {4}(.*)$").match, lines) if m}

    def keep_a_card(self):
        """What the app's web view leaves in the data folder, a stored card among it."""
        (self.data / CARD).parent.mkdir(parents=True)
        (self.data / CARD).write_bytes(b"scheda di Ada")

    def temporary_copies(self):
        return sorted(self.wine.prefix.glob("drive_c/users/*/**/Tarvela Sorvelo disinstalla *.exe"))

    def start_uninstaller(self, extra_env=None):
        """Runs the entry's command; the installed uninstaller hands its run to a temporary copy and ends."""
        command = self.registry_entry()["UninstallString"]
        check_equal(command[0] + command[-1], '""', "quotes around the uninstall command")
        self.runs += 1
        self.relay = self.root / f"relay-{self.runs}.log"
        self.expected_boxes = []
        env = dict({"WINEDEBUG": "+relay", "TARVELA_PROVA_REGISTRO": windows_path(self.app_log)}, **(extra_env or {}))
        with open(self.relay, "wb") as log:
            result = self.wine.run(command[1:-1], extra_env=env, stderr=log)
        check_equal(result.returncode, 0, "exit status of the installed uninstaller")
        check_equal(len(self.temporary_copies()), 1, "temporary copies of the uninstaller")

    def answer(self, expected, choice, screenshot=None):
        """Waits for the next box, checks it is the expected one and presses `choice`."""
        if screenshot and self.options.screenshots:
            self.read_box("-")
            from PIL import ImageGrab
            ImageGrab.grab(xdisplay=os.environ["DISPLAY"]).save(Path(self.options.screenshots) / screenshot)
        check_equal(self.read_box(choice), expected[:4], "box")
        self.expected_boxes.append((expected[0], "Tarvela Sorvelo", expected[4]))

    def read_box(self, choice):
        result = self.wine.run(windows_path(self.options.box_answerer), choice, stdout=subprocess.PIPE)
        check_equal(result.returncode, 0, "box answerer")
        lines = [line.split("\t", 1) for line in result.stdout.decode("utf-8").splitlines()]
        fields = {key: value for key, value in lines if key != "pulsante"}
        return (fields["testo"].replace("\\n", "\n"), fields["icona"],
                sorted(int(value) for key, value in lines if key == "pulsante"), int(fields.get("predefinito", 0)))

    def wait_for_the_end(self):
        """Waits for the copy to end (the system then deletes it); any box nobody expected fails the case."""
        def logged_and_expected():
            boxes = message_boxes(self.relay.read_text(encoding="utf-8", errors="replace"))
            return boxes, [as_logged(box, logged) for box, logged in zip(self.expected_boxes, boxes)]
        while self.temporary_copies():
            boxes, expected = logged_and_expected()
            if len(boxes) > len(self.expected_boxes) or boxes != expected:
                fail(f"message boxes {boxes}, expected {self.expected_boxes}")
            time.sleep(0.2)
        boxes, expected = logged_and_expected()
        check_equal(len(boxes), len(self.expected_boxes), f"message boxes of the uninstall {boxes}")
        check_equal(boxes, expected, "message boxes of the uninstall")

    def check_removed(self, shortcut_folders):
        check_equal(self.folder.exists(), False, "install folder")
        check_equal(self.folder.parent.is_dir(), True, "the Programs folder")
        for folder in shortcut_folders:
            check_equal(list(folder.glob("*.lnk")), [], f"links in {folder}")
        check_equal(self.registry_entry(), None, "entry in the list of installed programs")

    def check_installed_with_entry(self):
        self.check_installed(self.options.app, self.options.loader, self.options.icon)
        payloads = (self.options.app, self.options.loader, self.options.icon, self.options.uninstaller)
        size = sum(Path(p).stat().st_size for p in payloads)
        check_equal(self.registry_entry(), {
            "DisplayName": "Tarvela Sorvelo",
            "DisplayIcon": self.folder_windows + r"\icona.ico",
            "DisplayVersion": fnv1a(payloads),
            "Publisher": "Palestre Tarvela",
            "InstallLocation": self.folder_windows,
            "UninstallString": f'"{self.folder_windows}\\disinstalla.exe"',
            "EstimatedSize": f"0x{math.ceil(size / 1024):x}",
            "NoModify": "0x1",
            "NoRepair": "0x1",
        }, "entry in the list of installed programs")


def case_uninstall_keeps_data(case, o):
    """The user's own Start menu and desktop; the data folder stays unless asked."""
    check_equal(case.run_installer(o.installer), [], "message boxes of the install")
    case.wait_for_app_starts(1)
    case.check_installed_with_entry()
    case.keep_a_card()

    case.start_uninstaller()
    case.answer(QUESTION_APP, "si", screenshot="domanda-disinstalla.png")
    case.answer(QUESTION_DATA, "no", screenshot="domanda-dati.png")
    case.wait_for_the_end()

    case.check_removed([case.start_menu, case.desktop])
    check_equal((case.data / CARD).read_bytes(), b"scheda di Ada", "the stored card")


def case_uninstall_removes_data(case, o):
    icons = case.root / "icone"
    case.run_installer(o.installer, icons_in=windows_path(icons))
    case.keep_a_card()
    (case.data / "EBWebView/Default/sola-lettura").write_bytes(b"x")
    (case.data / "EBWebView/Default/sola-lettura").chmod(0o444)

    case.start_uninstaller({"TARVELA_ICONE_IN": windows_path(icons)})
    case.answer(QUESTION_APP, "si")
    case.answer(QUESTION_DATA, "si")
    case.wait_for_the_end()

    case.check_removed([icons / "Start", icons / "Desktop"])
    check_equal((case.local_app_data / "Tarvela Sorvelo").exists(), False, "the app's data folder")


def case_uninstall_app_running(case, o):
    """The open app is asked to close its window, and the removal goes on once it has ended."""
    case.hold.write_text("")
    case.run_installer(o.installer, hold_app=True)
    case.wait_for_app_starts(1)

    case.start_uninstaller()
    case.answer(QUESTION_APP, "si")
    case.answer(QUESTION_DATA, "no")
    case.wait_for_the_end()

    check_equal(case.app_log.read_text(encoding="utf-8").splitlines()[1:], ["chiusura chiesta", "chiusa"],
                "the app's own record")
    case.check_removed([case.start_menu, case.desktop])


def case_uninstall_app_refuses(case, o):
    """An app that stays open is waited for: Cancel keeps the install, Retry goes on once it has ended."""
    case.hold.write_text("")
    case.wine.env["TARVELA_PROVA_IGNORA_CHIUSURA"] = "1"
    case.run_installer(o.installer, hold_app=True)
    case.wait_for_app_starts(1)

    case.start_uninstaller()
    case.answer(QUESTION_APP, "si")
    case.answer(QUESTION_DATA, "no")
    case.answer(QUESTION_CLOSE, "annulla")
    case.wait_for_the_end()
    case.check_installed_with_entry()

    case.start_uninstaller()
    case.answer(QUESTION_APP, "si")
    case.answer(QUESTION_DATA, "no")
    case.read_box("-")
    case.hold.unlink()
    case.answer(QUESTION_CLOSE, "riprova")
    case.wait_for_the_end()
    case.check_removed([case.start_menu, case.desktop])


CASES = {name[len("case_"):]: function for name, function in globals().items() if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", type=Path, required=True)
    for name in ("installer", "app", "loader", "icon", "uninstaller", "box-answerer"):
        parser.add_argument(f"--{name}", required=True)
    parser.add_argument("--screenshots")
    parser.add_argument("case", choices=list(CASES))
    options = parser.parse_args()
    options.lnk_reader = None
    case = UninstallCase(options, options.case)
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
