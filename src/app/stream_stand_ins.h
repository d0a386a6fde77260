// Stand-ins for the media engine's threads until the real ones are installed: each body waits
// for the events its real thread starts and stops on, so start-up, re-login and shut-down see
// the same start and stop behaviour. Receivers wait for their start event, answer a reset
// request with their reset-done event, and end on the end-of-stream event; compose ends on the
// end-of-stream event, show on ShowStopEvent, audio play on EndofPlayAudioEvent, the receiver
// report on RTCPStopEvent; the three recorder threads run until they are ended. Every body
// also ends on its thread's stop request.
#pragma once

#include "app/app_seams.h"

namespace app {

MediaEngineHooks StandInMediaHooks();

}  // namespace app
