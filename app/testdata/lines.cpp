#include "testdata/lines.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace velmora {

quint64 LineScanner::crsOf(qsizetype block) const
{
    const auto *bytes = reinterpret_cast<const uchar *>(m_bytes.data()) + block;
    const qsizetype size = qMin(Block, m_bytes.size() - block);
    quint64 crs = 0;
#if defined(__SSE2__) || defined(_M_X64)
    if (size == Block) {
        const __m128i cr = _mm_set1_epi8('\r');
        for (int i = 0; i < Block; i += 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i));
            crs |= quint64(quint16(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, cr)))) << i;
        }
        return crs;
    }
#endif
    for (qsizetype i = 0; i < size; ++i)
        crs |= quint64(bytes[i] == '\r') << i;
    return crs;
}

} // namespace velmora
