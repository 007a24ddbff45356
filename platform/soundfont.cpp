#include "platform/soundfont.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace platform {

namespace {

bool hasSoundFontExtension(const std::filesystem::path& file)
{
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension == ".sf2" || extension == ".sf3";
}

bool isFile(const std::filesystem::path& file)
{
    std::error_code error;
    return std::filesystem::is_regular_file(file, error);
}

}  // namespace

std::span<const std::filesystem::path> systemSoundFonts()
{
    static const std::filesystem::path fonts[] = {
        "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf3/default-GM.sf3",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",   "/usr/share/soundfonts/TimGM6mb.sf2",
    };
    return fonts;
}

std::filesystem::path firstSoundFontIn(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> fonts;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::filesystem::path& file = it->path();
        if (hasSoundFontExtension(file) && isFile(file))
            fonts.push_back(file);
    }
    if (fonts.empty())
        return {};
    return *std::min_element(fonts.begin(), fonts.end());
}

std::filesystem::path findSoundFont(std::span<const std::filesystem::path> folders,
                                    std::span<const std::filesystem::path> systemFonts)
{
    for (const std::filesystem::path& folder : folders) {
        if (folder.empty())
            continue;
        if (std::filesystem::path font = firstSoundFontIn(folder); !font.empty())
            return font;
    }
    for (const std::filesystem::path& font : systemFonts) {
        if (isFile(font))
            return font;
    }
    return {};
}

std::filesystem::path soundFontToUse(const std::filesystem::path& chosen,
                                     std::span<const std::filesystem::path> folders)
{
    if (!chosen.empty())
        return chosen;
    return findSoundFont(folders, systemSoundFonts());
}

}  // namespace platform
