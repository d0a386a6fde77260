// The media engine's stream threads as the start-up and re-login code starts them: each
// factory takes the thread's setup (with its own copies of the events and semaphores) on the
// creating thread, just before the thread starts.
#pragma once

#include "app/app_seams.h"

// hooks with the receivers, compose, show, audio-play and receiver-report threads and the
// stream headers' reset put in; the recorder operations are left as they are.
app::MediaEngineHooks WithMediaEngineThreads(app::MediaEngineHooks hooks);
// Installs them over the hooks in place.
void InstallMediaEngineThreads();
