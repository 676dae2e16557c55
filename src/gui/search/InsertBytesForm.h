#pragma once

#include "document/Language.h"
#include "edit/ByteRunCommands.h"
#include "search/BytesData.h"
#include "search/IntData.h"

#include <QDialog>

#include <array>

class QFrame;
class QLabel;
class QPushButton;

namespace vtm {

class THexIntEdit;
class TDecIntEdit;
class THexDataEdit;
class TDecDataEdit;
class TCharDataEdit;

// Asks for a count and a fill pattern for Insert bytes and Append bytes.
class TInsertBytesForm : public QDialog
{
    Q_OBJECT
public:
    explicit TInsertBytesForm(QWidget *parent = nullptr);
    ~TInsertBytesForm() override;

    // Shows the count and pattern of memory, runs the dialog modally and writes what the
    // fields hold back to memory, on Cancel too. Returns whether the user confirmed.
    bool ask(bool appendMode, Language language, ByteRunMemory &memory);
    // The texts for language and mode, the focus in the count's hex view and the OK state.
    void prepare(bool appendMode, Language language);

    TIntData &CountData() { return m_countData; }
    TBytesData &FillData() { return m_fillData; }
    THexIntEdit *CountHexEdit() const { return m_countHexEdit; }
    TDecIntEdit *CountDecEdit() const { return m_countDecEdit; }
    THexDataEdit *FillHexEdit() const { return m_fillHexEdit; }
    TDecDataEdit *FillDecEdit() const { return m_fillDecEdit; }
    TCharDataEdit *FillCharEdit() const { return m_fillCharEdit; }
    QPushButton *OKButton() const { return m_okButton; }
    QPushButton *CancelButton() const { return m_cancelButton; }

private:
    void UpdateOkButton();
    void clearCount(QWidget *focusTarget);
    void clearFill(QWidget *focusTarget);

    TIntData m_countData;
    TBytesData m_fillData;
    THexIntEdit *m_countHexEdit = nullptr;
    TDecIntEdit *m_countDecEdit = nullptr;
    THexDataEdit *m_fillHexEdit = nullptr;
    TDecDataEdit *m_fillDecEdit = nullptr;
    TCharDataEdit *m_fillCharEdit = nullptr;
    std::array<QFrame *, 5> m_panels{};
    // Count, hex, dec, fill with, hex, dec, char.
    std::array<QLabel *, 7> m_labels{};
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};

} // namespace vtm
