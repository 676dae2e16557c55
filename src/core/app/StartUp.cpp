#include "app/StartUp.h"

namespace vtm {

void ApplySettings(EditorState &s, const Settings &settings)
{
    s.settings = settings;
    s.view.HexMode = settings.HexMode;
    s.view.BytesPerRow = s.view.HexMode ? 16 : 10;
}

Settings CollectSettings(const EditorState &s, Settings stored)
{
    // The window's bounds are the caller's; everything else the state holds.
    Settings out = s.settings;
    out.HexMode = s.view.HexMode;
    out.Left = stored.Left;
    out.Top = stored.Top;
    out.Height = stored.Height;
    out.Width = stored.Width;
    out.DialogBaseUnits = stored.DialogBaseUnits;
    return out;
}

} // namespace vtm
