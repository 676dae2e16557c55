#include "app/RegFile.h"

#include "document/Format.h"
#include "document/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace vtm {

namespace {
constexpr std::string_view Header = "Windows Registry Editor Version 5.00";

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string Folded(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = Lower(c);
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Walks the file text; every read is checked against its end.
class Scanner
{
public:
    explicit Scanner(std::string_view text)
        : m_text(text)
    {}

    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
    bool AtLineEnd() const { return AtEnd() || Peek() == '\n' || Peek() == '\r'; }

    bool Take(char c)
    {
        if (AtEnd() || Peek() != c)
            return false;
        ++m_pos;
        return true;
    }

    bool TakeWordNoCase(std::string_view word)
    {
        if (m_text.size() - m_pos < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i)
            if (Lower(m_text[m_pos + i]) != word[i])
                return false;
        m_pos += word.size();
        return true;
    }

    void SkipBlanks()
    {
        while (Peek() == ' ' || Peek() == '\t')
            ++m_pos;
    }

    // Past the end of this line, whichever of CRLF, LF or CR ends it.
    void NextLine()
    {
        while (!AtLineEnd())
            ++m_pos;
        Take('\r');
        Take('\n');
    }

    // Past this line and the lines it continues onto with a trailing backslash, as the
    // export format wraps long binary values.
    void NextLogicalLine()
    {
        char last = '\\';
        while (last == '\\' && !AtEnd()) {
            last = '\0';
            while (!AtLineEnd()) {
                const char c = m_text[m_pos++];
                if (c != ' ' && c != '\t')
                    last = c;
            }
            NextLine();
        }
    }

    // The text between '[' and ']'; false when the bracket is not closed on this line.
    bool Section(std::string_view *name)
    {
        const std::size_t start = ++m_pos;
        while (!AtLineEnd() && Peek() != ']')
            ++m_pos;
        *name = m_text.substr(start, m_pos - start);
        return Take(']');
    }

    // A quoted string from its opening quote, with \\ and \" unescaped. A text may span
    // lines (it is written with its line breaks), a name may not. False when it does not
    // end or is longer than max.
    bool Quoted(bool multiLine, std::size_t max, std::string *out)
    {
        ++m_pos;
        out->clear();
        const std::string_view stops = multiLine ? "\"\\" : "\"\\\r\n";
        bool fits = true;
        // Too long a text is still read to its end, so that none of it is taken for lines.
        auto append = [&](std::string_view part) {
            fits = fits && part.size() <= max - out->size();
            if (fits)
                out->append(part);
        };
        while (!AtEnd()) {
            const std::size_t stop = std::min(m_text.find_first_of(stops, m_pos), m_text.size());
            append(m_text.substr(m_pos, stop - m_pos));
            m_pos = stop;
            if (AtLineEnd())
                return false;
            const char c = m_text[m_pos++];
            if (c == '"')
                return fits;
            // A lone backslash stays, so that a hand-written path keeps its separators.
            if (Peek() == '\\' || Peek() == '"')
                ++m_pos;
            append(m_text.substr(m_pos - 1, 1));
        }
        return false;
    }

    // 1 to 8 hexadecimal digits.
    bool Dword(std::int32_t *value)
    {
        std::uint32_t v = 0;
        std::size_t digits = 0;
        for (int d = HexDigit(Peek()); !AtEnd() && d >= 0; d = HexDigit(Peek())) {
            v = (v << 4) | std::uint32_t(d);
            ++digits;
            ++m_pos;
        }
        *value = std::int32_t(v);
        return digits >= 1 && digits <= 8;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// The value after "name=". Anything that is not a well-formed dword or string is kept as
// a value of another type, so that reading the settings can stop there.
StoredValue ParseValue(Scanner &sc)
{
    StoredValue v;
    v.type = StoredValue::Type::Other;
    bool ok = false;
    if (sc.Peek() == '"') {
        ok = sc.Quoted(true, RegFile::MaxTextLength, &v.text);
        if (ok)
            v.type = StoredValue::Type::String;
    } else if (sc.TakeWordNoCase("dword:")) {
        ok = sc.Dword(&v.dword);
        if (ok)
            v.type = StoredValue::Type::Dword;
    } else if (sc.Take('-')) {
        ok = true; // removes the value
        v.type = StoredValue::Type::Missing;
    } else {
        sc.NextLogicalLine();
        return v;
    }
    sc.SkipBlanks();
    if (!ok || !sc.AtLineEnd()) {
        v = StoredValue();
        v.type = StoredValue::Type::Other;
    }
    sc.NextLine();
    return v;
}

void AppendQuoted(std::string &out, std::string_view s)
{
    out += '"';
    for (const char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}
} // namespace

bool RegFile::Parse(std::string_view text)
{
    m_entries.clear();
    m_index.clear();
    if (text.size() > MaxFileSize)
        return false;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    Scanner sc(text);
    bool found = false;
    bool inKey = false;
    while (!sc.AtEnd()) {
        sc.SkipBlanks();
        if (sc.Peek() == '[') {
            std::string_view section;
            inKey = sc.Section(&section) && Folded(section) == Folded(KeyName);
            found = found || inKey;
            sc.NextLine();
            continue;
        }
        if (!inKey || sc.Peek() != '"') {
            sc.NextLine();
            continue;
        }
        std::string name;
        if (!sc.Quoted(false, MaxNameLength, &name)) {
            sc.NextLine();
            continue;
        }
        sc.SkipBlanks();
        if (!sc.Take('=')) {
            sc.NextLine();
            continue;
        }
        sc.SkipBlanks();
        Set(name, ParseValue(sc));
    }
    return found;
}

bool RegFile::Load(const std::string &path, FileFailure *why)
{
    FileFailure ignored;
    if (!why)
        why = &ignored;
    m_entries.clear();
    m_index.clear();
    InputFile file(path);
    if (!file.isOpen()) {
        *why = file.failure();
        return false;
    }
    std::string text;
    std::uint8_t block[1 << 16];
    for (;;) {
        const std::int64_t got = file.read(block, std::int64_t(sizeof block));
        if (got < 0) {
            *why = file.failure();
            return false;
        }
        text.append(reinterpret_cast<const char *>(block), std::size_t(got));
        if (text.size() > MaxFileSize) {
            *why = FileFailure::Of(FileStep::None, FileProblem::TooLarge);
            why->limit = std::int64_t(MaxFileSize);
            return false;
        }
        if (got < std::int64_t(sizeof block))
            break;
    }
    return Parse(text);
}

std::string RegFile::Text() const
{
    std::string out;
    out.append(Header).append("\n\n[").append(KeyName).append("]\n");
    for (const Entry &e : m_entries) {
        if (e.value.type != StoredValue::Type::Dword && e.value.type != StoredValue::Type::String)
            continue;
        AppendQuoted(out, e.name);
        out += '=';
        if (e.value.type == StoredValue::Type::Dword) {
            out += "dword:";
            out += ZeroPadded(std::uint32_t(e.value.dword), 8, true, HexCase::Lower);
        } else {
            AppendQuoted(out, e.value.text);
        }
        out += '\n';
    }
    out += '\n';
    return out;
}

bool RegFile::Save(const std::string &path, FileFailure *why) const
{
    if (path.empty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(DirectoryOf(path), ec);
    const std::string text = Text();
    const WriteOutcome outcome = WriteFileSafely(
        path, reinterpret_cast<const std::uint8_t *>(text.data()), std::int64_t(text.size()));
    if (why)
        *why = outcome.result == WriteResult::FailedNoSpace
                   ? FileFailure::System(FileStep::None, ENOSPC)
                   : outcome.failure;
    return outcome.result == WriteResult::Written;
}

StoredValue RegFile::Value(const std::string &name) const
{
    const auto it = m_index.find(Folded(name));
    return it == m_index.end() ? StoredValue() : m_entries[it->second].value;
}

bool RegFile::WriteDword(const std::string &name, std::int32_t value)
{
    StoredValue v;
    v.type = StoredValue::Type::Dword;
    v.dword = value;
    Set(name, std::move(v));
    return true;
}

bool RegFile::WriteString(const std::string &name, const std::string &text)
{
    StoredValue v;
    v.type = StoredValue::Type::String;
    v.text = text;
    Set(name, std::move(v));
    return true;
}

void RegFile::Set(std::string_view name, StoredValue value)
{
    const auto [it, added] = m_index.try_emplace(Folded(name), m_entries.size());
    if (added)
        m_entries.push_back({std::string(name), std::move(value)});
    else
        m_entries[it->second] = {std::string(name), std::move(value)};
}

std::string SettingsFilePath()
{
    static constexpr const char *tail = "/Ostrelunde/Vantreelmorbisco/1.01.reg";
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return std::string(config) + tail;
    const char *home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.config" + tail;
    return {};
}

} // namespace vtm
