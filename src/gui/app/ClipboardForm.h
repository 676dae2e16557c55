#pragma once

#include "document/Language.h"
#include <QDialog>

#include <array>

#include <string>
#include <vector>

class QFont;
class QLabel;
class QListWidget;
class QPushButton;

namespace vtm {

// The chooser of Open clipboard: one line per format the clipboard offers, under column
// labels that line up with the list's fixed-pitch columns.
class TClipboardForm : public QDialog
{
    Q_OBJECT
public:
    // The list is drawn in the dump's font, which the main window already holds.
    explicit TClipboardForm(const QFont &dumpFont, QWidget *parent = nullptr);

    // Fills the list and shows the chooser; false when cancelled, else *index is the line.
    bool ask(const std::vector<std::string> &lines, Language language, int *index);
    void prepare(const std::vector<std::string> &lines, Language language);

    QListWidget *ListBox() const { return m_list; }
    QPushButton *OKButton() const { return m_ok; }
    QPushButton *CancelButton() const { return m_cancel; }
    QLabel *ColumnLabel(int i) const { return m_labels[std::size_t(i)]; }

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeLabels();

    QWidget *m_titel = nullptr;
    std::array<QLabel *, 5> m_labels{};
    QListWidget *m_list = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace vtm
