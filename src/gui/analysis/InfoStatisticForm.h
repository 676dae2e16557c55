#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;
class QPushButton;
class QWidget;

namespace vtm {

struct ByteStatistics;
struct EditorState;

// The info and statistics window: file name, modified state, length, mark counts and the
// table of byte values, one line each in a fixed-pitch list.
class TInfoStatisticForm : public QDialog
{
    Q_OBJECT
public:
    explicit TInfoStatisticForm(QWidget *parent = nullptr);

    // Counts the document and shows the window modally; nothing without a buffer.
    void showStatistics(const EditorState &state);
    // The same over counts already made.
    void showStatistics(const EditorState &state, const ByteStatistics &stats);
    // The same with a window of its own, for a caller that keeps none.
    static void ShowStatistics(QWidget *parent, const EditorState &state,
                               const ByteStatistics &stats);

    // Shows these lines modally; the list is emptied again once the window closes.
    void execWith(const std::vector<std::string> &lines);

    QListWidget *ListBox() const { return m_listBox; }
    QWidget *Panel1() const { return m_panel; }
    QPushButton *OKButton() const { return m_okButton; }

    // The OK button is also the cancel button: Escape and the close box end with OK.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void centreOKButton();

    QListWidget *m_listBox = nullptr;
    QWidget *m_panel = nullptr;
    QPushButton *m_okButton = nullptr;
};

} // namespace vtm
