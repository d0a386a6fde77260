#include "codec/mp4dec/block_idct.h"

#include <emmintrin.h>

#include <algorithm>

#include "prim/prim_dispatch.h"
#include "prim/prim_idct.h"

bool Mp4DecAcAllZero(const std::int16_t* block) {
  __m128i any = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block)),
                              _mm_setr_epi16(0, -1, -1, -1, -1, -1, -1, -1));
  for (int i = 8; i < 64; i += 8) {
    any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + i)));
  }
  return _mm_movemask_epi8(_mm_cmpeq_epi16(any, _mm_setzero_si128())) == 0xFFFF;
}

void Mp4DecInverseDctKnown(std::int16_t* block, bool dcOnly) {
  if (dcOnly) {
    // The closed form of the selected form (the index is read once).
    const std::int32_t index = PrimCpuIndex.load(std::memory_order_relaxed);
    if (index == PrimIndexGeneric) {
      std::fill_n(block, 64, Mp4DecGenericDcOnlyValue(block[0]));
      return;
    }
    if (index >= PrimIndexSse && index <= PrimIndexSse3) {
      DCT8x8InvDcOnly_Table(block[0], block);
      return;
    }
  }
  primDCT8x8Inv_16s_C1I(block);
}

void Mp4DecInverseDct(std::int16_t* block) {
  Mp4DecInverseDctKnown(block, Mp4DecAcAllZero(block));
}
