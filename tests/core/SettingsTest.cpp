#include "app/LanguageIds.h"
#include "app/RegFile.h"
#include "app/Settings.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

#include <sys/resource.h>
#include <unistd.h>

using namespace vtm;

namespace {
const std::string Head = "Windows Registry Editor Version 5.00\n\n"
                         "[HKEY_CURRENT_USER\\SOFTWARE\\Ostrelunde\\Vantreelmorbisco\\1.01]\n";

std::string Dword(const std::string &name, const std::string &hex)
{
    return "\"" + name + "\"=dword:" + hex + "\n";
}

std::string Text(const std::string &name, const std::string &quoted)
{
    return "\"" + name + "\"=\"" + quoted + "\"\n";
}

// Every integer and flag up to Language, all as stored by a run that changed them.
std::string AllNumbers()
{
    return Dword("Left", "00000064") + Dword("Top", "000000c8") + Dword("Height", "0000012c")
           + Dword("Width", "00000190") + Dword("DialogBaseUnits", "00100008")
           + Dword("Hex", "00000000") + Dword("NoUnknown", "00000000")
           + Dword("PrintMarksHatched", "00000000") + Dword("PrintMarksUsingColors", "00000001")
           + Dword("DoNotPrintMarks", "00000000") + Dword("KeepMarksOnLoad", "00000001")
           + Dword("OverwriteWarning", "00000000") + Dword("CreateBackUp", "00000000")
           + Dword("Language", "00000007");
}

// What AllNumbers() holds, over the defaults.
Settings WithAllNumbers(Settings s)
{
    s.Left = 100;
    s.Top = 200;
    s.Height = 300;
    s.Width = 400;
    s.DialogBaseUnits = (16 << 16) | 8;
    s.HexMode = s.NoUnknown = false;
    s.MarksPrinting = PrintMarks::InColour;
    s.KeepMarksOnLoad = true;
    s.OverwriteWarning = s.CreateBackUp = false;
    s.Language = LanguageGerman;
    return s;
}

Settings Changed()
{
    Settings s;
    s.Left = -1200;
    s.Top = -3;
    s.Height = 480;
    s.Width = 2147483647;
    s.DialogBaseUnits = (16 << 16) | 7;
    s.HexMode = false;
    s.NoUnknown = false;
    s.MarksPrinting = PrintMarks::None;
    s.KeepMarksOnLoad = true;
    s.OverwriteWarning = false;
    s.CreateBackUp = false;
    s.Language = LanguageGerman;
    s.CalcPath = "/opt/calc \"pro\"/bin\\calc";
    s.InitialDir = "/home/jürgen/Daten €";
    s.MarksInitialDir = "/tmp/two\nlines\r\nand a trailing backslash\\";
    s.File = {"/a", "", "C:\\Windows\\x.bin", "\\\"", "/e"};
    s.ShowInspector = true;
    s.InspectorBigEndian = true;
    return s;
}
} // namespace

namespace vtm {
void PrintTo(const Settings &s, std::ostream *os)
{
    *os << "{" << s.Left << ", " << s.Top << ", " << s.Height << ", " << s.Width << ", "
        << s.DialogBaseUnits << ", flags " << s.HexMode << s.NoUnknown << int(s.MarksPrinting)
        << s.KeepMarksOnLoad << s.OverwriteWarning << s.CreateBackUp << ", " << int(s.Language)
        << ", \"" << s.CalcPath << "\", \"" << s.InitialDir << "\", \"" << s.MarksInitialDir
        << "\"";
    for (const std::string &f : s.File)
        *os << ", \"" << f << "\"";
    *os << "}";
}
} // namespace vtm

namespace {
class SettingsStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vtm-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        if (const char *old = std::getenv("XDG_CONFIG_HOME"))
            m_oldConfig = old;
        ::setenv("XDG_CONFIG_HOME", m_dir.c_str(), 1);
    }
    void TearDown() override
    {
        if (m_oldConfig)
            ::setenv("XDG_CONFIG_HOME", m_oldConfig->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(m_dir);
    }

    std::string StorePath() const { return m_dir + "/Ostrelunde/Vantreelmorbisco/1.01.reg"; }
    void WriteStore(const std::string &text) const
    {
        std::filesystem::create_directories(m_dir + "/Ostrelunde/Vantreelmorbisco");
        std::ofstream(StorePath(), std::ios::binary) << text;
    }
    std::string ReadStore() const
    {
        std::ifstream in(StorePath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static Settings Load() { return LoadSettingsFromStore(LanguageEnglish, "/usr/bin/xcalc"); }
    static Settings Defaults() { return DefaultSettings(LanguageEnglish, "/usr/bin/xcalc"); }

    std::string m_dir;
    std::optional<std::string> m_oldConfig;
};
} // namespace

TEST_F(SettingsStore, FirstRunHasTheDefaultsAndSavesThemAsARegistryExport)
{
    const Settings defaults = DefaultSettings(LanguageGerman, "C:\\Windows\\calc.exe");
    EXPECT_EQ(LoadSettingsFromStore(LanguageGerman, "C:\\Windows\\calc.exe"), defaults);
    SaveSettingsToStore(defaults); // creates the directories
    EXPECT_EQ(
        ReadStore(),
        Head + Dword("Left", "00000000") + Dword("Top", "00000000") + Dword("Height", "00000000")
            + Dword("Width", "00000000") + Dword("DialogBaseUnits", "00000000")
            + Dword("Hex", "00000001") + Dword("NoUnknown", "00000001")
            + Dword("PrintMarksHatched", "00000001") + Dword("PrintMarksUsingColors", "00000000")
            + Dword("DoNotPrintMarks", "00000000") + Dword("KeepMarksOnLoad", "00000000")
            + Dword("OverwriteWarning", "00000001") + Dword("CreateBackUp", "00000001")
            + Dword("Language", "00000007") + Text("CalcPath", "C:\\\\Windows\\\\calc.exe")
            + Text("InitialDir", "") + Text("MarksInitialDir", "") + Text("File0", "")
            + Text("File1", "") + Text("File2", "") + Text("File3", "") + Text("File4", "")
            + Dword("Checksums", "00000011") + Dword("ShowInspector", "00000000")
            + Dword("InspectorBigEndian", "00000000") + "\n");

    // A file without the program's key is a missing key.
    WriteStore("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Other]\n"
               + AllNumbers());
    EXPECT_EQ(Load(), Defaults());
}

TEST_F(SettingsStore, EveryValueSurvivesSaveAndLoad)
{
    const Settings s = Changed();
    SaveSettingsToStore(s);
    EXPECT_EQ(Load(), s);

    // A second save replaces the first.
    Settings t = Defaults();
    t.File[4] = "/last";
    SaveSettingsToStore(t);
    EXPECT_EQ(Load(), t);
}

TEST_F(SettingsStore, ReadingStopsAtTheFirstMissingOrMistypedNumber)
{
    // Only the window bounds: the missing DialogBaseUnits ends the reading.
    WriteStore(Head + Dword("Left", "00000064") + Dword("Top", "000000c8")
               + Dword("Height", "0000012c") + Dword("Width", "00000190") + Dword("Hex", "00000000")
               + Text("CalcPath", "/x"));
    Settings expected = Defaults();
    expected.Left = 100;
    expected.Top = 200;
    expected.Height = 300;
    expected.Width = 400;
    EXPECT_EQ(Load(), expected);

    // A flag stored as a string.
    WriteStore(Head + Dword("Left", "00000064") + Dword("Top", "000000c8")
               + Dword("Height", "0000012c") + Dword("Width", "00000190")
               + Dword("DialogBaseUnits", "00000001") + Text("Hex", "0")
               + Dword("NoUnknown", "00000000"));
    expected.DialogBaseUnits = 1;
    EXPECT_EQ(Load(), expected);

    // Damaged dwords have the wrong type too: nine digits, none, or trailing junk.
    for (const char *bad : {"dword:000000001", "dword:", "dword:1x", "hex:01,00,00,00"}) {
        WriteStore(Head + Dword("Left", "00000064") + "\"Top\"=" + bad + "\n"
                   + Dword("Height", "0000012c"));
        Settings got = Load();
        EXPECT_EQ(got.Left, 100) << bad;
        EXPECT_EQ(got.Top, 0) << bad;
        EXPECT_EQ(got.Height, 0) << bad;
    }
}

TEST_F(SettingsStore, TextsReadAsEmptyWhenMissingAndStopWhenMistyped)
{
    // CalcPath missing: it becomes empty, not the default, and the later texts still read.
    WriteStore(Head + AllNumbers() + Text("InitialDir", "/in") + Text("File0", "/f0")
               + Text("File4", "/f4"));
    Settings expected = WithAllNumbers(Defaults());
    expected.CalcPath = "";
    expected.InitialDir = "/in";
    expected.File[0] = "/f0";
    expected.File[4] = "/f4";
    EXPECT_EQ(Load(), expected);

    // A text stored as a dword ends the reading; the texts keep their defaults.
    WriteStore(Head + AllNumbers() + Dword("CalcPath", "00000001") + Text("InitialDir", "/in"));
    EXPECT_EQ(Load(), WithAllNumbers(Defaults()));
}

TEST_F(SettingsStore, ValuesAsWindowsWritesThem)
{
    // Byte order mark, CRLF, names in any case (the last of the same name wins), short and
    // upper-case hex digits, any non-zero flag, other sections and comments around ours.
    WriteStore("\xEF\xBB\xBF"
               "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"Left\"=dword:00000001\r\n"
               "; a comment\r\n"
               "[hkey_current_user\\software\\ostrelunde\\vantreelmorbisco\\1.01]\r\n"
               "\"left\"=dword:00000005\r\n\"LEFT\"=dword:FFFFFF9C\r\n\"Top\"=dword:a\r\n"
               "\"Height\" = dword:7fffffff \r\n\"Width\"=dword:80000000\r\n"
               "\"DialogBaseUnits\"=dword:1\r\n\"HEX\"=dword:00000000\r\n"
               "\"NoUnknown\"=dword:ffffffff\r\n\"PrintMarksHatched\"=dword:00000100\r\n"
               "\"PrintMarksUsingColors\"=dword:00000001\r\n\"DoNotPrintMarks\"=dword:00000002\r\n"
               "\"KeepMarksOnLoad\"=dword:00000001\r\n\"OVERWRITEWARNING\"=dword:00000000\r\n"
               "\"CreateBackUp\"=dword:00000000\r\n\"Language\"=dword:00000019\r\n"
               "\"CalcPath\"=\"C:\\\\Windows\\\\calc.exe\"\r\n"
               "\"InitialDir\"=\"C:\\Users\\lone backslashes stay\"\r\n"
               "\"File0\"=\"quote \\\" inside\"\r\n"
               "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"File1\"=\"/not ours\"\r\n");
    Settings expected = Defaults();
    expected.Left = -100;
    expected.Top = 10;
    expected.Height = 2147483647;
    expected.Width = -2147483647 - 1;
    expected.DialogBaseUnits = 1;
    expected.HexMode = false;
    expected.MarksPrinting = PrintMarks::None; // not printing wins over the other two
    expected.KeepMarksOnLoad = true;
    expected.OverwriteWarning = expected.CreateBackUp = false;
    expected.Language = LanguageOf(25);
    expected.CalcPath = "C:\\Windows\\calc.exe";
    expected.InitialDir = "C:\\Users\\lone backslashes stay";
    expected.File[0] = "quote \" inside";
    EXPECT_EQ(Load(), expected);
}

TEST_F(SettingsStore, DamagedFilesGiveDefaultsOrWhatReadsBeforeTheDamage)
{
    std::mt19937 rng(7);
    std::string garbage(5000, '\0');
    for (char &c : garbage)
        c = char(rng());
    WriteStore(garbage);
    EXPECT_EQ(Load(), Defaults());

    // Cut inside a text that never ends: the values before it stay.
    WriteStore(Head + AllNumbers() + "\"CalcPath\"=\"/usr/bi");
    EXPECT_EQ(Load(), WithAllNumbers(Defaults()));

    // Too large to be ours, however well it starts: said, and the file left alone.
    WriteStore(Head + AllNumbers() + std::string(RegFile::MaxFileSize, ';'));
    std::string problem;
    EXPECT_EQ(LoadSettingsFromStore(LanguageGerman, "/usr/bin/xcalc", &problem),
              DefaultSettings(LanguageGerman, "/usr/bin/xcalc"));
    EXPECT_EQ(problem, "Die Einstellungen konnten nicht aus " + StorePath()
                           + " gelesen werden.\rDie Datei ist größer als die 4194304 Bytes, die "
                             "der Editor aufnehmen kann.\rDer Editor startet mit seinen "
                             "Voreinstellungen und lässt die Datei, wie sie ist.");

    // A text longer than any path is a damaged value.
    WriteStore(Head + AllNumbers() + Text("CalcPath", std::string(RegFile::MaxTextLength + 1, 'x'))
               + Text("InitialDir", "/in"));
    EXPECT_EQ(Load(), WithAllNumbers(Defaults()));

    // Not a file at all.
    std::filesystem::remove(StorePath());
    std::filesystem::create_directory(StorePath());
    problem.clear();
    EXPECT_EQ(LoadSettingsFromStore(LanguageEnglish, "/usr/bin/xcalc", &problem), Defaults());
    EXPECT_EQ(problem, "The settings could not be read from " + StorePath()
                           + ".\rIt is a folder.\rThe editor starts with its defaults and leaves "
                             "the file as it is.");

    // No file yet is no problem.
    std::filesystem::remove(StorePath());
    problem.clear();
    EXPECT_EQ(LoadSettingsFromStore(LanguageEnglish, "/usr/bin/xcalc", &problem), Defaults());
    EXPECT_EQ(problem, "");
}

TEST_F(SettingsStore, FailedSaveSaysWhyAndKeepsTheOldFile)
{
    EXPECT_EQ(SaveSettingsToStore(Changed()), "");
    const std::string before = ReadStore();

    // Writes past a file size limit fail for root as for anyone.
    rlimit old;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string said = SaveSettingsToStore(Defaults());
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadStore(), before);
    EXPECT_EQ(Load(), Changed());
    EXPECT_EQ(said, "The settings could not be saved to " + StorePath()
                        + ".\rWhile writing: the file would be too large for the file system."
                          "\rThe file is left as it was.");

    // A configuration directory that cannot be made.
    std::ofstream(m_dir + "/plain-file") << "x";
    ::setenv("XDG_CONFIG_HOME", (m_dir + "/plain-file").c_str(), 1);
    EXPECT_NE(SaveSettingsToStore(Defaults()).find("\rWhile looking up the file: a part of the "
                                                   "path is not a folder.\r"),
              std::string::npos);
    EXPECT_EQ(Load(), Defaults());
}

TEST_F(SettingsStore, FileLocation)
{
    EXPECT_EQ(SettingsFilePath(), StorePath());
    const char *home = std::getenv("HOME");
    const std::string oldHome = home ? home : "";
    ::setenv("HOME", "/home/someone", 1);
    for (const char *unusable : {"", "relative/dir"}) {
        ::setenv("XDG_CONFIG_HOME", unusable, 1);
        EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/Ostrelunde/Vantreelmorbisco/1.01.reg");
    }
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/Ostrelunde/Vantreelmorbisco/1.01.reg");
    ::setenv("HOME", oldHome.c_str(), 1);
}

namespace {
// A key that records the names written to it and fails from a given write on.
class RecordingSink : public SettingsSink
{
public:
    explicit RecordingSink(std::size_t failAt)
        : m_failAt(failAt)
    {}
    bool WriteDword(const std::string &name, std::int32_t) override { return Record(name); }
    bool WriteString(const std::string &name, const std::string &) override { return Record(name); }
    std::vector<std::string> written;

private:
    bool Record(const std::string &name)
    {
        written.push_back(name);
        return written.size() < m_failAt;
    }
    std::size_t m_failAt;
};
} // namespace

TEST(SettingsSave, AFailedWriteEndsTheSave)
{
    RecordingSink all(100);
    EXPECT_TRUE(SaveSettings(Changed(), all));
    EXPECT_EQ(all.written.size(), 25u);

    RecordingSink failing(6);
    EXPECT_FALSE(SaveSettings(Changed(), failing));
    EXPECT_EQ(failing.written,
              std::vector<std::string>(all.written.begin(), all.written.begin() + 6));
}

namespace {
// Whatever a file holds, reading it must stay in bounds, and the settings it gives must
// come back unchanged through the file they are saved to.
void CheckReader(const std::string &input)
{
    // An exact-size copy: no terminator past the end that an over-read could hit unseen.
    const std::vector<char> exact(input.begin(), input.end());
    RegFile file;
    file.Parse(std::string_view(exact.data(), exact.size()));
    Settings read = DefaultSettings(LanguageOf(3), "calc");
    LoadSettings(read, file);
    RegFile written;
    ASSERT_TRUE(SaveSettings(read, written));
    RegFile back;
    ASSERT_TRUE(back.Parse(written.Text()));
    Settings reread = DefaultSettings(LanguageOf(5), "other");
    LoadSettings(reread, back);
    ASSERT_TRUE(read == reread) << ::testing::PrintToString(input);
}

class InputMaker
{
public:
    explicit InputMaker(unsigned seed)
        : m_rng(seed)
    {}

    std::string Next()
    {
        return Pick(4) == 0 ? Mutated(RandomBytes(Pick(300))) : Mutated(ValidFile());
    }

private:
    std::size_t Pick(std::size_t n) { return n == 0 ? 0 : m_rng() % n; }

    std::string RandomBytes(std::size_t n)
    {
        static const std::string grammar = "\"\\=[]-:;\r\n \tdwordDWORDhex(2)0123456789abcdefF,@";
        std::string s(n, '\0');
        for (char &c : s)
            c = Pick(2) ? grammar[Pick(grammar.size())] : char(m_rng());
        return s;
    }

    std::string ValidFile()
    {
        static const std::string pieces[] = {"/", "\\", "\"", "\n",   "\r\n", "ä",
                                             "€", " ",  "x",  "\\\"", "\""};
        Settings s;
        for (int *v : {&s.Left, &s.Top, &s.Height, &s.Width, &s.DialogBaseUnits})
            *v = int(m_rng());
        s.Language = LanguageOf(int(m_rng() % 16));
        for (bool *f : {&s.HexMode, &s.NoUnknown, &s.CreateBackUp})
            *f = Pick(2);
        s.MarksPrinting = PrintMarks(Pick(3));
        for (std::string *t : {&s.CalcPath, &s.InitialDir, &s.File[0], &s.File[4]})
            for (std::size_t n = Pick(6); n > 0; --n)
                *t += pieces[Pick(std::size(pieces))];
        RegFile f;
        SaveSettings(s, f);
        return f.Text();
    }

    std::string Token()
    {
        // clang-format off
        static const char *const tokens[] = {
            "\xEF\xBB\xBF", "\"Left\"=", "\"hex\"=", "\"OverWriteWarning\"=", "\"CalcPath\"=",
            "dword:", "dword:ffffffff", "\"", "\"a\\\"b\\\\\"", "-", "hex:01,02,\\\n  03", "\r",
            "=", "[", "]", "\\", "[HKEY_CURRENT_USER\\Software\\Other]\n", "\r\n", "\n"};
        // clang-format on
        return Pick(2) ? std::string(tokens[Pick(std::size(tokens))]) : RandomBytes(1 + Pick(8));
    }

    std::string Mutated(std::string s)
    {
        for (std::size_t n = Pick(4); n > 0; --n) {
            const std::size_t at = Pick(s.size() + 1);
            switch (Pick(5)) {
            case 0:
                if (at < s.size())
                    s[at] = char(s[at] ^ (1 << Pick(8)));
                break;
            case 1: s.erase(at, Pick(20)); break;
            case 2: s.insert(at, Token()); break;
            case 3: s.resize(at); break;
            default: s.insert(at, s.substr(Pick(s.size() + 1), Pick(60))); break;
            }
        }
        return s;
    }

    std::mt19937 m_rng;
};

unsigned long EnvNumber(const char *name, unsigned long fallback)
{
    const char *v = std::getenv(name);
    return v && *v ? std::strtoul(v, nullptr, 10) : fallback;
}
} // namespace

// A longer run: VTM_FUZZ_INPUTS=1000000 VTM_FUZZ_SEED=n (what `make fuzz` does without clang).
TEST(SettingsFuzz, RandomAndMutatedFiles)
{
    const unsigned long inputs = EnvNumber("VTM_FUZZ_INPUTS", 2500);
    InputMaker maker(unsigned(EnvNumber("VTM_FUZZ_SEED", 1)));
    for (unsigned long i = 0; i < inputs && !HasFatalFailure(); ++i)
        CheckReader(maker.Next());
}

TEST(LanguageIds, LocalesGiveWindowsPrimaryLanguageNumbers)
{
    for (const char *german : {"de", "de_DE", "de_CH", "de_AT", "de-LU", "DE_de"})
        EXPECT_EQ(PrimaryLanguageId(german), 7) << german;
    const std::pair<const char *, int> others[] = {
        {"en_US", 9},  {"en_GB", 9},     {"fr_FR", 12},      {"fr_CA", 12}, {"es_ES", 10},
        {"it_IT", 16}, {"nl_BE", 19},    {"pl_PL", 21},      {"ja_JP", 17}, {"zh_CN", 4},
        {"zh_TW", 4},  {"ru_RU", 25},    {"pt_BR", 22},      {"sv_SE", 29}, {"fi", 11},
        {"af", 0x36},  {"zu", 0x35},     {"nb_NO", 20},      {"nn", 20},    {"sr_RS@latin", 26},
        {"hr", 26},    {"hsb_DE", 0x2e}, {"uk_UA.UTF-8", 34}};
    for (const auto &[locale, id] : others)
        EXPECT_EQ(PrimaryLanguageId(locale), id) << locale;
    // Unknown languages, and none, read as English.
    for (const char *unknown : {"C", "POSIX", "", "xx_XX", "d", "deu", "_DE"})
        EXPECT_EQ(PrimaryLanguageId(unknown), 9) << unknown;
}
