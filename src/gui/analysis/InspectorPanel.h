#pragma once

#include "analysis/Inspector.h"
#include "document/Language.h"

#include <QScrollArea>

#include <array>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace vtm {

// The data inspector beside the dump: what the bytes at the cursor read as, one row per
// type, and the byte order they are read in. It only shows what the editor hands it; typed
// values and the chosen byte order go back to the editor through the signals.
class InspectorPanel : public QScrollArea
{
    Q_OBJECT
public:
    InspectorPanel(const QFont &valueFont, QWidget *parent = nullptr);

    void setLanguage(Language language);
    void showTexts(const InspectorTexts &texts);
    // The radio buttons, without a signal.
    void setBigEndian(bool bigEndian);
    // The keys go to the first field that can be typed over; Tab and the arrow keys move
    // between the fields, Enter or Esc gives them back.
    void focusFirstField();
    // The same in every language, so that switching it never resizes the window.
    int panelWidth() const { return m_width; }

    // The value of a row: a label, or for the numbers a field to type into.
    QLabel *valueLabel(InspectorRow row) const { return m_labels[std::size_t(row)]; }
    QLineEdit *valueEdit(InspectorRow row) const { return m_edits[std::size_t(row)]; }
    QLabel *caption(InspectorRow row) const { return m_captions[std::size_t(row)]; }
    QRadioButton *bigEndianButton() const { return m_big; }
    QRadioButton *littleEndianButton() const { return m_little; }

signals:
    void valueEntered(vtm::InspectorRow row, const QString &text);
    void byteOrderChosen(bool bigEndian);
    // Enter or Escape in a field: the keys belong to the dump again.
    void editingDone();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::array<QLabel *, InspectorRowCount> m_captions{};
    std::array<QLabel *, InspectorRowCount> m_labels{};
    std::array<QLineEdit *, InspectorRowCount> m_edits{};
    InspectorTexts m_shown;
    QLabel *m_title = nullptr;
    QRadioButton *m_little = nullptr;
    QRadioButton *m_big = nullptr;
    int m_width = 0;
};

} // namespace vtm
