#include "tools/commandhelp.h"

namespace {

struct CommandText {
    const char* name;
    const char* synopsis;  // after the program's name
    const char* text;      // lines of what it does
};

const CommandText kCommands[] = {
    {"info", "info FILE",
     "A short summary: format, division, tracks, length in ticks\n"
     "and seconds, tempo and key at the start, reset messages,\n"
     "and how long reading took."},
    {"json", "json FILE",
     "The song as read, as one JSON document: header values,\n"
     "tempo, key, bar count, copyright, and every track with\n"
     "every event (notes with their durations)."},
    {"text", "text FILE [--times]",
     "Each track's heading and each event as one line of text;\n"
     "with --times each line begins with the event's place as\n"
     "bar:beat:tick and its time in seconds."},
    {"copy", "copy IN OUT",
     "Reads IN and writes it to OUT with Orvelline's writer.\n"
     "OUT is replaced only by a complete file."},
    {"devices", "devices",
     "The MIDI output devices as the device window lists them,\n"
     "each with its number; -1 is the default route."},
    {"play", "play FILE [--device N]",
     "Plays FILE as \"Play MIDI\" does, through device N (the\n"
     "default route if not given), showing bar:beat:tick and\n"
     "time. Ctrl-C stops it and silences every channel (exit 130)."},
    {"render", "render FILE OUT.wav|OUT.flac [--soundfont SF] [--gain DB] [--normalize]",
     "Renders FILE through the built-in synth offline into a\n"
     "44.1 kHz 16-bit stereo WAV file (FLAC when OUT ends in\n"
     ".flac), with the player's timing\n"
     "and 2 s after the last event. SF is a .sf2 or .sf3 file;\n"
     "without it, the first one in the program's folder, else\n"
     "the system's General MIDI SoundFont. --gain raises (or\n"
     "lowers) the level by DB decibels; --normalize brings the\n"
     "loudest sample to -1 dBFS (--gain then adds to that)."},
    {"intonation", "intonation REFERENCE TAKE --track N [--summary]",
     "How in tune TAKE played track N of REFERENCE (numbered as\n"
     "text and json number them), as CSV, one line per note and\n"
     "pass: pass,start_s,end_s,note,name,cents_mean,cents_max,\n"
     "coverage; with --summary one line per pass. A track without\n"
     "notes fails. TAKE is a saved practice take, or any file\n"
     "whose first track holding notes is the take, counted from\n"
     "the song's start. Cents are signed and weighted by time;\n"
     "coverage is the share of the note during which the take\n"
     "sounded."},
};

const char* const kConventions = "A FILE, IN, REFERENCE or TAKE of - is standard input; an OUT of - is standard\n"
                                 "output (render then writes WAV there and reports on standard error).\n"
                                 "An option's value follows it after a space or an equals sign (--gain 3 or\n"
                                 "--gain=3); -- ends the options.\n";

const char* const kExitStatus = "Exit status: 0 on success, 1 when a file cannot be read or written, a\n"
                                "device cannot be used or a request yields nothing (the reason is printed\n"
                                "on standard error), 2 for a usage error. Every error begins with the\n"
                                "program's name; errors about a file name the file next:\n"
                                "  orvelline-midi: song.mid: Couldn't find MIDI Track block\n";

// The text's lines, each after the indent.
std::string indented(const char* text, const std::string& indent)
{
    std::string out = indent;
    for (const char* p = text; *p; ++p) {
        out += *p;
        if (*p == '\n')
            out += indent;
    }
    return out + '\n';
}

}  // namespace

std::string programHelp()
{
    constexpr std::size_t kColumn = 18;
    std::string help = "Usage: orvelline-midi COMMAND ARGUMENTS\n"
                       "\n"
                       "Looks into Standard MIDI Files (formats 0 and 1) as Orvelline reads them,\n"
                       "and plays or renders them as Orvelline plays them.\n"
                       "\n"
                       "Commands:\n";
    const std::string indent(kColumn, ' ');
    for (const CommandText& c : kCommands) {
        const std::string head = std::string("  ") + c.synopsis;
        std::string body = indented(c.text, indent);
        if (head.size() + 1 < kColumn)
            body.replace(0, head.size(), head);
        else
            help += head + '\n';
        help += body;
    }
    help += "  --help          This text; COMMAND --help tells of one command.\n"
            "  --version       The program's version.\n"
            "\n";
    return help + kConventions + "\n" + kExitStatus;
}

std::string commandHelp(const std::string& command)
{
    for (const CommandText& c : kCommands) {
        if (command == c.name)
            return std::string("Usage: orvelline-midi ") + c.synopsis + "\n\n" + c.text + "\n\n" + kConventions;
    }
    return {};
}
