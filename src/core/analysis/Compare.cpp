#include "analysis/Compare.h"

#include "document/ByteScan.h"
#include "document/FileTexts.h"
#include "document/InputFile.h"
#include "document/Language.h"
#include "edit/TActions.h"
#include "edit/TCompoundMarkAction.h"
#include "marks/MarksContext.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vtm {

namespace {
constexpr std::size_t ReadBlock = std::size_t(1) << 20;
constexpr std::uint8_t Red = 1;
constexpr std::uint8_t Yellow = 6;

enum class Failure { None, Open, NotAFile, Read, Changed, Memory };

// The compared file, read front to back; every read is checked, and any change of the file
// while it is read (its size, time or identity) is noticed.
class ComparedFile
{
public:
    explicit ComparedFile(const std::string &path)
        : m_file(path)
    {
        if (m_file.status() == InputFile::Status::CannotOpen)
            m_failure = Failure::Open;
        else if (m_file.status() == InputFile::Status::NotRegular)
            m_failure = Failure::NotAFile;
        m_before = m_file.stamp();
    }

    Failure failure() const { return m_failure; }
    // Why opening or reading failed.
    const FileFailure &why() const { return m_file.failure(); }
    // Files that report no size (/proc) are read to their end to learn their length.
    bool sized() const { return m_file.sizeAtOpen() > 0; }
    std::int64_t sizeAtOpen() const { return m_file.sizeAtOpen(); }
    // Up to n bytes, fewer only at the end; -1 on a failure.
    std::int64_t read(std::uint8_t *into, std::size_t n)
    {
        return m_file.read(into, std::int64_t(n));
    }
    bool unchanged() const { return m_file.stamp() == m_before; }
    Failure readFailure() const { return unchanged() ? Failure::Read : Failure::Changed; }

private:
    InputFile m_file;
    FileStamp m_before;
    Failure m_failure = Failure::None;
};

std::string Quoted(const std::string &path)
{
    return "\"" + path + "\"";
}

std::string FailureText(Failure f, Language language, const std::string &path,
                        const FileFailure &why)
{
    const bool de = IsGerman(language);
    const std::string name = Quoted(path);
    switch (f) {
    case Failure::Open:
        return WithReason(de ? "Die Datei " + name + " kann nicht geöffnet werden!"
                             : "The file " + name + " cannot be opened!",
                          language, why);
    case Failure::NotAFile:
        return WithReason(de ? name + " ist keine Datei, mit der verglichen werden kann!"
                             : name + " is not a file the data can be compared with!",
                          language, why);
    case Failure::Read:
        return WithReason(de ? "Die Datei " + name + " konnte nicht gelesen werden!"
                             : "Reading the file " + name + " failed!",
                          language, why)
               + (de ? "\rEs wurde nichts markiert." : "\rNothing has been marked.");
    case Failure::Changed:
        return de ? "Die Datei " + name
                        + " wurde während des Vergleichs verändert!\rEs wurde nichts markiert."
                  : "The file " + name
                        + " changed while it was being compared!\rNothing has been marked.";
    case Failure::Memory:
        return de ? "Nicht genug Speicher, um die Unterschiede zu markieren!\r"
                    "Es wurde nichts markiert."
                  : "Not enough memory to mark the differences!\rNothing has been marked.";
    case Failure::None: break;
    }
    return std::string();
}

std::string IdenticalText(Language language)
{
    return IsGerman(language) ? "Der Inhalt der Datei ist mit den Bytes im Speicher identisch!"
                              : "The contents of the file is identical to the bytes in memory!";
}

std::string QuestionText(Language language, std::int64_t size, std::int64_t length,
                         std::int64_t differences)
{
    const bool de = IsGerman(language);
    std::string q;
    if (length != size)
        q += de ? "Anzahl der Bytes im Speicher: " + std::to_string(size)
                      + "\rAnzahl der Bytes in der Datei: " + std::to_string(length) + "\r\r"
                : "Number of bytes in memory: " + std::to_string(size)
                      + "\rNumber of bytes in file: " + std::to_string(length) + "\r\r";
    if (differences > 0)
        q += (de ? "Anzahl unterschiedlicher Bytes: " : "number of different bytes: ")
             + std::to_string(differences) + "\r\r";
    q += de ? "Sollen alle von den Bytes in der Datei abweichenden Bytes rot und alle nicht in "
              "der Datei vorhandenen Bytes gelb markiert werden?\r\rWARNUNG: Hierbei werden "
              "alle zur Zeit bestehenden Markierungen gelöscht!"
            : "Should all bytes that differ from the bytes in the file be marked red and all "
              "bytes that do not exist in the file be marked yellow?\r\rWARNING: All existing "
              "marks will be erased!";
    return q;
}

#if !defined(__SSE2__)
// 1 in every byte of w that is not 0, 0 in the others.
std::uint64_t NonZeroBytes(std::uint64_t w)
{
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    return ((((w & low7) + low7) | w) & ~low7) >> 7;
}

// The sum of the eight byte lanes of w.
std::int64_t LaneSum(std::uint64_t w)
{
    constexpr std::uint64_t evenBytes = 0x00FF00FF00FF00FFull;
    const std::uint64_t pairs = (w & evenBytes) + ((w >> 8) & evenBytes);
    return std::int64_t((pairs * 0x0001000100010001ull) >> 48);
}
#endif

// Differing bytes among n, n a multiple of 16 (SSE2) or 8.
std::int64_t CountDifferentWords(const std::uint8_t *a, const std::uint8_t *b, std::size_t n)
{
    std::int64_t d = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Equal bytes count down from 0 in byte lanes; psadbw sums the lanes every 255 rounds.
    const __m128i zero = _mm_setzero_si128();
    while (i < n) {
        __m128i equal = zero;
        for (int k = 0; k < 255 && i < n; ++k, i += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + i));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
            equal = _mm_sub_epi8(equal, _mm_cmpeq_epi8(x, y));
        }
        const __m128i sums = _mm_sad_epu8(equal, zero);
        d -= _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
    }
    d += std::int64_t(n);
#else
    while (i < n) {
        std::uint64_t lanes = 0;
        for (int k = 0; k < 255 && i < n; ++k, i += 8)
            lanes += NonZeroBytes(LoadWord(a + i) ^ LoadWord(b + i));
        d += LaneSum(lanes);
    }
#endif
    return d;
}

std::int64_t CountDifferences(const std::uint8_t *a, const std::uint8_t *b, std::size_t n)
{
    // Equal stretches are the common case: memcmp passes them at memory speed.
    constexpr std::size_t Stretch = 4096;
    std::int64_t d = 0;
    for (std::size_t s = 0; s < n; s += Stretch) {
        const std::size_t len = std::min(Stretch, n - s);
        if (std::memcmp(a + s, b + s, len) == 0)
            continue;
        const std::size_t whole = len & ~std::size_t(15);
        d += CountDifferentWords(a + s, b + s, whole);
        for (std::size_t i = s + whole; i < s + len; ++i)
            d += a[i] != b[i];
    }
    return d;
}

struct Counted
{
    Failure failure = Failure::None;
    FileFailure why;
    std::int64_t length = 0;
    std::int64_t differences = 0;
};

Counted CountingPass(const Document &doc, const std::string &path)
{
    Counted c;
    ComparedFile file(path);
    c.failure = file.failure();
    c.why = file.why();
    if (c.failure != Failure::None)
        return c;
    const std::int64_t size = doc.BufferSize();
    // A sized file is read as far as the document reaches; one without a size to its end.
    const std::int64_t wanted = file.sized() ? std::min(size, file.sizeAtOpen()) : INT64_MAX;
    if (JobMeter *job = doc.Meter())
        job->setTotal(job->done() + std::min(size, wanted));
    std::vector<std::uint8_t> block(ReadBlock);
    std::int64_t i = 0;
    while (i < wanted) {
        const auto n = std::size_t(std::min<std::int64_t>(wanted - i, ReadBlock));
        const std::int64_t r = file.read(block.data(), n);
        if (r < 0) {
            c.failure = file.readFailure();
            c.why = file.why();
            return c;
        }
        if (i < size)
            doc.ForEachSpan(i, i + std::min(r, size - i), [&](const Document::Span &s) {
                c.differences +=
                    CountDifferences(s.data, block.data() + (s.offset - i), std::size_t(s.size));
                return true;
            });
        // The spans count the bytes they are compared with; the file's bytes past the
        // document's end are counted here.
        const std::int64_t inside = i < size ? std::min(r, size - i) : 0;
        if (r > inside)
            doc.Progress(r - inside);
        i += r;
        if (r < std::int64_t(n)) {
            if (file.sized()) { // ended before the size it had
                c.failure = Failure::Changed;
                return c;
            }
            break;
        }
    }
    c.length = file.sized() ? file.sizeAtOpen() : i;
    if (!file.unchanged())
        c.failure = Failure::Changed;
    return c;
}

// Records what [from, to) of the common part needs: red where the bytes differ, 0 where
// they agree. `file` holds the file's bytes from `from` on.
void MarkCommon(const Document &doc, TCompoundMarkAction &action, const std::uint8_t *file,
                std::int64_t from, std::int64_t to, std::vector<std::uint8_t> &colours)
{
    doc.ForEachSpan(from, to, [&](const Document::Span &s) {
        const std::uint8_t *mine = s.data, *theirs = file + (s.offset - from);
        colours.resize(std::size_t(s.size));
        std::uint8_t *out = colours.data();
        for (std::int64_t i = 0; i < s.size; ++i)
            out[i] = mine[i] != theirs[i] ? Red : 0;
        action.AddColours(doc, s.offset, out, s.size);
        return true;
    });
}

// The second pass, recorded in full before anything changes.
Failure MarkingPass(MarksContext &ctx, const std::string &path, std::int64_t length,
                    std::unique_ptr<TCompoundMarkAction> &action, FileFailure &why)
{
    ComparedFile file(path);
    why = file.why();
    if (file.failure() != Failure::None)
        return file.failure();
    if (file.sized() && file.sizeAtOpen() != length)
        return Failure::Changed;
    const Document &doc = ctx.Doc();
    const std::int64_t size = doc.BufferSize();
    const std::int64_t common = std::min(size, length);
    action =
        std::make_unique<TCompoundMarkAction>(ActionKind::Mark, ctx.NextCommandNumber(), false);
    if (JobMeter *job = doc.Meter())
        job->setTotal(job->done() + size);
    std::vector<std::uint8_t> block(std::size_t(std::min<std::int64_t>(common, ReadBlock)));
    std::int64_t blockStart = 0, blockEnd = 0;
    std::int64_t shown = 0;
    std::vector<std::uint8_t> colours;
    for (std::int64_t i = 0; i < size;) {
        const std::int64_t percent = i * 100 / size;
        if (percent != shown) {
            ctx.ShowProgress(std::to_string(percent) + "%");
            shown = percent;
        }
        // Up to the first offset of the next percentage.
        std::int64_t end = std::min(size, ((percent + 1) * size + 99) / 100);
        if (i < common) {
            if (i == blockEnd) {
                const auto n = std::size_t(std::min<std::int64_t>(common - i, ReadBlock));
                const std::int64_t r = file.read(block.data(), n);
                if (r != std::int64_t(n)) {
                    why = file.why();
                    return r < 0 ? file.readFailure() : Failure::Changed;
                }
                blockStart = i;
                blockEnd = i + std::int64_t(n);
            }
            end = std::min(end, blockEnd);
            MarkCommon(doc, *action, block.data() + (i - blockStart), i, end, colours);
        } else {
            action->AddRun(doc, i, end - i, Yellow); // walks no span: counted here
            doc.Progress(end - i);
        }
        i = end;
    }
    // A file without a size must still end where it ended in the first pass.
    std::uint8_t past = 0;
    if (!file.sized() && length <= size && file.read(&past, 1) != 0)
        return Failure::Changed;
    return file.unchanged() ? Failure::None : Failure::Changed;
}

void ShowFailure(MarksContext &ctx, Failure f, const std::string &path, const FileFailure &why)
{
    ctx.ShowMessageDlg(FailureText(f, ctx.Language(), path, why), MessageKind::Error, mbOK, 0);
}
} // namespace

std::string CompareDialogTitle(Language language)
{
    return IsGerman(language) ? "Daten mit welcher Datei vergleichen?"
                              : "Select file to compare the data with?";
}

void CompareWithFile(MarksContext &ctx, const std::string &path)
{
    const Document &doc = ctx.Doc();
    const std::int64_t size = doc.BufferSize();
    if (size <= 0)
        return;
    Counted counted;
    try {
        counted = CountingPass(doc, path);
    } catch (const std::bad_alloc &) {
        counted.failure = Failure::Memory;
    }
    if (counted.failure != Failure::None) {
        ShowFailure(ctx, counted.failure, path, counted.why);
        return;
    }
    const Language language = ctx.Language();
    if (counted.differences == 0 && counted.length == size) {
        ctx.ShowMessageDlg(IdenticalText(language), MessageKind::Information, mbOK, 0);
        return;
    }
    const int answer =
        ctx.ShowMessageDlgDefault(QuestionText(language, size, counted.length, counted.differences),
                                  MessageKind::Information, mbYesNoCancel, 0, mbYes);
    if (answer != mrYes)
        return;

    std::unique_ptr<TCompoundMarkAction> action;
    Failure failure = Failure::None;
    FileFailure why;
    bool stopped = false;
    try {
        failure = MarkingPass(ctx, path, counted.length, action, why);
    } catch (const std::bad_alloc &) {
        failure = Failure::Memory;
    } catch (const JobStopped &) { // the marks recorded up to the stop are made
        stopped = true;
    }
    if (failure != Failure::None) {
        action.reset();
        ShowFailure(ctx, failure, path, why);
        return;
    }
    // The progress text stays in its pane until the status bar is next refreshed.
    std::int64_t made = 0;
    if (action && !action->Empty()) {
        const std::int64_t count = action->MemberCount();
        if (ctx.History().AddAction(std::move(action), false)) {
            made = count;
            ctx.History().UpdateView();
        }
    }
    if (stopped) {
        if (JobMeter *job = doc.Meter())
            job->setChanged(made);
        throw JobStopped();
    }
}

} // namespace vtm
