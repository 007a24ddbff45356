#pragma once
// The text form of the program's settings files (there.cfg, device.prf): one
// value a line, CR LF line ends. Reading also takes bare LF ends, as an
// editor may leave them.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The lines of the text, without their ends. A last line without an end
// counts; the end of the last line does not start another one, so an empty
// text is one empty line.
std::vector<std::string> settingsFileLines(std::string_view text);

// A whole number as a user or an editor writes it: blanks around it, an
// optional sign, then decimal digits within the 32-bit range. Empty when the
// text is anything else.
std::optional<int> wholeNumber(std::string_view text);

}  // namespace platform
