#include "harvest/registry_names.h"

namespace {
char lowerAsciiChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
} // namespace

bool startsWithNoCase(const std::string &text, const char *prefix) {
    size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= text.size() || lowerAsciiChar(text[i]) != lowerAsciiChar(prefix[i]))
            return false;
    }
    return true;
}

int32_t registryNameWeight(const std::string &name, const std::function<int32_t(const std::string &)> &typeWeight) {
    if (startsWithNoCase(name, "http://") || startsWithNoCase(name, "https://"))
        return 1;
    if (name.find('\\') == std::string::npos)
        return 0;
    int32_t weight = typeWeight(name);
    return weight > 0 ? weight : 0;
}

bool isClassesKeyName(const std::string &name) { return name.size() == 7 && startsWithNoCase(name, "classes"); }
