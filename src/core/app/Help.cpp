#include "app/Help.h"

#include "app/Texts.h"
#include "document/Language.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace vtm {

std::string HelpPageName(Language language, int context)
{
    const std::string folder = IsGerman(language) ? "de/" : "en/";
    return folder + (context == HelpContextCharTable ? "chartable.html" : "index.html");
}

std::vector<std::string> HelpFolders(const std::string &programDir)
{
    const fs::path dir(programDir);
    return {(dir / "help").lexically_normal().string(),
            (dir / ".." / "share" / "vantreelmorbisco" / "help").lexically_normal().string()};
}

std::string HelpFilePath(const std::string &programDir, Language language, int context)
{
    const std::string page = HelpPageName(language, context);
    const std::vector<std::string> folders = HelpFolders(programDir);
    for (const std::string &folder : folders) {
        const fs::path file = (fs::path(folder) / page).lexically_normal();
        std::error_code ec;
        if (fs::is_regular_file(file, ec))
            return file.string();
    }
    return (fs::path(folders.front()) / page).lexically_normal().string();
}

std::string HelpMissingText(Language language, const std::string &path)
{
    return IsGerman(language) ? "Hilfedatei " + path + " nicht gefunden!"
                              : "Help file " + path + " not found!";
}

std::string HelpWindowTitle(Language language)
{
    return AppTitle() + (IsGerman(language) ? " – Hilfe" : " – Help");
}

std::string AboutTitle(Language)
{
    return "Info";
}

std::string AboutDescription(Language language)
{
    return IsGerman(language) ? "Ein Byte-Editor (Hex-Editor) für Dateien jeder Art."
                              : "A byte (hex) editor for files of any kind.";
}

std::string AboutVersionText(const std::string &version)
{
    return "Version " + version;
}

} // namespace vtm
