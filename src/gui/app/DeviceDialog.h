#pragma once

#include "app/DeviceList.h"
#include "document/Language.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace vtm {

// The chooser of Disks and partitions: each disk with its partitions beneath it.
class DeviceDialog : public QDialog
{
    Q_OBJECT
public:
    DeviceDialog(const std::vector<BlockDeviceEntry> &entries, Language language,
                 QWidget *parent = nullptr);

    // The chosen entry's index, -1 while nothing is selected.
    int chosen() const;

    QTreeWidget *tree() const { return m_tree; } // null when the list is empty
    QLabel *promptLabel() const { return m_prompt; }
    QPushButton *openButton() const { return m_open; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    QLabel *m_prompt = nullptr;
    QTreeWidget *m_tree = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_cancel = nullptr;
};

// The chooser over the entries; false when cancelled, else *index is the chosen entry.
bool RunDeviceDialog(QWidget *parent, const std::vector<BlockDeviceEntry> &entries,
                     Language language, int *index);

} // namespace vtm
