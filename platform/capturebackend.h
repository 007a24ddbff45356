#pragma once
// The capture backend as the registry's table makes it (platform/capture.h
// says what it records).
#include <memory>

#include "platform/backend.h"
#include "platform/outputoptions.h"

namespace platform {

// Capture devices have nothing to be told; the options are taken for the table's sake.
std::unique_ptr<MidiBackend> makeCaptureBackend(const OutputOptions& options);

}  // namespace platform
