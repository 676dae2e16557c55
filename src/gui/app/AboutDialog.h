#pragma once

#include "document/Language.h"
#include <QDialog>

class QLabel;
class QPushButton;

namespace vtm {

// The about window: the program's name, version and what it is.
class TKaAboutForm : public QDialog
{
    Q_OBJECT
public:
    explicit TKaAboutForm(QWidget *parent = nullptr);

    // Sets the texts for the language and shows the window modally.
    int execFor(Language language);
    void applyLanguage(Language language);

    QLabel *nameLabel() const { return m_name; }
    QLabel *versionLabel() const { return m_version; }
    QLabel *descriptionLabel() const { return m_description; }
    QPushButton *okButton() const { return m_ok; }

private:
    QLabel *m_name = nullptr;
    QLabel *m_version = nullptr;
    QLabel *m_description = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace vtm
