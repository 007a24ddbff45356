// device.prf: the chosen device and the device window's place, six decimal
// lines with CR LF ends, in the settings folder (beside the program, or the
// per-user folder of an installed copy).
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "mididata/messagesink.h"
#include "mididata/wholefile.h"
#include "midiout/midigateway.h"
#include "platform/programfolders.h"
#include "platform/settingstext.h"

namespace {

constexpr int kLines = 6;
// A good profile is a few dozen bytes; nothing beyond this is looked at.
constexpr std::streamsize kMaxBytes = 4096;

std::filesystem::path profilePath(const std::string& folder)
{
    // A gateway nobody gave a folder keeps its profile where this program
    // keeps its settings, never in the working folder.
    const std::filesystem::path base =
        folder.empty() ? platform::ProgramFolders::ofThisProcess().settingsFolder() : std::filesystem::path(folder);
    return base / "device.prf";
}

std::vector<std::string> readLines(std::ifstream& in)
{
    std::string text(std::size_t(kMaxBytes), '\0');
    in.read(text.data(), kMaxBytes);
    text.resize(std::size_t(in.gcount()));
    if (text.empty())
        return {};
    return platform::settingsFileLines(text);
}

void reportBadProfile(const std::filesystem::path& path, const std::string& why)
{
    reportMessage("Bad device profile " + path.string() + ": " + why + "; the default route is used.");
}

}  // namespace

void MidiGateway::LoadProfile()
{
    const std::filesystem::path path = profilePath(Folder);
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return;
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path, error)) {
        reportBadProfile(path, "it cannot be read");
        return;
    }
    const std::vector<std::string> lines = readLines(in);
    if (lines.empty()) {
        reportBadProfile(path, "it is empty");
        return;
    }
    std::optional<int> values[kLines];
    values[0] = platform::wholeNumber(lines[0]);
    if (values[0] && *values[0] > 0) {
        reportMessage("Illegal data version.  Get latest version of MIDI Vellamondo.");
        return;
    }
    if (lines.size() < std::size_t(kLines)) {
        reportBadProfile(path, "it has " + std::to_string(lines.size()) + " lines instead of 6");
        return;
    }
    for (int i = 0; i < kLines; ++i) {
        values[i] = platform::wholeNumber(lines[std::size_t(i)]);
        if (!values[i]) {
            reportBadProfile(path, "line " + std::to_string(i + 1) + " is not a whole number");
            return;
        }
    }
    // Width and height are stored but not read back: the window keeps its designed size.
    Place.top = *values[1];
    Place.left = *values[2];
    DeviceID = *values[5];
}

bool MidiGateway::SaveProfile() const
{
    const std::filesystem::path path = profilePath(Folder);
    std::string text = "0000\r\n";
    for (int value : {Place.top, Place.left, Place.width, Place.height, DeviceID})
        text += std::to_string(value) + "\r\n";

    // A full disk never leaves the device forgotten: the old profile stays
    // until the new one is complete.
    return writeWholeFile(path.string(), text.data(), text.size());
}
