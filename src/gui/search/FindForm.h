#pragma once

#include "document/Language.h"
#include "search/BytesData.h"
#include "search/FindState.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

namespace vtm {

class THexDataEdit;
class TDecDataEdit;
class TCharDataEdit;

// The find dialog for Find, Replace and Find and mark: the search string, the replacement or
// the mark colour, and the options. Created once and kept; what it holds lives in FindState.
class TFindForm : public QDialog
{
    Q_OBJECT
public:
    explicit TFindForm(QWidget *parent = nullptr);
    ~TFindForm() override;

    // Shows state in the dialog for mode, runs it modally and writes the fields back to state
    // (on Cancel too). *result gets mrOk, FindResultAll or mrCancel; SearchAccepted is set
    // when the user confirmed, which the return value also says.
    bool ask(FindFormMode mode, Language language, FindState &state, int *result = nullptr);
    // The fields from state, then texts, panels, button layout and focus for mode.
    void load(const FindState &state);
    void prepare(FindFormMode mode, Language language);
    void store(FindState &state) const;

    TBytesData &FindData() { return m_findData; }
    TBytesData &ReplaceData() { return m_replaceData; }
    THexDataEdit *HexFEdit() const { return m_fEdits[0]; }
    TDecDataEdit *DecFEdit() const;
    TCharDataEdit *CharFEdit() const;
    THexDataEdit *HexREdit() const { return m_rEdits[0]; }
    QWidget *FindPanel() const { return m_findPanel; }
    QWidget *ReplacePanel() const { return m_replacePanel; }
    QWidget *MarkPanel() const { return m_markPanel; }
    QWidget *OptionPanel() const { return m_optionPanel; }
    QLabel *FLabel() const { return m_fLabel; }
    QCheckBox *CaseCB() const { return m_caseCB; }
    QCheckBox *ConfirmCB() const { return m_confirmCB; }
    QRadioButton *BeginCursorRB() const { return m_beginCursorRB; }
    QRadioButton *BeginStartEndRB() const { return m_beginStartEndRB; }
    QRadioButton *DirectionDownRB() const { return m_directionDownRB; }
    QRadioButton *DirectionUpRB() const { return m_directionUpRB; }
    // Colour index 1..6 to its radio button and swatch.
    QRadioButton *ColorRadioButton(int color) const;
    QWidget *ColorShape(int color) const;
    QPushButton *OKButton() const { return m_okButton; }
    QPushButton *AllButton() const { return m_allButton; }
    QPushButton *CancelButton() const { return m_cancelButton; }

private:
    void FindDataChanged();
    void placeButtons();
    using DataEdits = std::array<THexDataEdit *, 3>;
    QWidget *buildBytesPanel(TBytesData &data, DataEdits &edits, QLabel *&title,
                             std::array<QLabel *, 3> &labels);
    QWidget *buildMarkPanel();
    QWidget *buildOptionPanel();

    TBytesData m_findData;
    TBytesData m_replaceData;
    std::array<THexDataEdit *, 3> m_fEdits{};
    std::array<THexDataEdit *, 3> m_rEdits{};
    std::array<QLabel *, 3> m_fLabels{};
    std::array<QLabel *, 3> m_rLabels{};
    QLabel *m_fLabel = nullptr;
    QLabel *m_rLabel = nullptr;
    QWidget *m_findPanel = nullptr;
    QWidget *m_replacePanel = nullptr;
    QWidget *m_markPanel = nullptr;
    QWidget *m_optionPanel = nullptr;
    QWidget *m_buttonPanel = nullptr;
    QLabel *m_markLabel = nullptr;
    std::array<QRadioButton *, 6> m_colorRBs{};
    std::array<QWidget *, 6> m_shapes{};
    QButtonGroup *m_colorGroup = nullptr;
    QLabel *m_optionLabel = nullptr;
    QCheckBox *m_caseCB = nullptr;
    QCheckBox *m_confirmCB = nullptr;
    QLabel *m_beginLabel = nullptr;
    QRadioButton *m_beginCursorRB = nullptr;
    QRadioButton *m_beginStartEndRB = nullptr;
    QLabel *m_directionLabel = nullptr;
    QRadioButton *m_directionDownRB = nullptr;
    QRadioButton *m_directionUpRB = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_allButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    FindFormMode m_mode = FindFormMode::Find;
    int m_buttonWidth = 85;
};

} // namespace vtm
