#include "document/Document.h"
#include "edit/TActions.h"
#include "marks/MarksContext.h"
#include "marks/MarksFile.h"

#include "PlainMarks.h"
#include "marks/MarksFileCommands.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

// Opening a marks file onto a document read on demand through tiny blocks, after edits have
// cut it into pieces. Input: a 10-byte header (document length, block size, what to edit,
// where, how many old mark runs), the old runs (4 bytes each), then the marks file (with the
// magic put in front when the header says so). Whatever the file holds, the marks must come
// out as the plain reading of the format says, stay within the document, be one undoable
// step that undoes to the marks before and redoes again, and leave the bytes alone.
namespace {
using Bytes = std::vector<std::uint8_t>;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::uint8_t Pattern(std::int64_t p)
{
    return std::uint8_t(p * 31 % 251);
}

// A directory of its own for the run, removed at exit.
struct Scratch
{
    std::string dir, document, marks;
    std::int64_t written = -1; // the document file's length
    Scratch()
    {
        const char *tmp = std::getenv("TMPDIR");
        std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/vtm-fuzz-XXXXXX";
        Check(::mkdtemp(templ.data()) != nullptr);
        dir = templ;
        document = dir + "/document.bin";
        marks = dir + "/colours.mrk";
    }
    ~Scratch()
    {
        ::unlink(document.c_str());
        ::unlink(marks.c_str());
        ::rmdir(dir.c_str());
    }
};

void WriteFile(const std::string &path, const std::uint8_t *data, std::size_t n)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    Check(fd >= 0);
    Check(n == 0 || ::write(fd, data, n) == ssize_t(n));
    ::close(fd);
}

class Rig : public vtm::MarksContext
{
public:
    vtm::Document doc;
    vtm::TActions history;
    std::string chosen, fileName, initialDir = "/";
    std::vector<std::string> messages, progress;
    int commands = 0;

    Rig() { history.setContext(this); }
    vtm::Document &Doc() override { return doc; }
    vtm::TActions &History() override { return history; }
    vtm::Language Language() const override { return vtm::LanguageEnglish; }
    int NextCommandNumber() override { return ++commands; }
    std::int64_t CursorOffset() const override { return 0; }
    bool CursorInCharArea() const override { return false; }
    void MoveCursorToOffset(std::int64_t p, bool, bool) override
    {
        Check(p >= 0 && p <= doc.BufferSize());
    }
    void RequestLayout() override {}
    void UpdateView() override {}
    void InvalidateView() override {}
    void UpdateMainWindow() override {}
    void Beep() override {}
    int ShowMessageDlg(const std::string &text, vtm::MessageKind, unsigned, int) override
    {
        messages.push_back(text);
        return vtm::mrOk;
    }
    int ShowMessageDlgDefault(const std::string &text, vtm::MessageKind, unsigned, int,
                              unsigned) override
    {
        messages.push_back(text);
        return vtm::mrCancel;
    }
    void ShowProgress(const std::string &text) override { progress.push_back(text); }
    void UpdateMenus() override {}
    bool RunMarksDialog(bool save, const std::string &, const std::string &,
                        std::string *name) override
    {
        Check(!save);
        *name = chosen;
        return true;
    }
    bool CreateBackUp() const override { return false; }
    std::string &MarksInitialDir() override { return initialDir; }
    std::string &MarksFileName() override { return fileName; }
};

Bytes MarksOf(const vtm::Document &doc)
{
    Bytes marks(std::size_t(doc.BufferSize()));
    if (!marks.empty())
        doc.MarkRuns().read(0, doc.BufferSize(), marks.data());
    Check(doc.MarkedEnd() <= doc.BufferSize());
    Check(doc.MarkedCount()
          == std::int64_t(marks.size()) - std::count(marks.begin(), marks.end(), 0));
    return marks;
}

// The bytes of [p, p + n): each block of the file costs a read and a check of the file, so
// only a window is compared, where the edits were.
Bytes BytesOf(const vtm::Document &doc, std::int64_t p, std::int64_t n)
{
    Bytes bytes;
    doc.ForEachSpan(p, p + n, [&](const vtm::Document::Span &s) {
        bytes.insert(bytes.end(), s.data, s.data + s.size);
        return true;
    });
    Check(std::int64_t(bytes.size()) == n);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static Scratch scratch;
    if (size < 10)
        return 0;
    const std::int64_t length = (data[0] | data[1] << 8) % 8193;
    const std::int64_t block = 1 + data[2] * 16;
    const std::uint8_t flags = data[3];
    const std::int64_t at = data[4] | data[5] << 8;
    const std::int64_t count = 1 + data[6];
    std::size_t runs = data[7] % 8;
    data += 10;
    size -= 10;

    if (scratch.written != length) {
        Bytes contents(static_cast<std::size_t>(length));
        for (std::int64_t p = 0; p < length; ++p)
            contents[std::size_t(p)] = Pattern(p);
        WriteFile(scratch.document, contents.data(), contents.size());
        scratch.written = length;
    }
    Rig r;
    vtm::Document::SetReadingOnDemandForTesting(0, vtm::FileSource::Limits{block, 2});
    const bool loaded = r.doc.loadFile(scratch.document);
    vtm::Document::SetReadingOnDemandForTesting(-1, {});
    Check(loaded && r.doc.BufferSize() == length);

    // Pieces over the file: typed bytes, a deletion, inserted zeros.
    Bytes model(static_cast<std::size_t>(length));
    for (std::int64_t p = 0; p < length; ++p)
        model[std::size_t(p)] = Pattern(p);
    const auto where = [&](std::int64_t k) { return k % std::int64_t(model.size() + 1); };
    if (flags & 2) {
        const Bytes typed(std::size_t(count), 0xA5);
        const std::int64_t p = where(at);
        r.doc.InsertBytes(p, typed.data(), count);
        model.insert(model.begin() + p, typed.begin(), typed.end());
    }
    if ((flags & 4) && !model.empty()) {
        const std::int64_t p = at * 7 % std::int64_t(model.size());
        const std::int64_t n =
            std::min<std::int64_t>(count * 3, std::int64_t(model.size()) - p);
        r.doc.remove(p, n);
        model.erase(model.begin() + p, model.begin() + p + n);
    }
    if (flags & 8) {
        const std::int64_t p = where(at * 3);
        r.doc.insertZeros(p, count * 5);
        model.insert(model.begin() + p, std::size_t(count * 5), 0);
    }
    Check(r.doc.BufferSize() == std::int64_t(model.size()));

    for (; runs > 0 && size >= 4; --runs, data += 4, size -= 4) {
        const std::int64_t p = std::min<std::int64_t>(data[0] | data[1] << 8, r.doc.BufferSize());
        const std::int64_t n = std::min<std::int64_t>(data[2] * 8 + 1, r.doc.BufferSize() - p);
        r.doc.FillMarks(p, n, std::uint8_t(data[3] % 7));
    }
    const Bytes before = MarksOf(r.doc);

    Bytes file;
    if (flags & 1)
        file.assign(vtm::MarksMagic.begin(), vtm::MarksMagic.end());
    file.insert(file.end(), data, data + size);
    WriteFile(scratch.marks, file.data(), file.size());
    r.chosen = scratch.marks;
    vtm::OpenMarks(r);

    const Bytes after = MarksOf(r.doc);
    const bool magic = vtm::IsMarksMagic(file.data(), file.size());
    if (model.empty() || !magic) {
        Check(after == before);
        Check(r.history.ActionCount() == 0);
        Check(r.messages.size() == std::size_t(!model.empty()));
    } else {
        const Bytes expected = PlainDecode(before, file.data() + vtm::MarksMagicSize,
                                           file.size() - vtm::MarksMagicSize);
        Check(after == expected);
        Check(r.messages.empty());
        Check(r.fileName == scratch.marks);
        std::int64_t changed = 0;
        for (std::size_t p = 0; p < model.size(); ++p)
            changed += before[p] != after[p];
        if (changed == 0) {
            Check(r.history.ActionCount() == 0);
        } else {
            Check(r.history.ActionCount() == 1 && r.history.At(0).MemberCount() == changed);
            r.history.Undo();
            Check(MarksOf(r.doc) == before);
            r.history.Redo();
            Check(MarksOf(r.doc) == expected);
        }
        Check(!r.progress.empty() && r.progress.back().empty());
    }
    const std::int64_t from = std::max<std::int64_t>(0, where(at) - 64);
    const std::int64_t n = std::min<std::int64_t>(256, std::int64_t(model.size()) - from);
    Check(BytesOf(r.doc, from, n) == Bytes(model.begin() + from, model.begin() + from + n));
    return 0;
}
