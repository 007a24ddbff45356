#pragma once
// The program's one session, known to the windows by the names they have
// always used: the performer is the session's. main (and the tests'
// program) makes the session before any window and lets it go after the last.
class Session;
class TVidize;

void setProgramSession(Session* session);
Session& programSession();
// The program's one performer: the session's.
TVidize& Performer();

#include <cstdint>

// Waits while the tone module takes in a song's resets; the window keeps
// drawing itself meanwhile, and what the user does waits until it is over.
void pauseKeepingTheWindowDrawn(std::uint32_t milliseconds);
