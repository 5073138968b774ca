// win32_names.cpp -- file names for the C runtime's narrow calls, which the
// programs' manifest makes take UTF-8.
#include <string.h>

#include <string>

#include "platform/win32/win32_internal.h"

// The system's own ANSI code page, which the manifest hides from GetACP.
static UINT LegacyCodePage() {
    DWORD page = 0;
    if (!GetLocaleInfoEx(LOCALE_NAME_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         (LPWSTR)&page, sizeof page / sizeof(WCHAR)) ||
        page == 0 || page == CP_UTF8)
        return 1252;  // the Western page, when the system does not say
    return page;
}

static bool IsUtf8(const char* text, int length) {
    return length == 0 ||
           MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, nullptr, 0) > 0;
}

// One part of a path, from the system's own code page to UTF-8.
static void AppendFromLegacy(const char* text, int length, std::string* out) {
    UINT page = LegacyCodePage();
    int wideLength = MultiByteToWideChar(page, 0, text, length, nullptr, 0);
    std::wstring wide((size_t)(wideLength > 0 ? wideLength : 0), L'\0');
    if (wideLength > 0) MultiByteToWideChar(page, 0, text, length, &wide[0], wideLength);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        out->append(text, (size_t)length);  // kept as it came: the open fails and says so
        return;
    }
    size_t at = out->size();
    out->resize(at + (size_t)bytes);
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &(*out)[at], bytes, nullptr, nullptr);
}

// A part of a name that is not UTF-8 was written in the system's own code
// page: a scene made for a Windows program without the manifest names its
// textures so, while the folder before them may be named in any script. Each
// such part is read that way and converted; the rest is kept.
const char* WinFileName(const char* name, char* buffer, size_t size) {
    if (GetACP() != CP_UTF8 || IsUtf8(name, (int)strlen(name))) return name;
    std::string converted;
    for (const char* part = name; *part;) {
        const char* end = part;
        while (*end && *end != '/' && *end != '\\') end++;
        int length = (int)(end - part);
        if (IsUtf8(part, length)) converted.append(part, (size_t)length);
        else AppendFromLegacy(part, length, &converted);
        if (*end) converted += *end++;
        part = end;
    }
    if (converted.size() >= size) return name;
    memcpy(buffer, converted.c_str(), converted.size() + 1);
    return buffer;
}
