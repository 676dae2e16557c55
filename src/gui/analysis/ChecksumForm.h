#pragma once

#include "analysis/Checksums.h"
#include "document/Language.h"

class QWidget;

namespace vtm {

// The checksum dialog: which checksums, over the whole document or the marked run at the
// cursor. Updates the request; false when cancelled.
bool RunChecksumDialog(QWidget *parent, Language language, ChecksumRequest &request);
// The results in a read-only list, with a button that copies them as text.
void ShowChecksums(QWidget *parent, Language language, const ChecksumReport &report);

} // namespace vtm
