#pragma once
// The sound settings orvelline.ini holds, in its [Sound] section:
//
//   [Sound]
//   KeepProcessorsAwake=auto   ; auto (on a virtual machine), always or never
#include "platform/inifile.h"
#include "platform/outputoptions.h"

namespace platform {

// Sets what ini says in options; a value it does not know is a problem of
// ini's and leaves the option as it was.
void readSoundSettings(IniFile& ini, OutputOptions& options);

}  // namespace platform
