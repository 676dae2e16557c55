// Copying bytes out to the clipboard and pasting bytes in from it.
#include "app/Editor.h"

#include "edit/ByteTransfer.h"
#include "edit/EditTexts.h"
#include "search/Goto.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

namespace vtm {

void Editor::CopyBytes(CopyFormat format)
{
    const Document &doc = m_s.doc;
    const std::int64_t size = doc.BufferSize();
    const std::int64_t p = m_s.view.CursorOffset();
    if (p < 0 || p >= size)
        return;
    // The marked run at the cursor; on an unmarked byte, as many as the user says.
    const MarkRun run = doc.MarkRuns().runAt(p);
    std::int64_t from = run.start, to = std::min(run.end, size);
    if (run.colour == 0) {
        std::int64_t count = m_s.LastCopyCount;
        if (!m_host.runGotoDialog(GotoFormMode::CopyBytes, count, &count) || count <= 0)
            return;
        m_s.LastCopyCount = count;
        from = p;
        to = p + std::min(count, size - p);
    }
    const vtm::Language language = m_s.settings.Language;
    if (to - from > MaxCopyBytes) {
        ShowMessageDlg(CopyTooLargeText(language, to - from), MessageKind::Error, mbOK, 0);
        return;
    }
    std::string data;
    bool noMemory = false;
    // Read as a job: the run may lie in a file read on demand.
    const bool done = RunJob(MenuItem::CopyBytesSubmenu, to - from, [&] {
        try {
            if (format == CopyFormat::HexText) { // the text straight from the spans
                data = HexTextFrame(to - from);
                doc.ForEachSpan(from, to, [&](const Document::Span &s) {
                    WriteHexText(data, s.offset - from, s.data, std::size_t(s.size));
                    return true;
                });
                return;
            }
            std::string bytes(std::size_t(to - from), '\0');
            doc.ForEachSpan(from, to, [&](const Document::Span &s) {
                std::memcpy(bytes.data() + (s.offset - from), s.data, std::size_t(s.size));
                return true;
            });
            data = format == CopyFormat::Raw
                       ? std::move(bytes)
                       : FormatBytes(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                     bytes.size(), format);
        } catch (const std::bad_alloc &) {
            noMemory = true;
        }
    });
    if (noMemory)
        ShowMessageDlg(OutOfMemoryText(language), MessageKind::Error, mbOK, 0);
    else if (done) {
        m_host.putOnClipboard(data, format == CopyFormat::Raw);
        m_s.ClipboardHasData = true;
        UpdateMenus();
    }
}

void Editor::PasteBytes(bool insert)
{
    const vtm::Language language = m_s.settings.Language;
    // The raw-bytes format first; otherwise text, read as hex.
    std::string mime;
    for (const ClipboardEntry &e : m_host.clipboardEntries()) {
        if (e.mime == RawBytesMime) {
            mime = e.mime;
            break;
        }
        if (mime.empty() && (e.mime == "text/plain" || e.mime.starts_with("text/plain;")))
            mime = e.mime;
    }
    std::vector<std::uint8_t> bytes;
    std::string refused;
    bool noMemory = false;
    const bool offered = !mime.empty() && m_host.withClipboardData(mime, [&](const std::uint8_t *data,
                                                                            std::int64_t n) {
        try {
            if (mime == RawBytesMime) {
                bytes.assign(data, data + n);
                return;
            }
            const std::string_view text(reinterpret_cast<const char *>(data), std::size_t(n));
            HexParse parse = ParseHexText(text);
            if (parse.ok)
                bytes = std::move(parse.bytes);
            else
                refused = NotHexText(language, parse, text);
        } catch (const std::bad_alloc &) {
            noMemory = true;
        }
    });
    if (noMemory) {
        ShowMessageDlg(OutOfMemoryText(language), MessageKind::Error, mbOK, 0);
        return;
    }
    if (!refused.empty()) {
        ShowMessageDlg(refused, MessageKind::Error, mbOK, 0);
        return;
    }
    if (!offered || bytes.empty()) {
        ShowMessageDlg(NothingToPasteText(language), MessageKind::Error, mbOK, 0);
        return;
    }
    try {
        vtm::PasteBytes(*this, bytes, insert);
    } catch (const std::bad_alloc &) { // no room for the action's copy: nothing changed
        ShowMessageDlg(OutOfMemoryText(language), MessageKind::Error, mbOK, 0);
    }
    UpdateMenus();
}

} // namespace vtm
