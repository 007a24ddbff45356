#include "tools/loadsong.h"

#include <exception>
#include <new>
#include <ostream>

#include "mididata/song.h"

bool loadSong(midiSong& song, const std::string& path, std::ostream& err) {
    try {
        song.load(path);
        return true;
    } catch (const std::bad_alloc&) {
        err << "Not enough memory to read " << path << '\n';
    } catch (const std::exception& e) {
        err << e.what() << '\n';
    }
    return false;
}
