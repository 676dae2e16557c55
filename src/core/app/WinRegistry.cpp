#ifdef _WIN32

#include "app/WinRegistry.h"

#include "app/RegFile.h"

#include <algorithm>
#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace vtm {

namespace {
constexpr wchar_t KeyPath[] = L"SOFTWARE\\Ostrelunde\\Vantreelmorbisco\\1.01";

HKEY Handle(void *key)
{
    return static_cast<HKEY>(key);
}

// Invalid UTF-8 turns into replacement characters rather than failing.
std::wstring Wide(const std::string &s)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring w(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

std::string Utf8(const std::wstring &w)
{
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string s(std::size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}
} // namespace

RegistryKey::RegistryKey(Access access)
{
    HKEY key = nullptr;
    const LONG r = access == Access::Write
                       ? RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath, 0, nullptr,
                                         REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr)
                       : RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath, 0, KEY_READ, &key);
    if (r == ERROR_SUCCESS)
        m_key = key;
}

RegistryKey::~RegistryKey()
{
    if (m_key)
        RegCloseKey(Handle(m_key));
}

StoredValue RegistryKey::Value(const std::string &name) const
{
    StoredValue v;
    if (!m_key)
        return v;
    const std::wstring wname = Wide(name);
    DWORD type = 0;
    DWORD size = 0;
    const LONG r = RegQueryValueExW(Handle(m_key), wname.c_str(), nullptr, &type, nullptr, &size);
    if (r == ERROR_FILE_NOT_FOUND)
        return v;
    v.type = StoredValue::Type::Other;
    if (r != ERROR_SUCCESS)
        return v;
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD d = 0;
        size = sizeof d;
        if (RegQueryValueExW(Handle(m_key), wname.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE *>(&d), &size)
                == ERROR_SUCCESS
            && type == REG_DWORD && size == sizeof d) {
            v.type = StoredValue::Type::Dword;
            v.dword = std::int32_t(d);
        }
    } else if (type == REG_SZ && size <= RegFile::MaxTextLength * sizeof(wchar_t)) {
        // Room for a terminator the stored value may lack; the size may also have changed
        // between the two queries, which the second one reports.
        std::wstring w(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = DWORD(w.size() * sizeof(wchar_t));
        if (RegQueryValueExW(Handle(m_key), wname.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE *>(w.data()), &got)
                == ERROR_SUCCESS
            && type == REG_SZ) {
            w.resize(std::min<std::size_t>(got / sizeof(wchar_t), w.size()));
            w.resize(std::min(w.find(L'\0'), w.size()));
            v.type = StoredValue::Type::String;
            v.text = Utf8(w);
        }
    }
    return v;
}

bool RegistryKey::WriteDword(const std::string &name, std::int32_t value)
{
    const DWORD d = DWORD(std::uint32_t(value));
    return m_key
           && RegSetValueExW(Handle(m_key), Wide(name).c_str(), 0, REG_DWORD,
                             reinterpret_cast<const BYTE *>(&d), sizeof d)
                  == ERROR_SUCCESS;
}

bool RegistryKey::WriteString(const std::string &name, const std::string &text)
{
    const std::wstring w = Wide(text);
    const DWORD size = DWORD((w.size() + 1) * sizeof(wchar_t));
    return m_key
           && RegSetValueExW(Handle(m_key), Wide(name).c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE *>(w.c_str()), size)
                  == ERROR_SUCCESS;
}

} // namespace vtm

#endif
