// Screen contents come from the program under test: any bytes in any cell. The input is a
// screen size, a rectangle and the cells' characters; the readers and the frame detection
// must read only inside the snapshot and never crash or hang.
#include "display/FrameDetect.h"
#include "display/ScreenText.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6)
        return 0;
    qp::ScreenSnapshot s;
    s.width = int16_t(data[0] % 200);
    s.height = int16_t(data[1] % 60);
    const qp::CellRect rect{int8_t(data[2]) * 3, int8_t(data[3]), int8_t(data[4]) * 3, int8_t(data[5])};
    data += 6;
    size -= 6;
    // Sometimes shorter arrays than the size says: the readers must not trust the size.
    const size_t cells = size_t(s.width) * size_t(s.height) + 1;
    const size_t stored = (size % 7 == 0) ? cells / 2 : cells;
    s.wideCells.resize(stored);
    s.oemCells.resize(stored);
    for (size_t i = 0; i < stored && size > 0; ++i) {
        // Corner bytes are common in the input so that frames form.
        const uint8_t b = data[i % size];
        s.oemCells[i].ch = b;
        s.wideCells[i].ch = char16_t(b < 0x80 ? b : 0x2500 + (b & 0x7F));
    }
    (void)qp::ReadRectText(s, rect, u"/");
    (void)qp::ReadRectTextAnsi(s, rect, "/");
    const qp::CellRect found = qp::FindActiveWindow(s);
    if (found.left < 0 || found.right > s.width || found.bottom > s.height)
        __builtin_trap();
    return 0;
}
