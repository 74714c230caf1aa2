// Windows only. The test program sits beside the shipped DLLs; the platform
// runtime it shares with the tests' build of the plug-in sits in test-only/
// below it, where Windows would not look. The program imports the runtime
// on first call, and this hook loads it from there when that call comes.
#include <windows.h>

#include <delayimp.h>

#include <string>

namespace {

FARPROC WINAPI loadFromTestOnly(unsigned notification, PDelayLoadInfo load) {
    if (notification != dliNotePreLoadLibrary) return nullptr;
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length < MAX_PATH ? length : 0);
    directory.erase(directory.find_last_of("\\/") + 1);
    return reinterpret_cast<FARPROC>(LoadLibraryA((directory + "test-only\\" + load->szDll).c_str()));
}

} // namespace

// Set before any code runs, so no call can reach the runtime ahead of it;
// delayimp.h has declared it extern "C".
PfnDliHook __pfnDliNotifyHook2 = loadFromTestOnly;
