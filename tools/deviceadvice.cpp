#include "tools/deviceadvice.h"

const char* const kDeviceChoiceAdvice = "'orvelline-midi devices' lists the devices; choose one with --device N.";

std::string commandLineDeviceMessage(const std::string& message)
{
    const std::string::size_type window = message.find("device window");
    if (window == std::string::npos)
        return message;
    // The advice is the sentence holding the words: from the end of the sentence before it.
    const std::string::size_type sentenceEnd = message.rfind(". ", window);
    std::string kept = sentenceEnd == std::string::npos ? std::string() : message.substr(0, sentenceEnd + 1);
    if (!kept.empty())
        kept += ' ';
    return kept + kDeviceChoiceAdvice;
}
