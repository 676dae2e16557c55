#pragma once

#include <QString>

#include <string>

class QMimeData;

namespace vtm {

// On this system a file name is bytes, and Qt's text cannot hold every byte string: a name
// that is not valid in the locale's encoding loses bytes when it becomes a QString. These
// turn the names Qt hands out back into the bytes of a file that exists.

// The bytes of a name Qt shows as `shown`. Where the plain encoding leads to no file, each
// part of the path that does not exist is looked up among its folder's entries by the text
// Qt shows for them; one entry alone that matches is taken. A name that names no file (a
// new file to save) keeps its plain encoding in the parts that do not exist.
std::string NameBytes(const QString &shown);

// The first local file dropped, as bytes, from the dropped data's own URL list (whose
// percent-escapes keep every byte); empty when there is none.
std::string DroppedFileName(const QMimeData *mime);

} // namespace vtm
