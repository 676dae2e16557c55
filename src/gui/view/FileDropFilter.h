#pragma once

#include <QObject>

#include <string>

namespace vtm {

// Makes the widgets it watches accept dropped local files and reports the first one.
class FileDropFilter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void watch(QWidget *widget);

signals:
    // The name as bytes: Qt's text could lose some.
    void fileDropped(const std::string &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace vtm
