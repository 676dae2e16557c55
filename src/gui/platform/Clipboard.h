#pragma once

#include "app/ClipboardFormats.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vtm {

// The formats the system clipboard offers, as MIME types with the size of their data.
std::vector<ClipboardEntry> ClipboardEntries();
bool ClipboardOffersData();
// Replaces the clipboard's contents: text (UTF-8), or bytes as the raw-bytes format.
void PutOnClipboard(const std::string &data, bool raw);
// Hands one format's data to `use`; false when the clipboard no longer offers it. Without
// memory for the data `use` is not called and true is returned.
bool WithClipboardData(const std::string &mime,
                       const std::function<void(const std::uint8_t *, std::int64_t)> &use);

} // namespace vtm
