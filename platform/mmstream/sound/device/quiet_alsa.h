// ALSA prints its own errors to standard error (for one, when the machine
// has no sound card and SDL probes it). The stand-in is quiet, so ALSA's
// error handler is replaced before SDL audio starts.
#pragma once

namespace standin::mmstream {

// Installs a silent error handler in the ALSA library SDL will load, if the
// library is present at all. Safe to call more than once.
void SilenceAlsa();

}  // namespace standin::mmstream
