#include "app/RegFile.h"
#include "app/Settings.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

// Whatever a settings file holds, reading it must stay in bounds and never throw, and the
// settings it gives must come back unchanged through the file they are saved to.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    vtm::RegFile file;
    file.Parse(std::string_view(reinterpret_cast<const char *>(data), size));
    vtm::Settings read = vtm::DefaultSettings(vtm::LanguageEnglish, "calc");
    vtm::LoadSettings(read, file);

    vtm::RegFile written;
    vtm::SaveSettings(read, written);
    vtm::RegFile back;
    if (!back.Parse(written.Text()))
        std::abort();
    vtm::Settings reread = vtm::DefaultSettings(vtm::LanguageGerman, "other");
    vtm::LoadSettings(reread, back);
    if (!(read == reread))
        std::abort();
    return 0;
}
