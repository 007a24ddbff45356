#include "tools/loadsong.h"

#include <exception>
#include <new>
#include <ostream>

#include "mididata/song.h"

std::string commandError(const std::string& path, const std::string& message)
{
    return "orvelline-midi: " + path + ": " + message;
}

bool loadSong(midiSong& song, const std::string& path, std::ostream& err)
{
    try {
        song.load(path);
        return true;
    } catch (const std::bad_alloc&) {
        err << commandError(path, "Not enough memory to read the file") << '\n';
    } catch (const std::exception& e) {
        err << commandError(path, e.what()) << '\n';
    }
    return false;
}
