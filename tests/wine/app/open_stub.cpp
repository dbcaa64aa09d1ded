// Test helper registered in the Wine prefix as the handler of web and mail URLs: records each
// URL it is asked to open in the file named by TARVELA_OPEN_LOG instead of starting a browser.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    wchar_t path[1024];
    if (!GetEnvironmentVariableW(L"TARVELA_OPEN_LOG", path, 1024)) return 1;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    for (int i = 1; i < argc; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string line(size > 0 ? size - 1 : 0, '\0');
        if (size > 1) WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, line.data(), size, nullptr, nullptr);
        line += "\n";
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    CloseHandle(file);
    return 0;
}
