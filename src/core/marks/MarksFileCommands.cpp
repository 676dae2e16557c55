#include "marks/MarksFileCommands.h"

#include "document/FileTexts.h"
#include "document/InputFile.h"
#include "document/Language.h"
#include "document/SafeFile.h"
#include "edit/TActions.h"
#include "edit/TCompoundMarkAction.h"
#include "marks/MarkCommands.h"
#include "marks/MarksContext.h"
#include "marks/MarksFile.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <vector>

namespace vtm {

namespace {
constexpr std::size_t ReadBlock = 64 * 1024;
using Bytes = std::vector<std::uint8_t>;

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

void ReportChanged(const Document &doc, std::int64_t count)
{
    if (JobMeter *job = doc.Meter())
        job->setChanged(count);
}

// Decodes the file's runs into changes, reading to the file's end, and counts the bytes
// they describe on a running job. Runs read before a failure or a stop stay recorded.
ReadResult ReadMarksFile(const Document &doc, const std::string &name, MarksDecoder &decoder,
                         FileFailure &why)
{
    InputFile file(name);
    why = file.failure();
    if (!file.isOpen())
        return ReadResult::Failed;
    std::vector<std::uint8_t> block(ReadBlock);
    std::int64_t got = file.read(block.data(), std::int64_t(MarksMagicSize));
    why = file.failure();
    if (got < 0)
        return ReadResult::Failed;
    if (!IsMarksMagic(block.data(), std::size_t(got)))
        return ReadResult::Incompatible;
    for (;;) {
        got = file.read(block.data(), std::int64_t(block.size()));
        if (got < 0) {
            why = file.failure();
            return ReadResult::Failed;
        }
        const std::int64_t before = decoder.Described();
        const bool more = decoder.Feed(block.data(), std::size_t(got));
        doc.Progress(decoder.Described() - before);
        if (!more)
            return ReadResult::Read; // the document ends; the rest does not matter
        if (got < std::int64_t(block.size()))
            return ReadResult::Read;
    }
}
// Writes the marks file in blocks to the file open as fd, counting each on a running job.
// A stop fails the write like an error that leaves the old file as it was and no temporary
// file, but is told apart by `stopped`.
bool WriteCounted(const Document &doc, int fd, const Bytes &file, bool *stopped)
{
    const auto n = std::int64_t(file.size());
    for (std::int64_t at = 0; at < n;) {
        const std::int64_t k = std::min<std::int64_t>(n - at, std::int64_t(ReadBlock));
        if (!WriteAllAt(fd, file.data() + at, k, at))
            return false;
        at += k;
        try {
            doc.Progress(k);
        } catch (const JobStopped &) {
            *stopped = true;
            errno = ECANCELED;
            return false;
        }
    }
    return true;
}
} // namespace

void OpenMarks(MarksContext &ctx)
{
    Document &doc = ctx.Doc();
    if (doc.BufferSize() <= 0)
        return;
    const std::string previous = ctx.MarksFileName();
    std::string chosen;
    bool opened = false, stopped = false;
    std::int64_t made = 0;
    if (ctx.RunMarksDialog(false, ctx.MarksInitialDir(), previous, &chosen)) {
        auto changes = std::make_unique<TCompoundMarkAction>(ActionKind::LoadMark,
                                                             ctx.NextCommandNumber(), false);
        ReadResult result = ReadResult::Failed;
        FileFailure why;
        try {
            MarksDecoder decoder(doc, *changes, ProgressPane(ctx));
            result = ReadMarksFile(doc, chosen, decoder, why);
            // The marks past the file's runs go a stretch of runs at a time.
            while (result == ReadResult::Read && !decoder.AtEnd()) {
                const std::int64_t from = decoder.Described();
                decoder.UnmarkUpTo(
                    StretchEnd(doc.MarkRuns(), from, doc.BufferSize(), RunsPerCount));
                doc.Progress(decoder.Described() - from);
            }
        } catch (const std::bad_alloc &) {
            result = ReadResult::Failed;
            why = FileFailure::Of(FileStep::Reading, FileProblem::NoMemory);
        } catch (const JobStopped &) {
            stopped = true;
        }
        // What was read, also up to a stop, is one step.
        const std::int64_t count = changes->MemberCount();
        if (!changes->Empty() && ctx.History().AddAction(std::move(changes), false))
            made = count;
        ctx.ShowProgress(std::string());
        // A stop is the user's choice: no message, and the file does not become the current.
        if (!stopped && result == ReadResult::Incompatible)
            ShowError(ctx, IncompatibleText(ctx.Language()));
        else if (!stopped && result == ReadResult::Failed)
            ShowError(ctx, WithReason(ReadingFailedText(ctx.Language()), ctx.Language(), why));
        opened = !stopped && result == ReadResult::Read;
    }
    SetMarksFileName(ctx, opened ? chosen : previous);
    ctx.InvalidateView();
    ctx.UpdateView();
    ctx.UpdateMenus();
    if (stopped) {
        ReportChanged(doc, made);
        throw JobStopped();
    }
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
    bool saved = false, stopped = false;
    if (chosen) {
        const Document &doc = ctx.Doc();
        JobMeter *const job = doc.Meter();
        WriteOutcome outcome;
        try {
            // The bar: the offsets the runs cover, then the file's bytes.
            if (job)
                job->setTotal(job->done() + std::min(doc.MarkedEnd(), doc.BufferSize()));
            const std::vector<std::uint8_t> file = EncodeMarks(doc, ProgressPane(ctx));
            if (job)
                job->setTotal(job->done() + std::int64_t(file.size()));
            outcome = WriteFileSafely(
                name, [&](int fd) { return WriteCounted(doc, fd, file, &stopped); },
                std::int64_t(file.size()), ctx.CreateBackUp());
        } catch (const std::bad_alloc &) {
            outcome.result = WriteResult::Failed;
            outcome.failure = FileFailure::Of(FileStep::None, FileProblem::NoMemory);
        } catch (const JobStopped &) { // while encoding: nothing was written
            stopped = true;
            outcome.result = WriteResult::Failed;
        }
        ctx.ShowProgress(std::string());
        saved = outcome.result == WriteResult::Written
                || outcome.result == WriteResult::WrittenNoBackup;
        const OutcomeMessage message = WriteOutcomeMessage(ctx.Language(), outcome);
        // A stop is the user's choice; only a copy of the old file left aside needs telling.
        if (!message.text.empty() && (!stopped || outcome.result == WriteResult::FailedOldKept))
            ctx.ShowMessageDlg(message.text, message.kind, mbOK, 0);
    }
    SetMarksFileName(ctx, saved ? name : previous);
    ctx.UpdateMenus();
    if (stopped)
        throw JobStopped();
}

} // namespace vtm
