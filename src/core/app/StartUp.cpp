#include "app/StartUp.h"

namespace vtm {

void ApplySettings(EditorState &s, const Settings &settings)
{
    s.view.HexMode = settings.HexMode;
    s.view.BytesPerRow = s.view.HexMode ? 16 : 10;
    s.NoUnknown = settings.NoUnknown;
    s.PrintMarksHatched = settings.PrintMarksHatched;
    s.PrintMarksUsingColors = settings.PrintMarksUsingColors;
    s.DoNotPrintMarks = settings.DoNotPrintMarks;
    s.KeepMarksOnLoad = settings.KeepMarksOnLoad;
    s.OverwriteWarning = settings.OverwriteWarning;
    s.CreateBackUp = settings.CreateBackUp;
    s.Language = settings.Language;
    s.CalcPath = settings.CalcPath;
    s.InitialDir = settings.InitialDir;
    s.MarksInitialDir = settings.MarksInitialDir;
    s.RecentFiles = settings.File;
}

Settings CollectSettings(const EditorState &s, Settings stored)
{
    stored.HexMode = s.view.HexMode;
    stored.NoUnknown = s.NoUnknown;
    stored.PrintMarksHatched = s.PrintMarksHatched;
    stored.PrintMarksUsingColors = s.PrintMarksUsingColors;
    stored.DoNotPrintMarks = s.DoNotPrintMarks;
    stored.KeepMarksOnLoad = s.KeepMarksOnLoad;
    stored.OverwriteWarning = s.OverwriteWarning;
    stored.CreateBackUp = s.CreateBackUp;
    stored.Language = s.Language;
    stored.CalcPath = s.CalcPath;
    stored.InitialDir = s.InitialDir;
    stored.MarksInitialDir = s.MarksInitialDir;
    stored.File = s.RecentFiles;
    return stored;
}

} // namespace vtm
