#pragma once
// Whether a song can be played: the performer's gateway has an output open.
// When it has not, the user is told so plainly (once, in a message box) and
// the caller starts nothing: no status text that never ends, no Stop to press.
bool outputReadyToPlay();
