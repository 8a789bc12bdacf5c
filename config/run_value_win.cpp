#include "config/run_value_win.h"

#include "win32/registry_key_win.h"

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
    if (!key || !data)
        return false;
    const DWORD size = static_cast<DWORD>(strlen(data) + 1);
    return RegSetValueExA(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(data), size) == ERROR_SUCCESS;
}

bool deleteRunValue(const char *valueName, int machineWide) {
    RegistryKey key = openRunKey(machineWide);
    return key && RegDeleteValueA(key.get(), valueName) == ERROR_SUCCESS;
}

bool addStartupValue(HINSTANCE instance, const char *valueName, int machineWide) {
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    // A cut-off path would start nothing; write no value rather than a wrong one.
    if (length == 0 || length >= MAX_PATH)
        return false;
    return writeRunValue(valueName, path, machineWide);
}
