// Answers one of the uninstaller's message boxes for the Wine tests: waits for
// the box with the product's caption, prints its text, whether it shows an
// icon, its buttons and the one drawn as default (UTF-8, one "key<TAB>value" a
// line), then presses the button named by the argument ("si", "no",
// "riprova", "annulla", "ok"), or none for "-". Which icon it is, the relay
// log tells from the box's style.
#include <windows.h>

#include <string>

namespace {

void print_line(const std::wstring& label, const std::wstring& value) {
  std::wstring escaped;
  for (wchar_t c : value) escaped += c == L'\n' ? std::wstring(L"\\n") : std::wstring(1, c);
  const std::wstring text = label + L"\t" + escaped + L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

BOOL CALLBACK find_icon(HWND child, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(child, name, 32);
  if (lstrcmpiW(name, L"Static") == 0 && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    *reinterpret_cast<HICON*>(found) = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
  }
  return TRUE;
}

bool shows_icon(HWND box) {
  HICON shown = nullptr;
  EnumChildWindows(box, find_icon, reinterpret_cast<LPARAM>(&shown));
  return shown != nullptr;
}

BOOL CALLBACK print_button(HWND child, LPARAM) {
  wchar_t name[32] = {};
  GetClassNameW(child, name, 32);
  if (lstrcmpiW(name, L"Button") == 0 && IsWindowVisible(child)) {
    print_line(L"pulsante", std::to_wstring(GetDlgCtrlID(child)));
    if ((GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      print_line(L"predefinito", std::to_wstring(GetDlgCtrlID(child)));
    }
  }
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  const std::wstring choice = argv[1];
  const std::pair<const wchar_t*, int> buttons[] = {
      {L"si", IDYES}, {L"no", IDNO}, {L"riprova", IDRETRY}, {L"annulla", IDCANCEL}, {L"ok", IDOK}};
  int button = 0;
  for (const auto& [name, id] : buttons) {
    if (choice == name) button = id;
  }
  if (!button && choice != L"-") return 2;

  HWND box = nullptr;
  while (!(box = FindWindowW(L"#32770", L"Tarvela Sorvelo"))) Sleep(50);
  wchar_t text[4096] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 4096);
  print_line(L"testo", text);
  print_line(L"icona", shows_icon(box) ? L"si" : L"no");
  EnumChildWindows(box, print_button, 0);
  if (button) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    // Returns once the box is gone, so that the next call finds the next box.
    while (IsWindow(box)) Sleep(50);
  }
  return 0;
}
