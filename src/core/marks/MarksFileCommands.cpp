#include "marks/MarksFileCommands.h"

#include "document/FileTexts.h"
#include "document/InputFile.h"
#include "document/Language.h"
#include "document/SafeFile.h"
#include "edit/TActions.h"
#include "edit/TCompoundMarkAction.h"
#include "marks/MarksContext.h"
#include "marks/MarksFile.h"

#include <memory>
#include <new>
#include <vector>

namespace vtm {

namespace {
constexpr std::size_t ReadBlock = 64 * 1024;

std::string IncompatibleText(Language language)
{
    return IsGerman(language) ? "Inkompatibles Dateiformat!" : "Not a compatible file!";
}

std::string ReadingFailedText(Language language)
{
    return IsGerman(language) ? "Konnte nicht lesen!" : "Reading failed!";
}

std::string OverwriteText(Language language, const std::string &name)
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

// Decodes the file's runs into changes, reading to the file's end. Runs read before a
// failure stay recorded.
ReadResult ReadMarksFile(const std::string &name, MarksDecoder &decoder)
{
    InputFile file(name);
    if (!file.isOpen())
        return ReadResult::Failed;
    std::vector<std::uint8_t> block(ReadBlock);
    std::int64_t got = file.read(block.data(), std::int64_t(MarksMagicSize));
    if (got < 0)
        return ReadResult::Failed;
    if (!IsMarksMagic(block.data(), std::size_t(got)))
        return ReadResult::Incompatible;
    for (;;) {
        got = file.read(block.data(), std::int64_t(block.size()));
        if (got < 0)
            return ReadResult::Failed;
        if (!decoder.Feed(block.data(), std::size_t(got)))
            return ReadResult::Read; // the document ends; the rest does not matter
        if (got < std::int64_t(block.size()))
            return ReadResult::Read;
    }
}
} // namespace

void OpenMarks(MarksContext &ctx)
{
    Document &doc = ctx.Doc();
    if (doc.BufferSize() <= 0)
        return;
    const std::string previous = ctx.MarksFileName();
    std::string chosen;
    bool opened = false;
    if (ctx.RunMarksDialog(false, ctx.MarksInitialDir(), previous, &chosen)) {
        auto changes = std::make_unique<TCompoundMarkAction>(ActionKind::LoadMark,
                                                             ctx.NextCommandNumber(), false);
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
        WriteOutcome outcome;
        try {
            const std::vector<std::uint8_t> file = EncodeMarks(ctx.Doc(), ProgressPane(ctx));
            outcome =
                WriteFileSafely(name, file.data(), std::int64_t(file.size()), ctx.CreateBackUp());
        } catch (const std::bad_alloc &) {
            outcome.result = WriteResult::Failed;
        }
        ctx.ShowProgress(std::string());
        saved = outcome.result == WriteResult::Written
                || outcome.result == WriteResult::WrittenNoBackup;
        const OutcomeMessage message = WriteOutcomeMessage(ctx.Language(), outcome);
        if (!message.text.empty())
            ctx.ShowMessageDlg(message.text, message.kind, mbOK, 0);
    }
    SetMarksFileName(ctx, saved ? name : previous);
    ctx.UpdateMenus();
}

} // namespace vtm
