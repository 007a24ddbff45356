#pragma once
// "orvelline-midi copy IN OUT": reads IN and writes it to OUT through the
// program's own writer ("-" for IN reads standard input, for OUT writes standard
// output). Fails (1) when IN cannot be read or OUT was not written whole.
#include <iosfwd>
#include <string>

int runCopyCommand(const std::string& in, const std::string& outPath, std::ostream& err);
