#include "gui/platform/Clipboard.h"

#include "edit/ByteTransfer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <new>

namespace vtm {

namespace {
const QMimeData *Offered()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->mimeData() : nullptr;
}
} // namespace

std::vector<ClipboardEntry> ClipboardEntries()
{
    std::vector<ClipboardEntry> entries;
    const QMimeData *data = Offered();
    if (!data)
        return entries;
    try {
        for (const QString &format : data->formats())
            entries.push_back({format.toStdString(), std::int64_t(data->data(format).size())});
    } catch (const std::bad_alloc &) {
        // What was listed so far is still offered.
    }
    return entries;
}

void PutOnClipboard(const std::string &data, bool raw)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    auto *mime = new QMimeData;
    const QByteArray bytes(data.data(), qsizetype(data.size()));
    if (raw)
        mime->setData(QString::fromLatin1(RawBytesMime), bytes);
    else
        mime->setText(QString::fromUtf8(bytes));
    clipboard->setMimeData(mime);
}

bool ClipboardOffersData()
{
    const QMimeData *data = Offered();
    return data && !data->formats().isEmpty();
}

bool WithClipboardData(const std::string &mime,
                       const std::function<void(const std::uint8_t *, std::int64_t)> &use)
{
    const QMimeData *data = Offered();
    const QString format = QString::fromStdString(mime);
    if (!data || !data->hasFormat(format))
        return false;
    try {
        const QByteArray bytes = data->data(format);
        use(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::int64_t(bytes.size()));
    } catch (const std::bad_alloc &) {
    }
    return true;
}

} // namespace vtm
