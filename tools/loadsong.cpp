#include "tools/loadsong.h"

#include <exception>
#include <new>
#include <ostream>
#include <vector>

#include "mididata/midierror.h"
#include "mididata/song.h"
#include "mididata/standardstreams.h"

namespace {

void load(midiSong& song, const std::string& path)
{
    if (!namesStandardStream(path)) {
        song.load(path);
        return;
    }
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readStandardInput(bytes, error))
        throw MidiFileError("Cannot read standard input: " + error, error);
    song.loadFromMemory(bytes.data(), bytes.size());
    song.fileName = path;
}

}  // namespace

std::string programLines(const std::string& text)
{
    std::string lines = "orvelline-midi: " + text;
    for (std::size_t at = 0; (at = lines.find('\n', at)) != std::string::npos; ++at)
        lines.replace(at, 1, "\norvelline-midi: ");
    return lines;
}

std::string commandError(const std::string& path, const std::string& message)
{
    return "orvelline-midi: " + path + ": " + message;
}

bool loadSong(midiSong& song, const std::string& path, std::ostream& err)
{
    const std::string name = standardStreamName(path, false);
    try {
        load(song, path);
        if (const std::string note = highDataBytesNote(song); !note.empty())
            err << commandError(name, note) << '\n';
        return true;
    } catch (const std::bad_alloc&) {
        err << commandError(name, "Not enough memory to read the file") << '\n';
    } catch (const MidiFileError& e) {
        // The program and the file lead the line already.
        err << commandError(name, e.reason) << '\n';
    } catch (const std::exception& e) {
        err << commandError(name, e.what()) << '\n';
    }
    return false;
}
