#pragma once

#include "document/FileFailure.h"

#include "app/Settings.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vtm {

// The settings key kept off Windows: one file in the registry editor's export format,
// holding the values of the program's key with their types. Only that key's section is
// read; anything that does not parse is skipped, and nothing in a file can make reading
// fail other than by leaving values out or giving them the wrong type.
class RegFile : public SettingsSource, public SettingsSink
{
public:
    static constexpr std::string_view KeyName =
        "HKEY_CURRENT_USER\\SOFTWARE\\Ostrelunde\\Vantreelmorbisco\\1.01";
    // Larger files are not ours; longer names or texts are taken as damaged values.
    static constexpr std::size_t MaxFileSize = 4 << 20;
    static constexpr std::size_t MaxNameLength = 16383;
    static constexpr std::size_t MaxTextLength = 64 << 10;

    // Replaces the values with those of the key in text (UTF-8, with or without a byte
    // order mark, CRLF or LF). False when the key is not there, as in a file too large.
    bool Parse(std::string_view text);
    // Parse of the file at path; false when it is missing, unreadable or not a regular file,
    // with *why (when given) saying which.
    bool Load(const std::string &path, FileFailure *why = nullptr);
    // The file text: header, the key, then every value in the order first written.
    std::string Text() const;
    // Writes Text() to path through a temporary file, creating the directories.
    bool Save(const std::string &path, FileFailure *why = nullptr) const;

    StoredValue Value(const std::string &name) const override;
    bool WriteDword(const std::string &name, std::int32_t value) override;
    bool WriteString(const std::string &name, const std::string &text) override;

private:
    void Set(std::string_view name, StoredValue value);

    struct Entry
    {
        std::string name;
        StoredValue value;
    };
    std::vector<Entry> m_entries;
    std::map<std::string, std::size_t> m_index; // lower-case name to entry
};

// $XDG_CONFIG_HOME/Ostrelunde/Vantreelmorbisco/1.01.reg, or the same under ~/.config;
// empty when neither variable gives an absolute directory.
std::string SettingsFilePath();

} // namespace vtm
