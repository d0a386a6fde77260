#include "media/audio/ima_adpcm.h"

#include <algorithm>

#include "app/trace.h"

std::int32_t DecodeADPCMC(std::int32_t nibble, AdpcmState* state) {
  if (nibble < 0 || nibble > 15) {
    DebugPrint("DecodeADPCMC : Error in ADPCM sample, aborting.\n");
    return 0;
  }
  if (state == nullptr) {
    DebugPrint("DecodeADPCMC : Error in ADPCMState, aborting.\n");
    return 0;
  }
  state->stepIndex = std::clamp(state->stepIndex, 0, kAdpcmMaxStepIndex);
  const std::int32_t step = kAdpcmStepTable[static_cast<std::size_t>(state->stepIndex)];
  state->stepIndex = std::clamp(
      state->stepIndex + kAdpcmIndexTable[static_cast<std::size_t>(nibble)], 0, kAdpcmMaxStepIndex);
  const std::int32_t magnitude = nibble & 7;
  // One multiplication, not the sum of shifted steps: the last bits differ from the shift form.
  const std::int32_t diff = ((2 * magnitude + 1) * step) / 8;
  // Wide enough for any state handed in, not only one this decoder left within -32768..32767.
  const std::int64_t prediction = state->prediction;
  const std::int64_t predicted = nibble < 8 ? prediction + diff : prediction - diff;
  state->prediction = static_cast<std::int32_t>(std::clamp<std::int64_t>(predicted, -32768, 32767));
  return state->prediction;
}
