#include "gui/print/PrintCommand.h"

#include "app/EditorState.h"
#include "gui/app/MessageDialog.h"
#include "gui/print/QtPrintTarget.h"
#include "gui/print/TPrintCancelForm.h"
#include "print/PrintLayout.h"
#include "print/PrintTexts.h"

#include <QDateTime>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <climits>
#include <memory>

namespace vtm {

namespace {
void tell(QWidget *parent, MessageKind kind, const std::string &text, int language)
{
    MessageRequest r;
    r.text = text;
    r.kind = kind;
    r.buttons = mbOK;
    r.language = language;
    MessageDialog::ask(r, parent);
}

std::int64_t pagesOf(const EditorState &state)
{
    const PrintLayout layout =
        PrintLayout::For(state.HexMode, state.metrics.OffsetDigits, state.doc.BufferSize());
    return PageCount(PrintRowCount(state.doc.BufferSize(), layout.BytesPerRow));
}

int dialogPage(std::int64_t page)
{
    return int(std::clamp<std::int64_t>(page, 1, INT_MAX));
}
} // namespace

PrintInput MakePrintInput(const EditorState &state, std::int64_t firstPage, std::int64_t lastPage,
                          std::string dateTime)
{
    return PrintInput{.doc = state.doc,
                      .HexMode = state.HexMode,
                      .OffsetDigits = state.metrics.OffsetDigits,
                      .NoUnknown = state.NoUnknown,
                      .DoNotPrintMarks = state.DoNotPrintMarks,
                      .PrintMarksHatched = state.PrintMarksHatched,
                      .OpenName = state.OpenName,
                      .DateTime = std::move(dateTime),
                      .Language = state.Language,
                      .FirstPage = firstPage,
                      .LastPage = lastPage};
}

std::string PrintDateTime()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    const QString text = locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
                         + locale.toString(now.time(), QLocale::LongFormat);
    return text.toStdString();
}

bool PrintWithProgress(QWidget *parent, QPrinter &printer, const EditorState &state,
                       std::int64_t firstPage, std::int64_t lastPage, TPrintCancelForm *form)
{
    std::unique_ptr<TPrintCancelForm> own;
    if (!form) {
        own = std::make_unique<TPrintCancelForm>(parent);
        form = own.get();
    }
    const PrintInput input = MakePrintInput(state, firstPage, lastPage, PrintDateTime());
    QtPrintTarget target(printer);
    const PrintResult result = form->run(target, input);
    switch (result.status) {
    case PrintStatus::Done: return true;
    case PrintStatus::Cancelled: return false;
    case PrintStatus::BeginFailed:
        tell(parent, MessageKind::Error, PrintBeginFailedText(state.Language), state.Language);
        return false;
    case PrintStatus::NewPageFailed:
        tell(parent, MessageKind::Error, PrintNewPageFailedText(state.Language, result.failedPage),
             state.Language);
        return false;
    case PrintStatus::Failed:
        tell(parent, MessageKind::Error, form->failure() + ".", state.Language);
        return false;
    }
    return false;
}

void DoPrint(QWidget *parent, const EditorState &state, TPrintCancelForm *form)
{
    const std::int64_t pages = pagesOf(state);
    if (pages < 1)
        return;
    if (QPrinterInfo::availablePrinters().isEmpty())
        tell(parent, MessageKind::Information, NoPrinterText(state.Language), state.Language);

    QPrinter printer(QPrinter::HighResolution);
    printer.setCopyCount(1);
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange
                      | QAbstractPrintDialog::PrintShowPageSize);
    const int proposed = dialogPage(std::min(ProposedPage(state.CursorRow), pages));
    dialog.setMinMax(1, dialogPage(pages));
    dialog.setFromTo(proposed, proposed);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return;

    std::int64_t first = 1, last = pages;
    if (printer.printRange() == QPrinter::PageRange) {
        first = printer.fromPage();
        last = printer.toPage();
    }
    PrintWithProgress(parent, printer, state, first, last, form);
}

} // namespace vtm
