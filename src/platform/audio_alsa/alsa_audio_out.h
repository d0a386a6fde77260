// The ALSA sound device behind the platform audio-out interface: the "default" PCM of the
// machine, fed by a writer thread that plays the queued blocks in order and reports each one
// done when its last frame has been handed to the card. Open fails with NoDriver when no
// sound card opens (or when the program was built without ALSA).
#pragma once

#include <memory>

#include "platform/audio_out.h"

namespace platform {

// Makes an ALSA device (not yet open). pcmName "default" unless a test names another one.
std::unique_ptr<IAudioOut> MakeAlsaAudioOut(const char* pcmName = "default");

// Installs the ALSA device as the process's sound device (CreateAudioOut).
void InstallAlsaAudioOut();

}  // namespace platform
