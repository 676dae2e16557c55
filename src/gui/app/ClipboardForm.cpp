#include "gui/app/ClipboardForm.h"

#include "app/ClipboardFormats.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vtm {

TClipboardForm::TClipboardForm(const QFont &dumpFont, QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_titel = new QWidget(this);
    m_titel->setFixedHeight(29);
    for (QLabel *&label : m_labels)
        label = new QLabel(m_titel);
    m_list = new QListWidget(this);
    m_list->setFont(dumpFont);
    m_list->setFixedHeight(176);
    m_list->setUniformItemSizes(true);
    m_labels[0]->setBuddy(m_list);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    m_ok = new QPushButton(this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addSpacing(16);
    buttons->addWidget(m_cancel);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 0, 8, 12);
    layout->addWidget(m_titel);
    layout->addWidget(m_list);
    layout->addStretch();
    layout->addLayout(buttons);
    // Wide enough for the lines' 42 fixed columns and a name behind them.
    resize(std::max(603, 60 * QFontMetrics(dumpFont).horizontalAdvance(QLatin1Char('0')) + 16),
           257);
    setTabOrder(m_list, m_ok);
    setTabOrder(m_ok, m_cancel);
}

void TClipboardForm::prepare(const std::vector<std::string> &lines, Language language)
{
    const ClipboardChooserTexts t = ClipboardTexts(language);
    setWindowTitle(QString::fromStdString(t.caption));
    m_ok->setText(QString::fromStdString(t.ok));
    m_cancel->setText(QString::fromStdString(t.cancel));
    const std::string *captions[] = {&t.idDec, &t.idHex, &t.sizeDec, &t.sizeHex, &t.name};
    for (std::size_t i = 0; i < m_labels.size(); ++i)
        m_labels[i]->setText(QString::fromStdString(*captions[i]));
    m_list->clear();
    for (const std::string &line : lines)
        m_list->addItem(QString::fromStdString(line));
    placeLabels();
}

bool TClipboardForm::ask(const std::vector<std::string> &lines, Language language, int *index)
{
    prepare(lines, language);
    if (exec() != QDialog::Accepted || m_list->currentRow() < 0)
        return false;
    *index = m_list->currentRow();
    return true;
}

void TClipboardForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    m_list->setFocus();
    placeLabels();
}

void TClipboardForm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    placeLabels();
}

void TClipboardForm::placeLabels()
{
    const int w = QFontMetrics(m_list->font()).horizontalAdvance(QLatin1Char('0'));
    const int frame = (m_list->width() - m_list->viewport()->width()) / 2;
    // The list's text starts past its frame and the item's own margin.
    const int b = m_list->x() - m_titel->x() + frame
                  + m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list) + 1;
    const ClipboardColumns c = ClipboardColumnEdges(w, b);
    const int rights[] = {c.idDecRight, c.idHexRight, c.sizeDecRight, c.sizeHexRight};
    for (int i = 0; i < 4; ++i) {
        QLabel *l = m_labels[std::size_t(i)];
        l->adjustSize();
        l->move(rights[i] - l->width(), m_titel->height() - l->height() - 2);
    }
    m_labels[4]->adjustSize();
    m_labels[4]->move(c.nameLeft, m_titel->height() - m_labels[4]->height() - 2);
}

} // namespace vtm
