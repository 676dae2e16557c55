#pragma once

#include <QObject>

namespace vtm {

// Makes the widgets it watches accept dropped local files and reports the first one.
class FileDropFilter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void watch(QWidget *widget);

signals:
    void fileDropped(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace vtm
