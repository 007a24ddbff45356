#pragma once
// What "orvelline-midi --help" and "orvelline-midi COMMAND --help" print.
#include <string>

// The whole program's usage: every command with what it does.
std::string programHelp();
// One command's usage and what it does; empty for a command there is none of.
std::string commandHelp(const std::string& command);
