// Test helper run inside Wine beside WebView2Loader.dll: prints what the loader's version
// exports answer, as key=value lines.
#include <windows.h>
#include <objbase.h>

#include <cstdio>

using VersionQuery = HRESULT(STDAPICALLTYPE*)(PCWSTR, LPWSTR*);
using VersionCompare = HRESULT(STDAPICALLTYPE*)(PCWSTR, PCWSTR, int*);

int wmain() {
    HMODULE loader = LoadLibraryW(L"WebView2Loader.dll");
    if (!loader) return 1;
    const auto query = reinterpret_cast<VersionQuery>(
        reinterpret_cast<void*>(GetProcAddress(loader, "GetAvailableCoreWebView2BrowserVersionString")));
    const auto compare =
        reinterpret_cast<VersionCompare>(reinterpret_cast<void*>(GetProcAddress(loader, "CompareBrowserVersions")));
    if (!query || !compare) return 1;
    LPWSTR version = nullptr;
    const HRESULT found = query(nullptr, &version);
    std::printf("version_result=0x%08lX\n", static_cast<unsigned long>(found));
    std::printf("version=%ls\n", version ? version : L"(none)");
    CoTaskMemFree(version);
    int order = 2;
    const HRESULT compared = compare(L"126.0.2592.51", L"126.0.2592.100 beta", &order);
    std::printf("compare=0x%08lX %d\n", static_cast<unsigned long>(compared), order);
    return 0;
}
