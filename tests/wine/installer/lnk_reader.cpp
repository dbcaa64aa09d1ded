// Reads a shortcut back for the installer's Wine tests and prints, one per
// line in UTF-8: target, working directory, icon location and index,
// description and arguments. Exit status 1 when the file cannot be loaded.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

namespace {

void print_line(const wchar_t* label, const std::wstring& value) {
  const std::wstring text = std::wstring(label) + L"\t" + value + L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int read_link(const wchar_t* path) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return 1;
  }
  IPersistFile* file = nullptr;
  int status = 1;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(path, STGM_READ))) {
    wchar_t text[INFOTIPSIZE];
    int icon_index = -1;
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) print_line(L"percorso", text);
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) print_line(L"cartella", text);
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &icon_index))) {
      print_line(L"icona", std::wstring(text) + L"," + std::to_wstring(icon_index));
    }
    if (SUCCEEDED(link->GetDescription(text, INFOTIPSIZE))) print_line(L"descrizione", text);
    if (SUCCEEDED(link->GetArguments(text, INFOTIPSIZE))) print_line(L"argomenti", text);
    status = 0;
  }
  if (file) file->Release();
  link->Release();
  return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  return read_link(argv[1]);
}
