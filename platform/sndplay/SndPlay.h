// The in-memory WAV player: plays a whole WAV image once on the audio
// service's default output. A new sound cuts off the one playing; a null
// sound stops it.
//
// Threads: the control (GUI) thread only.
#pragma once

#include "platform/WinTypes.h"

using UINT = unsigned int;

constexpr UINT SND_SYNC = 0x0;    // return once the sound has played
constexpr UINT SND_ASYNC = 0x1;   // return at once; the sound plays in the background
constexpr UINT SND_MEMORY = 0x4;  // pszSound points at a WAV image in memory

// TRUE when the sound plays (or, for a null sound, when nothing plays any more).
// FALSE when the image is not a playable WAV, when pszSound is not an image
// (SND_MEMORY missing: named sounds are not played), or when the default output
// cannot be opened.
BOOL sndPlaySoundW(const void* pszSound, UINT fuSound);
