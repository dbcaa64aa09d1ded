// A DLL in the loader's place while the real loader is not part of the build.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT TarvelaProvaCaricatore() { return S_OK; }
