#include "tools/copycommand.h"

#include <exception>
#include <ostream>

#include "mididata/bytestream.h"
#include "mididata/messagesink.h"
#include "mididata/song.h"
#include "mididata/standardstreams.h"
#include "tools/loadsong.h"

namespace {

// Standard output takes the file as it is made; there is nothing to replace.
bool writeToStandardOutput(midiSong& song, std::ostream& err)
{
    ByteStream stream;
    std::string error;
    try {
        song.save(stream);
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (error.empty() && writeStandardOutput(stream.bytes().data(), stream.size(), error))
        return true;
    err << programLines(error) << '\n';
    return false;
}

}  // namespace

int runCopyCommand(const std::string& in, const std::string& outPath, std::ostream& err)
{
    midiSong song;
    if (!loadSong(song, in, err))
        return 1;
    if (namesStandardStream(outPath))
        return writeToStandardOutput(song, err) ? 0 : 1;
    MessageSink previous = setMessageSink([&err](const std::string& m) { err << programLines(m) << '\n'; });
    const bool saved = song.saveToFile(outPath);
    setMessageSink(std::move(previous));
    return saved ? 0 : 1;
}
