#pragma once
// How the command-line tool and the render write a length of time.
#include <cstdint>
#include <string>

// Minutes, seconds and tenths: "2:05.3"; a negative time is 0:00.0.
std::string clockText(std::int64_t micros);
