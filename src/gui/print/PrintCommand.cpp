#include "gui/print/PrintCommand.h"

#include "app/EditorState.h"
#include "gui/app/MessageDialog.h"
#include "gui/print/QtPrintTarget.h"
#include "gui/print/TPrintCancelForm.h"
#include "print/PrintFlow.h"
#include "print/PrintTexts.h"

#include <QDateTime>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace vtm {

namespace {
void tell(QWidget *parent, MessageKind kind, const std::string &text, Language language)
{
    MessageRequest r;
    r.text = text;
    r.kind = kind;
    r.buttons = mbOK;
    r.language = language;
    MessageDialog::ask(r, parent);
}
} // namespace

PrintInput MakePrintInput(const EditorState &state, std::int64_t firstPage, std::int64_t lastPage,
                          std::string dateTime)
{
    return PrintInput{.doc = state.doc,
                      .HexMode = state.view.HexMode,
                      .OffsetDigits = state.view.metrics.OffsetDigits,
                      .NoUnknown = state.settings.NoUnknown,
                      .DoNotPrintMarks = state.settings.MarksPrinting == PrintMarks::None,
                      .PrintMarksHatched = state.settings.MarksPrinting == PrintMarks::Hatched,
                      .OpenName = state.OpenName,
                      .DateTime = std::move(dateTime),
                      .Language = state.settings.Language,
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

bool PrintWithProgress(QWidget *parent, QPrinter &printer, EditorState &state,
                       std::int64_t firstPage, std::int64_t lastPage, TPrintCancelForm *form)
{
    std::unique_ptr<TPrintCancelForm> own;
    if (!form) {
        own = std::make_unique<TPrintCancelForm>(parent);
        form = own.get();
    }
    const PrintInput input = MakePrintInput(state, firstPage, lastPage, PrintDateTime());
    QtPrintTarget target(printer);
    const PrintResult result = form->run(target, input, state.doc);
    if (const auto text = PrintErrorText(result, form->failure(), state.settings.Language))
        tell(parent, MessageKind::Error, *text, state.settings.Language);
    return result.status == PrintStatus::Done;
}

void DoPrint(QWidget *parent, EditorState &state, TPrintCancelForm *form)
{
    const PrintPlan plan =
        PlanPrint(state.view.HexMode, state.doc.BufferSize(), state.view.CursorRow);
    if (plan.pages < 1)
        return;
    if (QPrinterInfo::availablePrinters().isEmpty())
        tell(parent, MessageKind::Information, NoPrinterText(state.settings.Language),
             state.settings.Language);

    QPrinter printer(QPrinter::HighResolution);
    printer.setCopyCount(1);
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange
                      | QAbstractPrintDialog::PrintShowPageSize);
    const int proposed = DialogPageNumber(plan.proposedPage);
    dialog.setMinMax(1, DialogPageNumber(plan.pages));
    dialog.setFromTo(proposed, proposed);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return;

    const PageRange range = ChosenPages(plan, printer.printRange() == QPrinter::PageRange,
                                        printer.fromPage(), printer.toPage());
    PrintWithProgress(parent, printer, state, range.first, range.last, form);
}

} // namespace vtm
