#include "tools/copycommand.h"

#include <ostream>

#include "mididata/messagesink.h"
#include "mididata/song.h"
#include "tools/loadsong.h"

int runCopyCommand(const std::string& in, const std::string& outPath, std::ostream& err)
{
    midiSong song;
    if (!loadSong(song, in, err))
        return 1;
    MessageSink previous = setMessageSink([&err](const std::string& m) { err << m << '\n'; });
    const bool saved = song.saveToFile(outPath);
    setMessageSink(std::move(previous));
    return saved ? 0 : 1;
}
