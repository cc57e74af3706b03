// UTF-16 to the report's 8-bit text on Windows: the ANSI code page.
#include "app13/wide_text.h"

#include <windows.h>

namespace {

int NarrowSize(const std::vector<uint16_t>& units, int count) {
    if (count <= 0) return 0;
    return WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(units.data()), count, nullptr, 0,
                               nullptr, nullptr);
}

}  // namespace

std::string WideToNarrowText(const std::vector<uint16_t>& units, size_t maxBytes) {
    int count = static_cast<int>(units.size());
    // Drop characters from the end until the rest fits; a surrogate pair
    // goes as one.
    while (count > 0 && static_cast<size_t>(NarrowSize(units, count)) > maxBytes) {
        count--;
        if (count > 0 && units[count - 1] >= 0xD800 && units[count - 1] <= 0xDBFF) count--;
    }
    int size = NarrowSize(units, count);
    if (size <= 0) return std::string();
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(units.data()), count, &text[0], size, nullptr,
                        nullptr);
    return text;
}
