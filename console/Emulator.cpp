#include "Emulator.h"

namespace qp {

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF7)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

}  // namespace

size_t CompleteUtf8Prefix(const char* data, size_t len)
{
    // Find the last lead byte within the final three bytes.
    for (size_t back = 1; back <= 3 && back <= len; ++back) {
        const auto c = static_cast<unsigned char>(data[len - back]);
        if (isContinuation(c))
            continue;
        return sequenceLength(c) > back ? len - back : len;
    }
    return len;
}

size_t Utf8SafeCut(const char* data, size_t len, size_t limit)
{
    if (limit >= len)
        return len;
    size_t cut = limit;
    while (cut > 0 && limit - cut < 3 && isContinuation(static_cast<unsigned char>(data[cut])))
        --cut;
    return cut > 0 ? cut : limit;
}

}  // namespace qp
