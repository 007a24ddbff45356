#include <exception>

#include "mididata/bytestream.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "perform/practicetake.h"
#include "perform/session.h"
#include "perform/vidize.h"

RenderResult Session::exportAudio(const std::string& path, const RenderOptions& options, const RenderProgress& progress)
{
    RenderResult result;
    result.error = "Nothing to export yet: record a take with Rec.Start first.";
    if (!performer_->HasRecording())
        return result;
    try {
        midiSong file;
        if (hasPracticeTake()) {
            PracticeTake take;
            if (!buildPracticeTake(take))
                return result;
            buildPracticeTakeSong(*song_, take, file);
        } else {
            performer_->BuildSong(file);
        }
        ByteStream image;
        file.save(image);
        midiSong rendered;
        rendered.loadFromMemory(image.bytes().data(), image.bytes().size());
        return renderAudio(rendered, path, options, progress);
    } catch (const std::exception& e) {
        result.error = std::string("Couldn't export the take: ") + e.what();
        return result;
    }
}
