#pragma once

#include "document/Language.h"
#include "search/Goto.h"
#include "search/IntData.h"

#include <QDialog>

#include <cstdint>

class QFrame;
class QLabel;
class QPushButton;

namespace vtm {

class THexIntEdit;
class TDecIntEdit;

// Asks for a byte offset (go-to) or a count (delete bytes) in hex and decimal at once.
// Created once and kept, so the texts typed last time come back while the value is the same.
class TGotoForm : public QDialog
{
    Q_OBJECT
public:
    explicit TGotoForm(QWidget *parent = nullptr);
    ~TGotoForm() override;

    // Offers value, shows the dialog modally and, on OK, stores the entered number in
    // *result. Returns whether the user confirmed.
    bool ask(GotoFormMode mode, Language language, std::int64_t value, std::int64_t *result);
    // The texts for language and mode, and the focus in the hex view; ask() does this.
    void prepare(GotoFormMode mode, Language language);

    TIntData &GotoData() { return m_gotoData; }
    THexIntEdit *HexEdit() const { return m_hexEdit; }
    TDecIntEdit *DecEdit() const { return m_decEdit; }
    QLabel *MainLabel() const { return m_mainLabel; }
    QPushButton *OKButton() const { return m_okButton; }
    QPushButton *CancelButton() const { return m_cancelButton; }

private:
    void clear(QWidget *focusTarget);

    TIntData m_gotoData;
    QLabel *m_mainLabel = nullptr;
    QLabel *m_hexLabel = nullptr;
    QLabel *m_decLabel = nullptr;
    THexIntEdit *m_hexEdit = nullptr;
    TDecIntEdit *m_decEdit = nullptr;
    QFrame *m_hexPanel = nullptr;
    QFrame *m_decPanel = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};

} // namespace vtm
