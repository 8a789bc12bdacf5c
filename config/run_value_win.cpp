#include "config/run_value_win.h"

#include "win32/registry_key_win.h"
#include "win32/wide_path_win.h"

#include <cstring>

namespace {

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// RegOpenKeyA opens with full access and never creates the key.
RegistryKey openRunKey(int machineWide) {
    HKEY key = nullptr;
    if (RegOpenKeyA(machineWide ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, kRunKey, &key) != ERROR_SUCCESS)
        return RegistryKey();
    return RegistryKey(key);
}

} // namespace

bool runValueExists(const char *valueName, int machineWide) {
    RegistryKey key = openRunKey(machineWide);
    DWORD size = 0;
    return key && RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
}

bool writeRunValue(const char *valueName, const char *data, int machineWide) {
    RegistryKey key = openRunKey(machineWide);
    if (!key || !data || !valueName)
        return false;
    const std::wstring name = widePath(valueName), text = widePath(data);
    const DWORD size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()), size) ==
           ERROR_SUCCESS;
}

bool deleteRunValue(const char *valueName, int machineWide) {
    RegistryKey key = openRunKey(machineWide);
    return key && RegDeleteValueA(key.get(), valueName) == ERROR_SUCCESS;
}

bool addStartupValue(HINSTANCE instance, const char *valueName, int machineWide) {
    wchar_t path[MAX_PATH] = L"";
    DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    // A cut-off path would start nothing; write no value rather than a wrong one.
    if (length == 0 || length >= MAX_PATH)
        return false;
    return writeRunValue(valueName, utf8Path(path, length).c_str(), machineWide);
}
