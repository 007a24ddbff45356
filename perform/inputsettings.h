#pragma once
// The [Input] section of orvelline.ini: where loudness comes from besides
// the loudness axis, and what a MIDI input passes on.
//
//   [Input]
//   pen_pressure=1          ; loudness from pen pressure (0 or 1)
//   pen_tilt=1              ; modulation from pen tilt (0 or 1)
//   loudness_controller=4   ; 11 expression, 2 breath, 4 foot, 0 none
//   midi_thru=0             ; 0 or 1
//
// A key that is missing keeps its default (nothing chosen); one that cannot
// be read does too, and leaves a problem that names the file and the line.
#include "perform/session.h"
#include "platform/inifile.h"

InputChoices ReadInputChoices(platform::IniFile& ini);
// Sets the keys whose values differ from `previous`, as the file gave them.
void WriteInputChoices(platform::IniFile& ini, const InputChoices& choices, const InputChoices& previous);
