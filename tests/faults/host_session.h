// The steps every scenario of the fault host shares: opening and freeing
// records under a deadline, a warm-up, and the census of what a scenario
// left behind.
#pragma once

#include <vidsurf.h>

#include <string>

#include "host_screen.h"
#include "process_census.h"

namespace faulthost {

constexpr int kExitOk = 0;
constexpr int kExitSetup = 1;
constexpr int kExitUsage = 2;
// kExitHang (3) is in deadline.h.
constexpr int kExitLeftBehind = 4;
constexpr int kExitStall = 5;

// createStreamSample and freeStreamSample, each under a deadline named
// `phase` (a string literal).
StreamSample *OpenRecord(const char *phase, const std::string &path, HWND window, IDirectDraw *directDraw);
void FreeRecord(const char *phase, StreamSample *stream);

// Plays `movie` a moment and frees it, then waits for the thread and
// descriptor counts to hold still: what the first record of a process sets
// up once (the sound subsystem, the decoders' tables) is then not counted
// as left behind. The census it settled at.
Census WarmUp(const HostScreen &screen, const std::string &movie);

// The counts after the records are gone, given `seconds` to come back to
// `before` (threads may take a moment to end); `meanwhile` as in SettleTo.
// Prints what was left behind, if anything.
Census CheckLeftBehind(const Census &before, double seconds, void (*meanwhile)(void *), void *context);
bool LeftBehind(const Census &before, const Census &after);

}  // namespace faulthost
