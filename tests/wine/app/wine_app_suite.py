#!/usr/bin/python3
"""End-to-end checks of TarvelaSorveloApp.exe and our WebView2Loader.dll under Wine.

Each case runs in its own copy of one prepared Wine prefix, with its own HOME, and ends the
prefix's wineserver. Usage: wine_app_suite.py CASE --app ... (see CMakeLists.txt).
"""
import argparse
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time

APP_NAME = "Tarvela Sorvelo"
SITE_URL = "https://sito.example/"
START_URL = "https://tarvela.localhost/avvio.html"
RUNTIME_VERSION = "126.0.2592.51"
OLDER_RUNTIME_VERSION = "126.0.2592.50"
STABLE_CHANNEL = "{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}"
WEBVIEW2_TEXT = (
    "Per aprire l'app serve \u00abMicrosoft Edge WebView2\u00bb, che di solito c'e' gia' in Windows.\n"
    "Si scarica gratis dal sito di Microsoft (cerca \u00abWebView2 Runtime\u00bb).\n\n"
    "Dettaglio: WebView2 error: "
)
OBJDUMP = "x86_64-w64-mingw32-objdump"
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "dwmapi.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
    "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "uxtheme.dll", "version.dll",
}

# The host removes its handlers in the order it added them, each with the token it was given.
REMOVED_HANDLERS = [
    "WebView.remove_WindowCloseRequested", "WebView.remove_ContentLoading", "WebView.remove_NavigationStarting",
    "WebView.remove_NewWindowRequested", "WebView.remove_WebMessageReceived", "WebView.remove_WebResourceRequested",
]

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


class Prefix:
    """A private HOME and Wine prefix in a temporary folder."""

    def __init__(self, root):
        self.root = pathlib.Path(root)
        self.home = self.root / "home"
        self.prefix = self.root / "prefix"

    def env(self, **extra):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("WINE", "XDG_", "TARVELA_"))}
        env.update(
            HOME=str(self.home),
            XDG_CONFIG_HOME=str(self.home / ".config"),
            XDG_DATA_HOME=str(self.home / ".local/share"),
            XDG_CACHE_HOME=str(self.home / ".cache"),
            XDG_RUNTIME_DIR=str(self.home / ".run"),
            WINEPREFIX=str(self.prefix),
            WINEARCH="win64",
            WINEDEBUG="-all",
            LC_ALL="C.UTF-8",
            WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winebrowser.exe=d",
        )
        env.update(extra)
        return env

    def run(self, args, timeout=60, **extra):
        return subprocess.run(["wine", *args], env=self.env(**extra), capture_output=True, timeout=timeout)

    def drive_c(self):
        return self.prefix / "drive_c"

    def kill(self):
        subprocess.run(["wineserver", "-k"], env=self.env(), capture_output=True, timeout=30)

    @property
    def messages(self):
        """What Wine printed while running the app, when no trace was asked for."""
        return self.root / "wine-messages.txt"

    def remove(self):
        """Ends the wineserver and deletes the prefix; after a failed check, first shows what Wine printed."""
        printed = self.messages.read_text(errors="replace") if self.messages.exists() else ""
        if failures and printed:
            print("Wine printed:\n" + printed[-4000:])
        self.kill()
        shutil.rmtree(self.root, ignore_errors=True)


def prepare(args):
    template = pathlib.Path(args.template)
    shutil.rmtree(template, ignore_errors=True)
    template.mkdir(parents=True)
    wine = Prefix(template)
    (wine.home / "Desktop").mkdir(parents=True)
    (wine.home / ".run").mkdir(mode=0o700)
    subprocess.run(["wineboot", "-i"], env=wine.env(), capture_output=True, timeout=120, check=True)
    helpers = wine.drive_c() / "tarvela-test"
    helpers.mkdir()
    shutil.copy(args.open_stub, helpers / "open_stub.exe")
    shutil.copy(args.probe, helpers / "window_probe.exe")
    # URLs the app hands to the system land in the stub, never in a real browser.
    handler = '\\"C:\\\\tarvela-test\\\\open_stub.exe\\" \\"%1\\"'
    lines = ["Windows Registry Editor Version 5.00", ""]
    for scheme in ("http", "https", "mailto"):
        lines += [f"[HKEY_LOCAL_MACHINE\\Software\\Classes\\{scheme}\\shell\\open\\command]", f'@="{handler}"', ""]
    # The relay log records how the app calls these, for the checks a second process cannot make.
    lines += ["[HKEY_CURRENT_USER\\Software\\Wine\\Debug]",
              '"RelayInclude"="user32.CreateIcon;user32.SendMessageW;user32.MessageBoxW;dwmapi.DwmSetWindowAttribute;'
              'kernel32.GetProcAddress;kernel32.LoadLibraryW"', ""]
    (wine.drive_c() / "setup.reg").write_text("\r\n".join(lines), encoding="utf-16")
    subprocess.run(["wine", "regedit", "/S", "C:\\setup.reg"], env=wine.env(), capture_output=True, timeout=60,
                   check=True)
    subprocess.run(["wineserver", "-w"], env=wine.env(), capture_output=True, timeout=60)
    print("prefix prepared in", template)


def remove(args):
    Prefix(args.template).kill()
    shutil.rmtree(args.template, ignore_errors=True)


def fresh_copy(args):
    root = tempfile.mkdtemp(prefix="tarvela-wine-app-")
    wine = Prefix(root)
    shutil.copytree(pathlib.Path(args.template) / "home", wine.home, symlinks=True)
    shutil.copytree(pathlib.Path(args.template) / "prefix", wine.prefix, symlinks=True)
    return wine


def install_app(args, wine, with_loader=True):
    folder = wine.drive_c() / "app"
    folder.mkdir()
    shutil.copy(args.app, folder / "TarvelaSorveloApp.exe")
    if with_loader:
        shutil.copy(args.loader, folder / "WebView2Loader.dll")
        shutil.copy(args.loader_query, folder / "loader_query.exe")
    return "C:\\app\\TarvelaSorveloApp.exe"


def query_loader(wine):
    result = wine.run(["C:\\app\\loader_query.exe"], timeout=60)
    return dict(line.partition("=")[::2] for line in result.stdout.decode().splitlines())


def run_app(wine, exe, local_app_data="C:\\dati-test", trace=None, channels="+relay", **extra):
    command = ["cmd", "/c", f"set LOCALAPPDATA={local_app_data}&& {exe}"]
    if trace:
        extra["WINEDEBUG"] = channels
        return subprocess.Popen(["wine", *command], env=wine.env(**extra), stdout=subprocess.DEVNULL, stderr=trace)
    # Wine's own errors only: shown when a check fails.
    extra.setdefault("WINEDEBUG", "-all,err+all")
    with open(wine.messages, "ab") as messages:
        return subprocess.Popen(["wine", *command], env=wine.env(**extra), stdout=subprocess.DEVNULL, stderr=messages)


def probe(wine):
    result = wine.run(["C:\\tarvela-test\\window_probe.exe"], timeout=60)
    values = {}
    for line in result.stdout.decode("utf-8", "replace").splitlines():
        key, _, value = line.partition("=")
        values.setdefault(key, []).append(value)
    return {k: v if len(v) > 1 else v[0] for k, v in values.items()}


def case_no_runtime(args):
    wine = fresh_copy(args)
    try:
        exe = install_app(args, wine)
        trace_path = wine.root / "relay.txt"
        with open(trace_path, "wb") as trace:
            app = run_app(wine, exe, trace=trace)
            seen = probe(wine)
            status = app.wait(timeout=60)
        print("probe:", seen)
        relay = trace_path.read_text(errors="replace")
        check(seen.get("window") == "found", "the main window opens before the error box")
        check(seen.get("class") == "Window Class", "window class is 'Window Class'")
        check(seen.get("client") == "1320x880", "client area is 1320x880 at 96 DPI")
        check(seen.get("min_client") == "380x560", "minimum client area is 380x560")
        check(seen.get("overlapped_frame") == "yes", "standard decorated frame")
        check(seen.get("visible") == "yes" and seen.get("maximized") == "no", "visible and in normal state")
        # The relay shows whole registers: a 32-bit argument may carry junk above its low 8 digits.
        calls = re.findall(r"Call user32\.CreateIcon\(([^)]*)\)", relay)
        made = any([arg[-8:] for arg in call.split(",")[:5]] ==
                   ["00000000", "00000040", "00000040", "00000001", "00000020"] for call in calls)
        icon = re.search(r"Ret  user32\.CreateIcon\(\) retval=(\w+)", relay)
        check(made and icon is not None, "the window icon is made with CreateIcon(no module, 64, 64, 1 plane, 32 bits)")
        if icon:
            check(re.search(r"SendMessageW\((\w+),\w*00000080,\w*00000000," + icon.group(1) + r"\)", relay) is not None,
                  "it is set as the small icon (WM_SETICON, ICON_SMALL)")
        check(re.search(r"SendMessageW\((\w+),\w*00000080,\w*00000001,0+\)", relay) is not None,
              "no large icon (WM_SETICON, ICON_BIG, none)")
        check(re.search(r'MessageBoxW\(0+,\w+ L"Per aprire.*,\w+ L"Tarvela Sorvelo",\w*00000010\)', relay)
              is not None, "error box: no owner, caption 'Tarvela Sorvelo', MB_OK | MB_ICONERROR")
        check(seen.get("class_icon") == "no" and seen.get("class_brush") == "no", "class has no icon and no brush")
        text = seen.get("box_text", "").replace("\\n", "\n")
        check(text.startswith(WEBVIEW2_TEXT), "error box text asks for the WebView2 runtime")
        check(text.endswith("(0x80070002)"), f"detail ends in (0x80070002): {text[len(WEBVIEW2_TEXT):]!r}")
        check(seen.get("box_owner") == "no", "error box has no owner window")
        check(seen.get("box_button") == "1:OK", "error box has the OK button only")
        check(seen.get("box_icon") == "yes", "error box shows an icon")
        check(status == 0, f"exit status 0 after OK (got {status})")

        answers = query_loader(wine)
        check(answers.get("version_result") == "0x80070002" and answers.get("version") == "(none)",
              f"without a runtime the version query fails with 0x80070002 ({answers})")
        check(answers.get("compare") == "0x00000000 -1", "versions compare by number, channel name aside")

        app = run_app(wine, exe, TARVELA_FUORI_SCHERMO="")
        seen = probe(wine)
        status = app.wait(timeout=60)
        check(seen.get("outer_origin") == "-4000,-4000", f"off-screen window at -4000,-4000 ({seen.get('outer_origin')})")
        check(seen.get("client") == "1320x880", "off-screen window keeps its size")
        check(status == 0, "exit status 0 in off-screen mode")

        # A runtime older than the one the app's declarations target is reported as too old.
        install_double(args, wine, OLDER_RUNTIME_VERSION)
        answers = query_loader(wine)
        check(answers.get("version_result") == "0x8007051A",
              f"the version query finds runtime {OLDER_RUNTIME_VERSION} too old ({answers})")
        app = run_app(wine, exe, TARVELA_DOUBLE_LOG="C:\\double.log")
        seen = probe(wine)
        status = app.wait(timeout=60)
        text = seen.get("box_text", "").replace("\\n", "\n")
        check(text.startswith(WEBVIEW2_TEXT) and text.endswith("(0x8007051A)"),
              f"with only runtime {OLDER_RUNTIME_VERSION} the error box names a runtime too old ({text[-40:]!r})")
        check(not (wine.drive_c() / "double.log").exists(), "the older runtime is never loaded")
        check(status == 0, f"exit status 0 with an older runtime (got {status})")
    finally:
        wine.remove()


def case_scaled(args):
    """At 150 % (144 DPI), on Windows 10 with its light theme turned off."""
    wine = fresh_copy(args)
    try:
        exe = install_app(args, wine)
        lines = ["Windows Registry Editor Version 5.00", "",
                 "[HKEY_CURRENT_USER\\Control Panel\\Desktop]", '"LogPixels"=dword:00000090', "",
                 "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize]",
                 '"AppsUseLightTheme"=dword:00000000', '"SystemUsesLightTheme"=dword:00000000', "",
                 "[HKEY_CURRENT_USER\\Software\\Wine]", '"Version"="win10"', ""]
        (wine.drive_c() / "scaled.reg").write_text("\r\n".join(lines), encoding="utf-16")
        wine.run(["regedit", "/S", "C:\\scaled.reg"], timeout=60)
        wine.kill()
        trace_path = wine.root / "relay.txt"
        with open(trace_path, "wb") as trace:
            app = run_app(wine, exe, trace=trace)
            seen = probe(wine)
            status = app.wait(timeout=60)
        print("probe:", seen)
        relay = trace_path.read_text(errors="replace")
        check(seen.get("client") == "1980x1320", f"client area is 1980x1320 at 150 % ({seen.get('client')})")
        check(seen.get("min_client") == "570x840", f"minimum client area is 570x840 at 150 % ({seen.get('min_client')})")
        # Windows 10 builds from 18986 on take attribute 20, earlier ones from 17763 on attribute 19.
        major, _, build = seen.get("os_version", "0.0").partition(".")
        attribute = 20 if int(build) >= 18986 else 19
        handle = int(seen.get("handle", "0"))
        check(major == "10" and re.search(rf"Call dwmapi\.DwmSetWindowAttribute\(0*{handle:x},0*{attribute:x},\w+,0*4\)",
                                          relay) is not None,
              f"the caption is made dark: DwmSetWindowAttribute(main window, {attribute}, a 4-byte flag) "
              f"on Windows {seen.get('os_version')}")
        # The window asks for its limits many times; the system's DPI calls are looked up once.
        for name in ("GetDpiForWindow", "GetDpiForMonitor", "AdjustWindowRectExForDpi"):
            lookups = len(re.findall(r'Call KERNEL32\.GetProcAddress\(\w+,\w+ "' + name + '"\)', relay, re.I))
            check(lookups == 1, f"{name} looked up once ({lookups})")
        loads = len(re.findall(r'Call KERNEL32\.LoadLibraryW\(\w+ L"shcore\.dll"\)', relay, re.I))
        check(loads <= 1, f"shcore.dll loaded at most once ({loads})")
        check(status == 0, f"exit status 0 (got {status})")
    finally:
        wine.remove()


def case_no_loader(args):
    wine = fresh_copy(args)
    try:
        exe = install_app(args, wine, with_loader=False)
        result = wine.run(["cmd", "/c", exe], timeout=60, WINEDEBUG="-all,err+module")
        stderr = result.stderr.decode("utf-8", "replace")
        check(result.returncode != 0, f"the system refuses to start the app (status {result.returncode})")
        check("WebView2Loader.dll" in stderr, "the missing library named is WebView2Loader.dll")
    finally:
        wine.remove()


def runtime_registry(wine, version=RUNTIME_VERSION):
    folder = f"C:\\runtime\\{version}"
    lines = [
        "Windows Registry Editor Version 5.00", "",
        f"[HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\EdgeUpdate\\ClientState\\{STABLE_CHANNEL}]",
        '"EBWebView"="' + folder.replace("\\", "\\\\") + '"', "",
    ]
    (wine.drive_c() / "runtime.reg").write_text("\r\n".join(lines), encoding="utf-16")
    wine.run(["regedit", "/S", "C:\\runtime.reg"], timeout=60)
    return wine.drive_c() / "runtime" / version / "EBWebView" / "x64"


def install_double(args, wine, version=RUNTIME_VERSION):
    dll_folder = runtime_registry(wine, version)
    dll_folder.mkdir(parents=True)
    shutil.copy(args.runtime_double, dll_folder / "EmbeddedBrowserWebView.dll")


def sizes(log, label):
    """The main window's client and the container's rectangles logged under a label."""
    match = next((re.match(label + r" MainClient (\S+) Container (\S+)$", line) for line in log
                  if line.startswith(label + " ")), None)
    return match.groups() if match else None


def expect_in_order(log, expected):
    at = 0
    for line in expected:
        try:
            at = log.index(line, at) + 1
        except ValueError:
            check(False, f"in order: {line}")
            return
    check(True, f"all {len(expected)} creation steps in order")


def case_runtime_double(args):
    wine = fresh_copy(args)
    try:
        exe = install_app(args, wine)
        install_double(args, wine)
        answers = query_loader(wine)
        check(answers.get("version_result") == "0x00000000" and answers.get("version") == RUNTIME_VERSION,
              f"the version query names the installed runtime ({answers})")
        double_log = wine.drive_c() / "double.log"
        open_log = wine.drive_c() / "opened.log"
        # Off-screen, where a web view without bounds would never appear.
        app = run_app(wine, exe, TARVELA_SITO=SITE_URL, TARVELA_DOUBLE_LOG="C:\\double.log",
                      TARVELA_OPEN_LOG="C:\\opened.log", TARVELA_FUORI_SCHERMO="")
        status = app.wait(timeout=90)
        check(status == 0, f"exit status 0 after the close request (got {status})")
        for _ in range(50):
            if open_log.exists() and len(open_log.read_text().splitlines()) >= 2:
                break
            time.sleep(0.1)
        log = double_log.read_text(encoding="utf-8").splitlines() if double_log.exists() else []
        opened = open_log.read_text(encoding="utf-8").splitlines() if open_log.exists() else []
        print("\n".join("  | " + line for line in log))

        check(not any(line.startswith("UNEXPECTED") for line in log), "no call reached a slot the app must not use")
        check("Runtime.Create flag=1 kind=0 user_data_folder=C:\\dati-test\\Tarvela Sorvelo\\dati" in log,
              "installed runtime found through the registry, data folder under LOCALAPPDATA")
        expect_in_order(log, [
            "Options.AdditionalBrowserArguments --disable-features=msWebOOUI,msPdfOOUI,msSmartScreenProtection"
            " --autoplay-policy=no-user-gesture-required",
            "Options.TargetCompatibleBrowserVersion 126.0.2592.51",
            "Options.AllowSingleSignOnUsingOSPrimaryAccount 0",
            "Options6.AreBrowserExtensionsEnabled 0",
            "Environment10.CreateCoreWebView2ControllerOptions",
            "ControllerOptions.put_IsInPrivateModeEnabled 0",
            "Environment10.CreateCoreWebView2ControllerWithOptions parent=WRY_WEBVIEW options",
            "Controller.get_CoreWebView2",
            "Controller2.put_DefaultBackgroundColor A=255 R=11 G=11 B=12",
            "WebView.get_Settings",
            "Settings.put_IsStatusBarEnabled 0",
            "Settings.put_AreDefaultContextMenusEnabled 1",
            "Settings.put_IsZoomControlEnabled 0",
            "Settings.put_AreDevToolsEnabled 0",
            "Settings.put_IsPinchZoomEnabled 0",
            "Settings.put_IsSwipeNavigationEnabled 0",
            "Settings.put_IsNonClientRegionSupportEnabled 1",
            "WebView.add_WindowCloseRequested",
            "WebView.add_ContentLoading",
            "WebView.add_NavigationStarting",
            "WebView.add_NewWindowRequested",
            "WebView.AddScriptToExecuteOnDocumentCreated Object.defineProperty(window, 'ipc', { value: "
            "Object.freeze({ postMessage: s=> window.chrome.webview.postMessage(s) }) });",
            "WebView.add_WebMessageReceived",
            "WebView.AddWebResourceRequestedFilter https://tarvela.localhost/* 0",
            "WebView.add_WebResourceRequested",
            "WebView.Navigate " + START_URL,
            "Controller.put_Bounds 0,0,1320,880",
            "Controller.put_IsVisible 1",
            "Controller.MoveFocus 0",
            "Event.NavigationStarting " + START_URL + " cancel=0",
            "Event.WebResourceRequested done responded",
            "WebView.ExecuteScript window.__TS_APP__ = 'windows';",
            "Event.NavigationStarting https://example.invalid/ cancel=1",
            "Event.NavigationStarting https://sito.example/corsi cancel=0",
            "Event.NewWindowRequested https://example.invalid/finestra handled=1",
            "Event.NewWindowRequested https://sito.example/pagina handled=1",
            "Script.Close",
            *REMOVED_HANDLERS,
            "Controller.Close",
        ])
        language = [line for line in log if line.startswith("Options.Language ")]
        check(bool(language) and re.fullmatch(r"Options\.Language [a-z]{2,3}(-[A-Za-z0-9]+)*", language[0]),
              f"language is a locale name ({language})")
        check(sum(line.startswith("Settings.put_AreBrowserAcceleratorKeysEnabled") for line in log) == 0,
              "browser accelerator keys left as they are")

        responses = {}
        for line in log:
            match = re.match(r"Environment\.CreateWebResourceResponse url=(\S+) (.*)", line)
            if match:
                responses[match.group(1)] = match.group(2)
        avvio = responses.get(START_URL, "")
        check(avvio.startswith("status=200 reason=OK headers=content-type: text/html; charset=utf-8\\n"
                               "cache-control: no-store\\n content=stream"), f"startup page response: {avvio}")
        check("names-site-url" in avvio, "the startup page names the public site URL from TARVELA_SITO")
        index = responses.get("https://tarvela.localhost/index.html", "")
        index_size = (pathlib.Path(args.site) / "index.html").stat().st_size
        check(index.startswith("status=200 reason=OK headers=content-type: text/html; charset=utf-8\\n"
                               "cache-control: no-cache\\n content=stream length=" + str(index_size)),
              f"index.html served whole from the bundle: {index[:120]}")
        not_found = "status=404 reason=Not Found headers=content-type: text/plain; charset=utf-8\\n content=stream " \
                    "length=11 body=non trovato"
        check(responses.get("https://tarvela.localhost/foto/x.jpg?v=1") == not_found, "missing photo answers 404")
        check(responses.get("https://tarvela.localhost/nope") == not_found, "POST to a missing path answers 404")
        check("Event.WebResourceRequested https://example.invalid/index.html GET filtered-out" in log,
              "other hosts do not pass the filter")
        for host in ("tarvela.localhostile", "tarvela.example.com"):
            check(f"Event.WebResourceRequested https://{host}/index.html GET filtered-out" in log,
                  f"{host}, which only begins like the local origin, is left to the network")
        check(log.count("Deferral.Complete") == 5, "every answered request completes its deferral once")
        for path, what in (("senza-richiesta", "request not readable"), ("senza-indirizzo", "request URL not readable"),
                           ("senza-metodo", "request method not readable")):
            answer = responses.get("https://tarvela.localhost/" + path, "")
            check(answer.startswith("status=400 reason=Bad Request") and f"body={what}: " in answer,
                  f"a request whose {what.split(' not')[0]} cannot be read is answered with an error ({answer})")
        check(responses.get("https://tarvela.localhost/index.html?senza-rinvio", "").startswith("status=200"),
              "without a deferral the answer is set at once")
        refused = [line for line in log if line.startswith("Environment.CreateWebResourceResponse refused "
                                                           "url=https://tarvela.localhost/index.html?rifiutata")]
        check(len(refused) == 2 and responses.get("https://tarvela.localhost/index.html?rifiutata") ==
              "status=400 reason=Bad Request headers=content-type: text/plain; charset=utf-8\\n content=none "
              "length=0 body=", f"when two answers are refused a bare 400 is given ({refused})")
        check(not any(line.startswith("Event.WebResourceRequested done left-alone") for line in log),
              "no request of the local origin is left to the network")
        check(responses.get("https://tarvela.localhost/metodo") ==
              "status=400 reason=Bad Request headers=content-type: text/plain; charset=utf-8\\n content=stream "
              "length=35 body=request method is not valid Unicode",
              f"a request the handler cannot take answers 400 with its content type "
              f"({responses.get('https://tarvela.localhost/metodo')})")

        # The double does not resize the window during creation: the bounds come from creation itself.
        check("Check.Created MainClient 0,0,1320,880 Container 0,0,1320,880" in log,
              "after creation the container covers the 1320x880 client area")
        check("Check.Outer -4000,-4000 Foreground 1" in log, "off-screen at -4000,-4000, in the foreground")
        resized = sizes(log, "Check.Resized")
        check(resized is not None and resized[0] == resized[1] and resized[0] != "0,0,1320,880",
              f"after a resize the container follows the client area ({resized})")
        after = log[log.index(next(line for line in log if line.startswith("Check.Created"))):]
        check(resized is not None and f"Controller.put_Bounds {resized[0]}" in after,
              "after a resize the controller bounds follow the client area")
        check("Check.ContainerAlive 0 MainAlive 1" in log, "window.close removes the container, the window stays")

        # Two opener processes append to one log, in either order.
        check(sorted(opened) == ["https://example.invalid/", "https://example.invalid/finestra"],
              f"only the outside URLs are opened externally ({opened})")

        # A resize while the controller is being made: creation fits the web view to the new size.
        double_log.unlink()
        app = run_app(wine, exe, TARVELA_DOUBLE_LOG="C:\\double.log", TARVELA_DOUBLE_RESIZE_DURING_CREATION="1")
        status = app.wait(timeout=90)
        log = double_log.read_text(encoding="utf-8").splitlines()
        created = sizes(log, "Check.Created")
        check("Runtime.ResizeDuringCreation" in log and created is not None and created[0] == created[1]
              and created[0] != "0,0,1320,880", f"resized during creation: the container covers the client ({created})")
        visible = log.index("Controller.put_IsVisible 1") if "Controller.put_IsVisible 1" in log else 0
        check(created is not None and f"Controller.put_Bounds {created[0]}" in log[:visible],
              "resized during creation: the controller gets the new bounds before it is shown")
        check(status == 0, f"resized during creation: exit status 0 (got {status})")

        # The runtime refuses at once but completes 20 ms later, inside the error box's loop.
        double_log.unlink()
        trace_path = wine.root / "late.txt"
        with open(trace_path, "wb") as trace:
            app = run_app(wine, exe, trace=trace, channels="+seh,+relay", TARVELA_DOUBLE_LOG="C:\\double.log",
                          TARVELA_DOUBLE_FAIL_THEN_COMPLETE="1")
            try:
                status = app.wait(timeout=45)
            except subprocess.TimeoutExpired:
                status = "still running"
        log = double_log.read_text(encoding="utf-8").splitlines()
        trace_text = trace_path.read_text(errors="replace")
        check("Runtime.LateCompletion returned" in log, f"the late completion returns normally ({log[-3:]})")
        check("c0000005" not in trace_text, "no access violation from the late completion")
        check(re.search(r'MessageBoxW\(0+,\w+ L"Per aprire[^"]*\(0x80070005\)"', trace_text) is not None,
              "the error box names the immediate failure (0x80070005)")
        check(status == 0, f"refused then completed: exit status 0 (got {status})")

        # Creation fails after the navigation; events still come, after the host is gone, inside the box.
        double_log.unlink()
        if open_log.exists():
            open_log.unlink()
        trace_path = wine.root / "late-events.txt"
        with open(trace_path, "wb") as trace:
            app = run_app(wine, exe, trace=trace, channels="+seh,+relay", TARVELA_DOUBLE_LOG="C:\\double.log",
                          TARVELA_OPEN_LOG="C:\\opened.log", TARVELA_DOUBLE_REFUSE_VISIBLE="1")
            try:
                status = app.wait(timeout=45)
            except subprocess.TimeoutExpired:
                status = "still running"
        log = double_log.read_text(encoding="utf-8").splitlines()
        trace_text = trace_path.read_text(errors="replace")
        check(re.search(r'MessageBoxW\(0+,\w+ L"Per aprire[^"]*\(0x8007139F\)"', trace_text) is not None,
              "the error box names the refused step (0x8007139F)")
        late = log[log.index("Runtime.LateEvents"):] if "Runtime.LateEvents" in log else []
        removed = [line for line in log[:log.index("Runtime.LateEvents")] if line.startswith("WebView.remove_")] \
            if late else []
        check(removed == REMOVED_HANDLERS, f"every handler is removed with its own token before the box ({removed})")
        check("Runtime.LateEvents returned" in late, f"late events return normally ({log[-3:]})")
        check("c0000005" not in trace_text, "no access violation from the late events")
        check("Event.NavigationStarting https://example.invalid/tardi cancel=0" in late and
              "Event.NewWindowRequested https://example.invalid/tardi-finestra handled=0" in late and
              "Event.WebResourceRequested done left-alone" in late and
              not any(line.startswith(("WebView.ExecuteScript", "Environment.CreateWebResourceResponse"))
                      for line in late), f"late events find no host and do nothing ({late})")
        time.sleep(1)
        opened = open_log.read_text(encoding="utf-8").splitlines() if open_log.exists() else []
        check(opened == [], f"nothing is opened externally after the host is gone ({opened})")
        check(status == 0, f"late events: exit status 0 (got {status})")

        # Closing the window while the web view is being created ends the app quietly.
        double_log.unlink()
        trace_path = wine.root / "relay.txt"
        with open(trace_path, "wb") as trace:
            app = run_app(wine, exe, trace=trace, TARVELA_DOUBLE_LOG="C:\\double.log",
                          TARVELA_DOUBLE_CLOSE_DURING_CREATION="1")
            try:
                status = app.wait(timeout=45)
            except subprocess.TimeoutExpired:
                status = "still running"
        log = double_log.read_text(encoding="utf-8").splitlines()
        check("Runtime.CloseDuringCreation" in log and status == 0, f"closed during creation: exit status {status}")
        check("Call user32.MessageBoxW" not in trace_path.read_text(errors="replace"),
              "no error box when the user closed the window during creation")
    finally:
        wine.remove()


def imports_of(path):
    dump = subprocess.run([OBJDUMP, "-p", path], capture_output=True, text=True, check=True).stdout
    return dump, [name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)]


def case_executables(args):
    dump, imports = imports_of(args.app)
    check("webview2loader.dll" in imports, "the app imports WebView2Loader.dll at load time")
    others = [name for name in imports if name != "webview2loader.dll" and name not in SYSTEM_DLLS]
    check(not others, f"the app imports system DLLs only besides the loader ({others})")
    check("CreateCoreWebView2EnvironmentWithOptions" in dump, "the app imports CreateCoreWebView2EnvironmentWithOptions")
    check(re.search(r"Subsystem\s+00000002", dump) is not None, "the app is a GUI program")

    with tempfile.TemporaryDirectory() as folder:
        rc = pathlib.Path(folder) / "app.rc"
        subprocess.run(["x86_64-w64-mingw32-windres", "-i", args.app, "-O", "rc", "-o", str(rc)], check=True)
        resources = rc.read_text(errors="replace")
    group = resources.find("1 14 /* RT_GROUP_ICON */")
    languages = re.findall(r"^LANGUAGE (\d+), (\d+)", resources[:group], re.M) if group >= 0 else []
    check(bool(languages) and languages[-1] == ("16", "1"), f"icon group 1 in Italian (Italy) ({languages[-1:]})")
    check("RT_MANIFEST" not in resources, "no application manifest")

    loader_dump, loader_imports = imports_of(args.loader)
    others = [name for name in loader_imports if name not in SYSTEM_DLLS]
    check(not others, f"the loader imports system DLLs only ({others})")
    table = loader_dump[loader_dump.find("[Ordinal/Name Pointer] Table"):]
    exports = re.findall(r"^\s+\[\s*\d+\]\s+(\w+)$", table.split("\n\n")[0], re.M)
    check("CreateCoreWebView2EnvironmentWithOptions" in exports and
          "GetAvailableCoreWebView2BrowserVersionString" in exports, f"the loader's exports ({exports})")
    check(pathlib.Path(args.loader).name == "WebView2Loader.dll", "the loader file is WebView2Loader.dll")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case")
    for option in ("app", "loader", "runtime-double", "probe", "open-stub", "loader-query", "site", "template"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    cases = {
        "prepare": prepare, "remove": remove, "executables": case_executables, "no_runtime": case_no_runtime,
        "no_loader": case_no_loader, "runtime_double": case_runtime_double, "scaled": case_scaled,
    }
    cases[args.case](args)
    if failures:
        print(f"{len(failures)} check(s) failed", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
