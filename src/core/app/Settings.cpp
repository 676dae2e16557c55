#include "app/Settings.h"

#include "app/RegFile.h"
#include "app/Texts.h"
#ifdef _WIN32
#include "app/WinRegistry.h"
#endif

#include <cerrno>
#include <new>

namespace vtm {

namespace {
// Every value in the stored order, for reading and writing alike so that the two cannot
// drift apart. The overwrite warning is looked up under an older spelling of its name;
// names compare without case, so both find the same value.
template <class S, class Visitor> void VisitValues(S &s, Visitor &v)
{
    static const char *const fileNames[] = {"File0", "File1", "File2", "File3", "File4"};
    v.Integer("Left", s.Left);
    v.Integer("Top", s.Top);
    v.Integer("Height", s.Height);
    v.Integer("Width", s.Width);
    v.Integer("DialogBaseUnits", s.DialogBaseUnits);
    v.Flag("Hex", s.HexMode);
    v.Flag("NoUnknown", s.NoUnknown);
    v.Printing(s.MarksPrinting);
    v.Flag("KeepMarksOnLoad", s.KeepMarksOnLoad);
    v.Flag(v.reading ? "OverWriteWarning" : "OverwriteWarning", s.OverwriteWarning);
    v.Flag("CreateBackUp", s.CreateBackUp);
    v.Language(s.Language);
    v.Text("CalcPath", s.CalcPath);
    v.Text("InitialDir", s.InitialDir);
    v.Text("MarksInitialDir", s.MarksInitialDir);
    for (std::size_t i = 0; i < s.File.size(); ++i)
        v.Text(fileNames[i], s.File[i]);
    // Values added in later versions come last, so that a file of an older version that
    // lacks them loses nothing else.
    v.Integer("Checksums", s.Checksums);
    v.Flag("ShowInspector", s.ShowInspector);
    v.Flag("InspectorBigEndian", s.InspectorBigEndian);
}

struct Reader
{
    static constexpr bool reading = true;
    const SettingsSource &source;
    bool stopped = false;

    void Integer(const char *name, int &value)
    {
        if (stopped)
            return;
        const StoredValue v = source.Value(name);
        if (v.type == StoredValue::Type::Dword)
            value = v.dword;
        else
            stopped = true;
    }
    void Flag(const char *name, bool &value)
    {
        int n = 0;
        Integer(name, n);
        if (!stopped)
            value = n != 0;
    }
    // Any stored number other than German's means English.
    void Language(vtm::Language &value)
    {
        int n = int(value);
        Integer("Language", n);
        if (!stopped)
            value = LanguageOf(n);
    }
    // Not printing wins over hatching, hatching over colours; with no flag set, colours.
    void Printing(PrintMarks &value)
    {
        bool hatched = value == PrintMarks::Hatched, colours = value == PrintMarks::InColour,
             none = value == PrintMarks::None;
        Flag("PrintMarksHatched", hatched);
        Flag("PrintMarksUsingColors", colours);
        Flag("DoNotPrintMarks", none);
        value = none ? PrintMarks::None : hatched ? PrintMarks::Hatched : PrintMarks::InColour;
    }
    void Text(const char *name, std::string &value)
    {
        if (stopped)
            return;
        StoredValue v = source.Value(name);
        if (v.type == StoredValue::Type::String)
            value = std::move(v.text);
        else if (v.type == StoredValue::Type::Missing)
            value.clear();
        else
            stopped = true;
    }
};

struct Writer
{
    static constexpr bool reading = false;
    SettingsSink &sink;
    bool failed = false;

    void Integer(const char *name, int value) { failed = failed || !sink.WriteDword(name, value); }
    void Flag(const char *name, bool value) { Integer(name, value ? 1 : 0); }
    void Language(vtm::Language value) { Integer("Language", int(value)); }
    void Printing(PrintMarks value)
    {
        Flag("PrintMarksHatched", value == PrintMarks::Hatched);
        Flag("PrintMarksUsingColors", value == PrintMarks::InColour);
        Flag("DoNotPrintMarks", value == PrintMarks::None);
    }
    void Text(const char *name, const std::string &value)
    {
        failed = failed || !sink.WriteString(name, value);
    }
};
} // namespace

Settings DefaultSettings(Language language, const std::string &calcPath)
{
    Settings s;
    s.Language = language;
    s.CalcPath = calcPath;
    return s;
}

void LoadSettings(Settings &s, const SettingsSource &source)
{
    Reader r{source};
    VisitValues(s, r);
}

bool SaveSettings(const Settings &s, SettingsSink &sink)
{
    Writer w{sink};
    VisitValues(s, w);
    return !w.failed;
}

Settings LoadSettingsFromStore(Language defaultLanguage, const std::string &defaultCalcPath,
                               std::string *problem)
{
    const Settings defaults = DefaultSettings(defaultLanguage, defaultCalcPath);
    // A settings problem never reaches the user; whatever goes wrong gives the defaults.
    try {
        Settings s = defaults;
#ifdef _WIN32
        const RegistryKey key(RegistryKey::Access::Read);
        if (key.IsOpen())
            LoadSettings(s, key);
#else
        RegFile file;
        FileFailure why;
        const std::string path = SettingsFilePath();
        if (file.Load(path, &why))
            LoadSettings(s, file);
        // No file yet is the first start, not a problem.
        else if (problem && why.known()
                 && !(why.problem == FileProblem::System && why.error == ENOENT))
            *problem = SettingsReadFailedText(defaultLanguage, path, why);
#endif
        return s;
    } catch (...) {
        return defaults;
    }
}

std::string SaveSettingsToStore(const Settings &s)
{
    FileFailure why;
    const std::string path = SettingsFilePath();
    try {
#ifdef _WIN32
        RegistryKey key(RegistryKey::Access::Write);
        if (key.IsOpen())
            SaveSettings(s, key);
        return std::string();
#else
        RegFile file;
        SaveSettings(s, file);
        if (path.empty() || file.Save(path, &why))
            return std::string();
#endif
    } catch (const std::bad_alloc &) {
        why = FileFailure::Of(FileStep::None, FileProblem::NoMemory);
    } catch (...) {
    }
    return SettingsWriteFailedText(s.Language, path, why);
}

} // namespace vtm
