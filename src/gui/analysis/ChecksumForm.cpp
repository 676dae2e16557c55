#include "gui/analysis/ChecksumForm.h"

#include "app/JobTexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>

namespace vtm {

namespace {
QString Text(const std::string &s)
{
    return QString::fromUtf8(s);
}

QString Title(bool de)
{
    return de ? QStringLiteral("Prüfsummen") : QStringLiteral("Checksums");
}

QString Bytes(std::int64_t n, Language language)
{
    const bool de = IsGerman(language);
    return Text(GroupedNumber(n, language)) + (n == 1 ? (de ? QStringLiteral(" Byte") : QStringLiteral(" byte"))
                                                     : (de ? QStringLiteral(" Bytes") : QStringLiteral(" bytes")));
}

QString RunText(std::int64_t from, std::int64_t to, Language language)
{
    return (IsGerman(language) ? QStringLiteral("ab Offset ") : QStringLiteral("from offset "))
           + Text(GroupedNumber(from, language)) + QStringLiteral(", ") + Bytes(to - from, language);
}
} // namespace

bool RunChecksumDialog(QWidget *parent, Language language, ChecksumRequest &request)
{
    const bool de = IsGerman(language);
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ChecksumForm"));
    dialog.setWindowTitle(Title(de));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(de ? QStringLiteral("Berechnen:") : QStringLiteral("Compute:")));
    std::array<QCheckBox *, ChecksumCount> boxes{};
    for (int i = 0; i < ChecksumCount; ++i) {
        boxes[std::size_t(i)] = new QCheckBox(QString::fromLatin1(ChecksumName(Checksum(i))));
        boxes[std::size_t(i)]->setChecked(request.set & Bit(Checksum(i)));
        layout->addWidget(boxes[std::size_t(i)]);
    }
    layout->addSpacing(8);
    layout->addWidget(new QLabel(de ? QStringLiteral("Über:") : QStringLiteral("Over:")));
    auto *whole = new QRadioButton((de ? QStringLiteral("das ganze Dokument, ")
                                       : QStringLiteral("the whole document, "))
                                   + Bytes(request.size, language));
    const bool hasRun = request.runEnd > request.runStart;
    auto *run = new QRadioButton(
        hasRun ? (de ? QStringLiteral("die markierte Folge am Cursor, ")
                     : QStringLiteral("the marked run at the cursor, "))
                     + RunText(request.runStart, request.runEnd, language)
               : (de ? QStringLiteral("die markierte Folge am Cursor (das Byte am Cursor ist nicht "
                                      "markiert)")
                     : QStringLiteral("the marked run at the cursor (the byte at the cursor is not "
                                      "marked)")));
    run->setEnabled(hasRun);
    (hasRun && request.markedRun ? run : whole)->setChecked(true);
    layout->addWidget(whole);
    layout->addWidget(run);

    auto *buttons = new QDialogButtonBox;
    QPushButton *compute = buttons->addButton(de ? QStringLiteral("Berechnen") : QStringLiteral("Compute"),
                                              QDialogButtonBox::AcceptRole);
    buttons->addButton(de ? QStringLiteral("Abbrechen") : QStringLiteral("Cancel"),
                       QDialogButtonBox::RejectRole);
    compute->setDefault(true);
    layout->addWidget(buttons);
    auto chosen = [&] {
        ChecksumSet set = 0;
        for (int i = 0; i < ChecksumCount; ++i)
            if (boxes[std::size_t(i)]->isChecked())
                set |= Bit(Checksum(i));
        return set;
    };
    // Nothing to compute: nothing to press.
    auto update = [&] { compute->setEnabled(chosen() != 0); };
    for (QCheckBox *box : boxes)
        QObject::connect(box, &QCheckBox::toggled, &dialog, update);
    update();
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    request.set = chosen();
    request.markedRun = hasRun && run->isChecked();
    return true;
}

void ShowChecksums(QWidget *parent, Language language, const ChecksumReport &report)
{
    const bool de = IsGerman(language);
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ChecksumResults"));
    dialog.setWindowTitle(Title(de));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(
        report.markedRun
            ? (de ? QStringLiteral("Der markierten Folge ") : QStringLiteral("Of the marked run "))
                  + RunText(report.from, report.to, language) + QStringLiteral(":")
            : (de ? QStringLiteral("Des ganzen Dokuments, ") : QStringLiteral("Of the whole document, "))
                  + Bytes(report.to - report.from, language) + QStringLiteral(":")));
    auto *list = new QTreeWidget;
    list->setObjectName(QStringLiteral("ChecksumList"));
    list->setColumnCount(2);
    list->setHeaderLabels({de ? QStringLiteral("Verfahren") : QStringLiteral("Algorithm"),
                           de ? QStringLiteral("Wert") : QStringLiteral("Value")});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QString copied;
    int widest = 0;
    for (const auto &[kind, value] : report.results) {
        const QString name = QString::fromLatin1(ChecksumName(kind));
        const QString text = QString::fromLatin1(value.c_str());
        list->addTopLevelItem(new QTreeWidgetItem({name, text}));
        copied += name + QStringLiteral(": ") + text + QLatin1Char('\n');
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(text));
    }
    // The header's word may be wider than the names under it.
    list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list->header()->setStretchLastSection(true);
    list->setMinimumWidth(list->header()->sectionSizeHint(0) + widest + 60);
    layout->addWidget(list);

    auto *buttons = new QDialogButtonBox;
    QPushButton *copy = buttons->addButton(de ? QStringLiteral("Kopieren") : QStringLiteral("Copy"),
                                           QDialogButtonBox::ActionRole);
    QPushButton *close = buttons->addButton(de ? QStringLiteral("Schließen") : QStringLiteral("Close"),
                                            QDialogButtonBox::RejectRole);
    close->setDefault(true);
    layout->addWidget(buttons);
    QObject::connect(copy, &QPushButton::clicked, &dialog,
                     [copied] { QApplication::clipboard()->setText(copied); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.exec();
}

} // namespace vtm
