#include "mididata/wholefile.h"

#include "mididata/messagesink.h"
#include "mididata/safesave.h"

bool writeWholeFile(const std::string& path, const void* data, std::size_t size)
{
    SafeSave save(path);
    if (save.open() && save.write(data, size) && save.commit())
        return true;
    reportMessage(save.error());
    return false;
}
