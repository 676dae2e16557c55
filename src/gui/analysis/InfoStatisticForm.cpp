#include "gui/analysis/InfoStatisticForm.h"

#include "analysis/Statistics.h"
#include "app/EditorState.h"

#include <QEvent>
#include <QFont>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

namespace vtm {

namespace {
constexpr int PanelHeight = 41;
constexpr int ItemHeight = 16;
constexpr int FontPixels = 13;

// Every row the same fixed height, so the columns and bars read as a table.
class FixedHeightDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), ItemHeight};
    }
};

QFont ListFont()
{
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(FontPixels);
    return f;
}
} // namespace

TInfoStatisticForm::TInfoStatisticForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("InfoStatisticForm"));
    setWindowTitle(QStringLiteral("Info/Statistic"));

    m_listBox = new QListWidget(this);
    m_listBox->setObjectName(QStringLiteral("ListBox"));
    m_listBox->setFont(ListFont());
    m_listBox->setUniformItemSizes(true);
    m_listBox->setItemDelegate(new FixedHeightDelegate(m_listBox));
    m_listBox->setAccessibleName(QStringLiteral("Info/Statistic"));

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setFixedHeight(PanelHeight);
    m_panel->installEventFilter(this);

    m_okButton = new QPushButton(QStringLiteral("OK"), m_panel);
    m_okButton->setObjectName(QStringLiteral("OKButton"));
    m_okButton->setDefault(true);
    m_okButton->resize(std::max(75, m_okButton->sizeHint().width()), 25);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_listBox);
    layout->addWidget(m_panel);
}

void TInfoStatisticForm::showStatistics(const EditorState &state)
{
    const Document &doc = state.doc;
    if (doc.BufferSize() <= 0)
        return;
    showStatistics(state, CountStatistics(doc));
}

void TInfoStatisticForm::showStatistics(const EditorState &state, const ByteStatistics &stats)
{
    const Document &doc = state.doc;
    if (doc.BufferSize() <= 0)
        return;
    const std::string separator = QLocale::system().decimalPoint().toStdString();
    // isModified compares with the saved contents, so undoing back to them reads "No".
    execWith(StatisticLines(stats, doc.BufferSize(), doc.isModified(), state.OpenName,
                            state.settings.Language, state.settings.NoUnknown, separator,
                            doc.SectorSize()));
}

void TInfoStatisticForm::ShowStatistics(QWidget *parent, const EditorState &state,
                                        const ByteStatistics &stats)
{
    TInfoStatisticForm form(parent);
    form.showStatistics(state, stats);
}

void TInfoStatisticForm::execWith(const std::vector<std::string> &lines)
{
    QStringList items;
    items.reserve(qsizetype(lines.size()));
    for (const std::string &line : lines)
        items << QString::fromStdString(line);
    m_listBox->clear();
    m_listBox->addItems(items);
    m_okButton->setFocus();
    exec();
    m_listBox->clear();
}

void TInfoStatisticForm::reject()
{
    accept();
}

void TInfoStatisticForm::showEvent(QShowEvent *event)
{
    // The middle three quarters of the screen, whatever it was the time before.
    if (const QScreen *s = screen()) {
        const QRect g = s->geometry();
        setGeometry(g.x() + g.width() / 8, g.y() + g.height() / 8, g.width() * 6 / 8,
                    g.height() * 6 / 8);
    }
    QDialog::showEvent(event);
}

bool TInfoStatisticForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panel && event->type() == QEvent::Resize)
        centreOKButton();
    return QDialog::eventFilter(watched, event);
}

void TInfoStatisticForm::centreOKButton()
{
    m_okButton->move((m_panel->width() - m_okButton->width()) / 2,
                     (m_panel->height() - m_okButton->height()) / 2);
}

} // namespace vtm
