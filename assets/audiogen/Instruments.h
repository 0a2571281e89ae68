#pragma once

#include "S3mWriter.h"

// The synthesised instruments of the music modules. Pitched ones are tuned so that
// the tracker note C-4 sounds middle C.

// A plucked, round bass meant for octaves 1 to 3.
S3mSample makeBass(const char* name, double brightness);
// A soft, slowly beating chord pad that holds for as long as the note lasts.
S3mSample makePad(const char* name, double brightness);
// A plucked or struck tone that dies away by itself; `bell` adds inharmonic partials.
S3mSample makePluck(const char* name, double decay, double brightness, bool bell);
// A reedy lead with a gentle attack that holds while the note lasts.
S3mSample makeLead(const char* name);
S3mSample makeKick(const char* name);
S3mSample makeSnare(const char* name);
S3mSample makeHat(const char* name, double decay);
