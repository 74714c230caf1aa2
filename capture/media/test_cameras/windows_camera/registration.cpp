// The registry entries that make the camera a COM class and list it among
// the video input devices: its class's in-process server, and an instance
// under the video input device category naming it and its class. Written
// by DllRegisterServer (so "regsvr32" works too) and removed by
// DllUnregisterServer.
#include "camera_filter.h"
#include "server.h"

#include <string>

namespace {

const wchar_t kFriendlyName[] = L"Test Pattern Camera";

std::wstring textOf(REFGUID guid) {
    wchar_t text[40];
    return StringFromGUID2(guid, text, 40) > 0 ? std::wstring(text) : std::wstring();
}

std::wstring classKey() { return L"CLSID\\" + textOf(testcamera::CLSID_TestCamera); }

std::wstring deviceKey() {
    return L"CLSID\\" + textOf(CLSID_VideoInputDeviceCategory) + L"\\Instance\\" + textOf(testcamera::CLSID_TestCamera);
}

// Sets one text value (name null: the key's default) under HKEY_CLASSES_ROOT.
bool setText(const std::wstring &key, const wchar_t *name, const std::wstring &value) {
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
        return false;
    DWORD bytes = DWORD((value.size() + 1) * sizeof(wchar_t));
    LONG result = RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()), bytes);
    RegCloseKey(opened);
    return result == ERROR_SUCCESS;
}

// A key that is already gone counts as removed.
bool removeTree(const std::wstring &key) {
    LONG result = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

} // namespace

STDAPI DllUnregisterServer(void) {
    bool removed = removeTree(deviceKey());
    removed = removeTree(classKey()) && removed;
    return removed ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllRegisterServer(void) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(testcamera::serverModule(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
    std::wstring classText = textOf(testcamera::CLSID_TestCamera);
    bool written = setText(classKey(), nullptr, kFriendlyName) &&
                   setText(classKey() + L"\\InprocServer32", nullptr, path) &&
                   setText(classKey() + L"\\InprocServer32", L"ThreadingModel", L"Both") &&
                   setText(deviceKey(), L"FriendlyName", kFriendlyName) &&
                   setText(deviceKey(), L"CLSID", classText);
    if (written) return S_OK;
    DllUnregisterServer();
    return SELFREG_E_CLASS;
}
