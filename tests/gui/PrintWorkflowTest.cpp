#include "app/EditorState.h"
#include "gui/app/MessageDialog.h"
#include "gui/print/PrintCommand.h"
#include "gui/print/QtPrintTarget.h"
#include "gui/print/TPrintCancelForm.h"
#include "print/PrintTexts.h"
#include "view/Layout.h"

#include "ModalScript.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace vtm;
using namespace vtmtest;

namespace {

void Fill(EditorState &s, std::int64_t n)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n));
    for (std::int64_t i = 0; i < n; ++i)
        bytes[std::size_t(i)] = std::uint8_t(0x30 + i % 64);
    s.doc.loadBytes(bytes.data(), n);
    s.view.fontCharWidth = 8;
    s.view.fontCharHeight = 16;
    s.settings.Language = LanguageEnglish;
    s.OpenName = "/data/sample.bin";
    ComputeLayout(s.view, s.doc.BufferSize());
}

void ToPdf(QPrinter &printer, const QString &path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
}

QString Run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed (poppler-utils installed?)";
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

int PdfPages(const QString &path)
{
    const QString info = Run(QStringLiteral("pdfinfo"), {path});
    for (const QString &line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

QStringList PdfLines(const QString &path, int page)
{
    const QString p = QString::number(page);
    const QString text =
        Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), p,
                                          QStringLiteral("-l"), p, path, QStringLiteral("-")});
    QStringList lines;
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            lines << line.simplified();
    return lines;
}

QString AccessibleName(QObject *o)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(o);
    return iface ? iface->text(QAccessible::Name) : QString();
}

} // namespace

TEST(PrintWorkflow, TwoMarkedPagesToPdf)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    EditorState s;
    Fill(s, 16 * 68 * 3);
    for (std::int32_t o = 0; o < 16 * 68 * 2; o += 7)
        s.doc.SetMark(o, std::uint8_t(1 + o % 6));
    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, pdf);

    TPrintCancelForm form;
    QStringList labels;
    QObject::connect(&form, &TPrintCancelForm::pageStarted, [&] {
        labels << form.ProgressLabel()->text();
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Printing..."));
        EXPECT_EQ(AccessibleName(form.CancelButton()), QStringLiteral("Stop"));
        EXPECT_EQ(AccessibleName(form.ProgressLabel()), form.ProgressLabel()->text());
        EXPECT_NE(s.doc.Meter(), nullptr); // no other command runs meanwhile
    });
    EXPECT_TRUE(PrintWithProgress(nullptr, printer, s, 2, 3, &form));
    EXPECT_EQ(s.doc.Meter(), nullptr);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(labels, QStringList({QStringLiteral("Page: 2"), QStringLiteral("Page: 3")}));

    ASSERT_EQ(PdfPages(pdf), 2);
    // The second sheet is page 3: its header, the column header, then rows from 0x880 on.
    const QStringList lines = PdfLines(pdf, 2);
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("/data/sample.bin"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" 3"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("0 1 2 3 4 5 6 7 8 9 A B C D E F")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("880 30 31 32 33 34 35 36 37")))
        << lines[2].toStdString();
    EXPECT_EQ(lines.size(), 2 + 68);
}

TEST(PrintWorkflow, StopAfterTheFirstPageGivesOneSheet)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("stop.pdf"));
    EditorState s;
    Fill(s, 16 * 68 * 5);
    s.settings.Language = LanguageGerman;
    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, pdf);

    TPrintCancelForm form;
    QObject::connect(&form, &TPrintCancelForm::pageStarted, [&](qint64 page) {
        if (page != 1)
            return;
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Drucke..."));
        EXPECT_EQ(form.ProgressLabel()->text(), QStringLiteral("Seite: 1"));
        // Escape presses Stop; the window stays until the page is done.
        QTest::keyClick(&form, Qt::Key_Escape);
        EXPECT_TRUE(form.Cancelled());
        EXPECT_TRUE(form.isVisible());
    });
    EXPECT_FALSE(PrintWithProgress(nullptr, printer, s, 1, 5, &form));
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(PdfPages(pdf), 1);
    EXPECT_EQ(PdfLines(pdf, 1).size(), 2 + 68);
}

TEST(PrintWorkflow, FailedJobIsReported)
{
    QTemporaryDir dir;
    EditorState s;
    Fill(s, 100);
    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, dir.filePath(QStringLiteral("missing/dir/out.pdf")));
    ModalScript script({[](QWidget *) {}, Click(mbOK)});
    EXPECT_FALSE(PrintWithProgress(nullptr, printer, s, 1, 1));
    EXPECT_TRUE(script.done());
    EXPECT_EQ(script.texts, QStringList(QString::fromUtf8(PrintBeginFailedText(LanguageEnglish))));
}

TEST(PrintWorkflow, HatchesStayVisibleAtPrinterResolution)
{
    // A small 1200 dpi sheet: lines must be thicker and farther apart than a device pixel.
    QImage page(2400, 3200, QImage::Format_RGB32);
    page.fill(Qt::white);
    page.setDotsPerMeterX(47244);
    page.setDotsPerMeterY(47244);
    QtPrintTarget target(page, [] { return false; });
    ASSERT_TRUE(target.beginJob("t"));
    target.setFont(100);
    const MarkBoxStyle horizontal{true, colors::White, Hatch::Horizontal};
    const MarkBoxStyle diagonal{true, colors::White, Hatch::DiagonalCross};
    target.box(100, 100, 500, 400, horizontal);
    target.box(600, 100, 1000, 400, diagonal);
    target.endJob();

    auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
    const int spacing = target.hatchSpacing();
    EXPECT_GE(target.lineWidth(), 4);
    EXPECT_GE(spacing, 24);
    // Down the middle of the horizontal hatch: dark runs of the line width, spacing apart.
    int runs = 0, longest = 0, run = 0;
    for (int y = 110; y < 390; ++y) {
        if (dark(300, y)) {
            longest = std::max(longest, ++run);
        } else {
            runs += run > 0;
            run = 0;
        }
    }
    EXPECT_GE(runs, (390 - 110) / spacing - 1);
    EXPECT_GE(longest, target.lineWidth());
    EXPECT_LT(longest, spacing);
    // The outline frames the box; outside it the sheet stays white.
    EXPECT_TRUE(dark(101, 250));
    EXPECT_TRUE(dark(498, 250));
    EXPECT_FALSE(dark(90, 250));
    EXPECT_FALSE(dark(510, 250));
    int diagonalDark = 0;
    for (int y = 110; y < 390; ++y)
        for (int x = 610; x < 990; ++x)
            diagonalDark += dark(x, y);
    const double share = double(diagonalDark) / (280.0 * 380.0);
    EXPECT_GT(share, 0.1);
    EXPECT_LT(share, 0.6);
}

TEST(PrintWorkflow, PrintDialogPrintsToPdfWithoutPrinter)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("dialog.pdf"));
    EditorState s;
    Fill(s, 16 * 68 * 4);
    s.view.CursorRow = 70;
    std::deque<ModalScript::Answer> answers;
    const bool noPrinter = QPrinterInfo::availablePrinters().isEmpty();
    if (noPrinter)
        answers.push_back(Click(mbOK));
    answers.push_back([&](QWidget *w) {
        auto *dialog = qobject_cast<QPrintDialog *>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->minPage(), 1);
        EXPECT_EQ(dialog->maxPage(), 4);
        EXPECT_EQ(dialog->fromPage(), 2);
        EXPECT_EQ(dialog->toPage(), 2);
        EXPECT_FALSE(dialog->testOption(QAbstractPrintDialog::PrintSelection));
        auto *file = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
        ASSERT_NE(file, nullptr);
        auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
        ASSERT_NE(printers, nullptr);
        printers->setCurrentIndex(printers->count() - 1); // "Print to File (PDF)"
        file->setText(pdf);
        dialog->accept();
    });
    answers.push_back([](QWidget *) {}); // the progress window closes by itself
    ModalScript script(answers);
    DoPrint(nullptr, s);
    EXPECT_TRUE(script.done());
    if (noPrinter) {
        EXPECT_EQ(script.texts.value(0), QString::fromUtf8(NoPrinterText(LanguageEnglish))
                                             .replace(QLatin1Char('\r'), QLatin1Char('\n')));
    }
    EXPECT_EQ(PdfPages(pdf), 4);
}
