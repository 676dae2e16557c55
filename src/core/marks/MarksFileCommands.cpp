#include "marks/MarksFileCommands.h"

#include "document/FileTexts.h"

#include "document/Language.h"
#include "document/SafeFile.h"
#include "edit/TActions.h"
#include "edit/TCompoundMarkAction.h"
#include "marks/MarksContext.h"
#include "marks/MarksFile.h"

#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include <sys/stat.h>

namespace vtm {

namespace {
constexpr int LoadMarkKind = 8;
constexpr std::size_t ReadBlock = 64 * 1024;

std::string IncompatibleText(int language)
{
    return IsGerman(language) ? "Inkompatibles Dateiformat!" : "Not a compatible file!";
}

std::string ReadingFailedText(int language)
{
    return IsGerman(language) ? "Konnte nicht lesen!" : "Reading failed!";
}

std::string OverwriteText(int language, const std::string &name)
{
    return IsGerman(language)
               ? "Die Datei " + name + " existiert bereits. Bestehende Datei überschreiben?"
               : "File " + name + " already exists. Overwrite existing file?";
}

void ShowError(MarksContext &ctx, const std::string &text)
{
    ctx.ShowMessageDlg(text, MessageKind::Error, mbOK, 0);
}

MarksProgress ProgressPane(MarksContext &ctx)
{
    return [&ctx](int percent) { ctx.ShowProgress(std::to_string(percent) + "%"); };
}

// Both dialogs share the current name; its directory is where they start next time.
void SetMarksFileName(MarksContext &ctx, const std::string &name)
{
    ctx.MarksFileName() = name;
    // A first dialog that was cancelled leaves no name: keep the remembered directory.
    if (!name.empty())
        ctx.MarksInitialDir() = DirectoryOf(name);
}

enum class ReadResult { Read, Incompatible, Failed };

using File = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

// Reads until n bytes or the end; false on a read error.
bool ReadUpTo(std::FILE *file, std::uint8_t *into, std::size_t n, std::size_t *got)
{
    *got = 0;
    while (*got < n) {
        const std::size_t r = std::fread(into + *got, 1, n - *got, file);
        if (r == 0)
            break;
        *got += r;
    }
    return !std::ferror(file);
}

// Decodes the file's runs into changes. Runs read before a failure stay recorded.
ReadResult ReadMarksFile(const std::string &name, MarksDecoder &decoder)
{
    // Only a regular file: a pipe or device could block the program or never end.
    struct stat st;
    if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return ReadResult::Failed;
    File file(std::fopen(name.c_str(), "rb"), &std::fclose);
    if (!file)
        return ReadResult::Failed;
    const std::uint64_t length = std::uint64_t(st.st_size);
    std::vector<std::uint8_t> block(ReadBlock);
    std::size_t got = 0;
    if (!ReadUpTo(file.get(), block.data(), MarksMagicSize, &got))
        return ReadResult::Failed;
    if (got < MarksMagicSize && length >= MarksMagicSize)
        return ReadResult::Failed; // shrank while being read
    if (!IsMarksMagic(block.data(), got))
        return ReadResult::Incompatible;
    std::uint64_t total = got;
    for (;;) {
        if (!ReadUpTo(file.get(), block.data(), block.size(), &got))
            return ReadResult::Failed;
        total += got;
        if (!decoder.Feed(block.data(), got))
            return ReadResult::Read; // the document ends; the rest does not matter
        if (got < block.size())
            break;
    }
    return total < length ? ReadResult::Failed : ReadResult::Read;
}
} // namespace

void OpenMarks(MarksContext &ctx)
{
    Document &doc = ctx.Doc();
    if (doc.BufferSize() <= 0 || !doc.Marks())
        return;
    const std::string previous = ctx.MarksFileName();
    std::string chosen;
    bool opened = false;
    if (ctx.RunMarksDialog(false, ctx.MarksInitialDir(), previous, &chosen)) {
        auto changes =
            std::make_unique<TCompoundMarkAction>(LoadMarkKind, ctx.NextCommandNumber(), false);
        ReadResult result = ReadResult::Failed;
        try {
            MarksDecoder decoder(doc, *changes, ProgressPane(ctx));
            result = ReadMarksFile(chosen, decoder);
            if (result == ReadResult::Read)
                decoder.UnmarkRest();
        } catch (const std::bad_alloc &) {
            result = ReadResult::Failed;
        }
        if (!changes->Empty())
            ctx.History().AddAction(std::move(changes), false);
        ctx.ShowProgress(std::string());
        if (result == ReadResult::Incompatible)
            ShowError(ctx, IncompatibleText(ctx.Language()));
        else if (result == ReadResult::Failed)
            ShowError(ctx, ReadingFailedText(ctx.Language()));
        opened = result == ReadResult::Read;
    }
    SetMarksFileName(ctx, opened ? chosen : previous);
    ctx.InvalidateView();
    ctx.UpdateView();
    ctx.UpdateMenus();
}

void SaveMarksAs(MarksContext &ctx)
{
    const std::string previous = ctx.MarksFileName();
    std::string name;
    bool chosen = ctx.RunMarksDialog(true, ctx.MarksInitialDir(), previous, &name);
    // The marks file is not the document: its overwrite question is always asked.
    while (chosen && RegularFileExists(name)) {
        const int answer = ctx.ShowMessageDlgDefault(
            OverwriteText(ctx.Language(), name), MessageKind::Confirmation, mbYesNoCancel, 0, mbNo);
        if (answer == mrYes)
            break;
        std::string other;
        chosen = answer == mrNo && ctx.RunMarksDialog(true, ctx.MarksInitialDir(), name, &other);
        name = other;
    }
    bool saved = false;
    if (chosen) {
        const std::string backup =
            ctx.CreateBackUp() && RegularFileExists(name) ? BackupNameFor(name) : std::string();
        WriteResult result = WriteResult::Failed;
        try {
            const std::vector<std::uint8_t> file = EncodeMarks(ctx.Doc(), ProgressPane(ctx));
            result = WriteFileSafely(name, file.data(), std::int64_t(file.size()), backup);
        } catch (const std::bad_alloc &) {
            result = WriteResult::Failed;
        }
        ctx.ShowProgress(std::string());
        saved = result != WriteResult::Failed;
        if (!saved)
            ShowError(ctx, WriteFailedText(ctx.Language()));
        else if (result == WriteResult::WrittenNoBackup)
            ctx.ShowMessageDlg(BackupFailedText(ctx.Language(), backup), MessageKind::Warning, mbOK,
                               0);
    }
    SetMarksFileName(ctx, saved ? name : previous);
    ctx.UpdateMenus();
}

} // namespace vtm
