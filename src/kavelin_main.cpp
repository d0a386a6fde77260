// The kavelin program: the ALSA sound device, the media engine's threads and the recorders are
// installed, then start-up and shut-down run as the application object defines them. No login
// window is installed yet, so start-up ends at the login step and shut-down takes down what it
// had built (the data block, the buffers, the recorders' hooks and the trace files).
#include "app/kavelin_app.h"
#include "media/media_hooks.h"
#include "media/recording_hooks.h"
#include "platform/audio_alsa/alsa_audio_out.h"

int main() {
  platform::InstallAlsaAudioOut();
  InstallMediaEngineThreads();
  InstallRecorders();
  theApp.InitInstance();  // always false: there is no message loop to run after it
  return theApp.ExitInstance();
}
