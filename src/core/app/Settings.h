#pragma once

#include "document/Language.h"

#include <array>
#include <cstdint>
#include <string>

namespace vtm {

// How printed pages show the marks.
enum class PrintMarks { Hatched, InColour, None };

// The values kept between runs, read once at start and written once at exit.
struct Settings
{
    // Main window bounds, valid only while DialogBaseUnits matches the platform's.
    int Left = 0;
    int Top = 0;
    int Height = 0;
    int Width = 0;
    int DialogBaseUnits = 0;
    bool HexMode = true; // stored as "Hex"; while the program runs the view holds the layout
    bool NoUnknown = true;
    // Stored as the three flags PrintMarksHatched, PrintMarksUsingColors, DoNotPrintMarks.
    PrintMarks MarksPrinting = PrintMarks::Hatched;
    bool KeepMarksOnLoad = false;
    bool OverwriteWarning = true;
    bool CreateBackUp = true;
    vtm::Language Language = vtm::Language::English;
    std::string CalcPath;
    std::string InitialDir;
    std::string MarksInitialDir;
    std::array<std::string, 5> File; // recent files, newest first; stored as File0..File4
    // The checksums chosen last, one bit each in the order of Checksum: CRC-32 and SHA-256.
    int Checksums = 0x11;
    // The data inspector beside the dump, and its byte order.
    bool ShowInspector = false;
    bool InspectorBigEndian = false;

    friend bool operator==(const Settings &, const Settings &) = default;
};

// The defaults of a first run; the two that depend on the platform are passed in.
Settings DefaultSettings(Language language, const std::string &calcPath);

// One value of the settings key as stored, with its type, so that a value of the wrong
// type can be told from a missing one.
struct StoredValue
{
    enum class Type { Missing, Dword, String, Other };
    Type type = Type::Missing;
    std::int32_t dword = 0;
    std::string text; // UTF-8

    friend bool operator==(const StoredValue &, const StoredValue &) = default;
};

// The settings key to read from. Value names compare without regard to letter case.
class SettingsSource
{
public:
    virtual ~SettingsSource() = default;
    virtual StoredValue Value(const std::string &name) const = 0;
};

// The settings key to write to. A write that returns false ends the saving.
class SettingsSink
{
public:
    virtual ~SettingsSink() = default;
    virtual bool WriteDword(const std::string &name, std::int32_t value) = 0;
    virtual bool WriteString(const std::string &name, const std::string &text) = 0;
};

// Reads the key over s, which holds the defaults: the first integer or flag that is missing
// or not a dword, or the first text that is there but not a string, ends the reading and
// leaves the rest as it was. A missing text reads as empty.
void LoadSettings(Settings &s, const SettingsSource &source);
// Writes every value, flags as 0 or 1; false when a write failed (the rest is not written).
bool SaveSettings(const Settings &s, SettingsSink &sink);

// The defaults read over by the user's stored settings, if there are any. Never fails: a
// missing or damaged store gives the defaults. A settings file that is there but cannot be
// read sets *problem (when given) to the message for the user; the file must then be left
// as it is, not overwritten by the defaults.
Settings LoadSettingsFromStore(Language defaultLanguage, const std::string &defaultCalcPath,
                               std::string *problem = nullptr);
// Writes s to the user's store; a failure leaves the old store and returns the message for
// the user (empty when all went well).
std::string SaveSettingsToStore(const Settings &s);

} // namespace vtm
