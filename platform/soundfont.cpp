#include "platform/soundfont.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <string>

namespace platform {

namespace {

std::mutex settingsMutex;
std::filesystem::path givenProgramFolder;
std::filesystem::path givenSoundFont;

std::filesystem::path executableFolder()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable.parent_path();
}

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

void setProgramFolder(const std::filesystem::path& folder)
{
    std::lock_guard lock(settingsMutex);
    givenProgramFolder = folder;
}

std::filesystem::path programFolder()
{
    {
        std::lock_guard lock(settingsMutex);
        if (!givenProgramFolder.empty())
            return givenProgramFolder;
    }
    return executableFolder();
}

void setSoundFont(const std::filesystem::path& file)
{
    std::lock_guard lock(settingsMutex);
    givenSoundFont = file;
}

std::filesystem::path chosenSoundFont()
{
    std::lock_guard lock(settingsMutex);
    return givenSoundFont;
}

std::span<const std::filesystem::path> systemSoundFonts()
{
    static const std::filesystem::path fonts[] = {
        "/usr/share/sounds/sf2/default-GM.sf2",
        "/usr/share/sounds/sf3/default-GM.sf3",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/soundfonts/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/soundfonts/TimGM6mb.sf2",
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

std::filesystem::path findSoundFont(const std::filesystem::path& folder,
                                    std::span<const std::filesystem::path> systemFonts)
{
    if (!folder.empty()) {
        if (std::filesystem::path font = firstSoundFontIn(folder); !font.empty())
            return font;
    }
    for (const std::filesystem::path& font : systemFonts) {
        if (isFile(font))
            return font;
    }
    return {};
}

std::filesystem::path findSoundFont()
{
    if (std::filesystem::path chosen = chosenSoundFont(); !chosen.empty())
        return chosen;
    return findSoundFont(programFolder(), systemSoundFonts());
}

}  // namespace platform
