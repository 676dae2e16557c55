#include "gui/app/DeviceDialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

namespace vtm {

namespace {
QString Text(const std::string &s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

constexpr int IndexRole = Qt::UserRole;
} // namespace

DeviceDialog::DeviceDialog(const std::vector<BlockDeviceEntry> &entries, Language language,
                           QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    const DeviceChooserTexts t = DeviceChooserTextsOf(language);
    setWindowTitle(Text(t.title));
    auto *layout = new QVBoxLayout(this);

    m_prompt = new QLabel(Text(t.prompt), this);
    m_prompt->setWordWrap(true);
    layout->addWidget(m_prompt);
    if (entries.empty())
        layout->addWidget(new QLabel(Text(t.empty), this));

    m_open = new QPushButton(Text(t.open), this);
    m_open->setDefault(true);
    m_open->setEnabled(false);
    m_cancel = new QPushButton(Text(t.cancel), this);
    connect(m_open, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    if (!entries.empty()) {
        m_tree = new QTreeWidget(this);
        QStringList headers;
        for (const std::string &h : DeviceListHeaders(language))
            headers << Text(h);
        m_tree->setHeaderLabels(headers);
        m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
        m_tree->setAllColumnsShowFocus(true);
        m_tree->setUniformRowHeights(true);
        QTreeWidgetItem *disk = nullptr;
        const BlockDeviceEntry *diskEntry = nullptr;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const BlockDeviceEntry &e = entries[i];
            QStringList cells;
            for (const std::string &c : DeviceListCells(e, language))
                cells << Text(c);
            // A partition goes beneath its disk, which the list puts right before it.
            const bool child = e.partition && diskEntry && diskEntry->name == e.parent;
            auto *item = child ? new QTreeWidgetItem(disk, cells) : new QTreeWidgetItem(cells);
            item->setData(0, IndexRole, int(i));
            // Sizes line up on the right like numbers do.
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
            if (!child)
                m_tree->addTopLevelItem(item);
            if (!e.partition) {
                disk = item;
                diskEntry = &e;
            }
        }
        m_tree->expandAll();
        int width = 0;
        for (int c = 0; c < m_tree->columnCount(); ++c) {
            m_tree->resizeColumnToContents(c);
            width += m_tree->columnWidth(c);
        }
        const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        const int most = screen ? screen->availableGeometry().width() * 9 / 10 : 1200;
        m_tree->setMinimumWidth(std::min(width + 2 * m_tree->frameWidth() + 24, most));
        connect(m_tree, &QTreeWidget::itemSelectionChanged, this,
                [this] { m_open->setEnabled(chosen() >= 0); });
        connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] {
            if (chosen() >= 0)
                accept();
        });
        layout->addWidget(m_tree, 1);
        setTabOrder(m_tree, m_open);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_open);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    setTabOrder(m_open, m_cancel);
    if (m_tree)
        m_tree->setFocus();
}

int DeviceDialog::chosen() const
{
    if (!m_tree)
        return -1;
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    return selected.isEmpty() ? -1 : selected.front()->data(0, IndexRole).toInt();
}

bool RunDeviceDialog(QWidget *parent, const std::vector<BlockDeviceEntry> &entries,
                     Language language, int *index)
{
    DeviceDialog dialog(entries, language, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen() < 0)
        return false;
    *index = dialog.chosen();
    return true;
}

} // namespace vtm
