#pragma once
// The [Correction] section of orvelline.ini:
//
//   [Correction]
//   strength=100        ; 0..100
//   scale=major         ; chromatic major natural-minor ... mixolydian
//   glide_ms=0          ; 0..500
//
// A key that is missing keeps its default (strength 0, chromatic, 0 ms); one
// that cannot be read does too, and leaves a problem in the file's list that
// names the file and the line.
#include "perform/pitchcorrection.h"
#include "platform/inifile.h"

CorrectionSettings ReadCorrectionSettings(platform::IniFile& ini);
// Sets the keys whose values differ from `previous` (what the file gave when
// it was read), so a key the user has not changed keeps its text, even a bad one.
void WriteCorrectionSettings(platform::IniFile& ini, const CorrectionSettings& settings,
                             const CorrectionSettings& previous);
