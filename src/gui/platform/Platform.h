#pragma once

#include "document/Language.h"
#include <QLockFile>
#include <QString>

#include <string>

namespace vtm {

// The user's language as a Windows primary language number: 7 German, 9 English, ...
int UserLanguage();
void Beep();

// The average character width and the height of the dialog font, packed as
// (height << 16) | width; never 0. Stored with the window bounds, which are applied
// again only while it is unchanged.
int DialogBaseUnits();

// True when no other copy of the program ran when this one started. Decided on the first
// call; the answer holds for the life of the process.
bool FirstInstance();

// The first common desktop calculator on PATH, as a UTF-8 path; empty when there is none.
std::string DefaultCalculatorPath();

// A lock held from construction to destruction; the copy that holds it is the first. A
// lock left behind by a copy that crashed does not count.
class InstanceLock
{
public:
    explicit InstanceLock(const QString &path);
    bool IsFirst() const { return m_first; }

private:
    QLockFile m_lock;
    bool m_first = true;
};

} // namespace vtm
