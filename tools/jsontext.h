#pragma once
// Quoting text for JSON output. Texts in MIDI files are bytes in whatever
// encoding their author used: valid UTF-8 passes through, anything else is
// taken byte by byte as Latin-1 so the document always stays valid.
#include <string>

std::string jsonQuoted(const std::string& bytes);
