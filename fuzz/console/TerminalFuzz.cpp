// Terminal output into the emulator and screen model. Input: two bytes of initial size,
// then program output; a 0xFF byte starts a command (resize, snapshot, key record, reset
// before a program, clear) given by the next bytes.

#include "console/Emulator.h"
#include "console/KeyTranslation.h"
#include "console/SnapshotBuilder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <cstdio>
#include <cstdlib>

using namespace qp;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void checkSnapshot(const Emulator& emu, std::shared_ptr<ScreenSnapshot>& previous)
{
    auto snap = CaptureScreen(emu.model());
    FillOemCells(*snap, previous.get(), OemCodepage::system());
    const size_t n = size_t(snap->width) * size_t(snap->height);
    check(snap->wideCells.size() == n + 1 && snap->oemCells.size() == n + 1);
    check(snap->wideCells[n] == ScreenCell{} && snap->oemCells[n] == ScreenCell{});
    check(snap->cursorX >= 0 && snap->cursorX < snap->width && snap->cursorY >= 0 && snap->cursorY < snap->height);
    for (size_t i = 0; i < n; ++i)
        check(snap->oemCells[i].ch == OemCodepage::system().fromUtf16(char16_t(snap->wideCells[i].ch)));
    previous = snap;
}

// Feeds program output as the reader does: whole UTF-8 characters, the tail held back.
void feed(Emulator& emu, std::string& held, const uint8_t* data, size_t len)
{
    held.append(reinterpret_cast<const char*>(data), len);
    const size_t complete = CompleteUtf8Prefix(held.data(), held.size());
    emu.write(std::string_view(held.data(), complete));
    held.erase(0, complete);
    emu.takeOutput();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // With QP_FUZZ_DUMP set, each input is written there first: after a crash under the
    // stand-alone driver, that file reproduces it.
    if (const char* dump = std::getenv("QP_FUZZ_DUMP")) {
        if (FILE* f = std::fopen(dump, "wb")) {
            std::fwrite(data, 1, size, f);
            std::fclose(f);
        }
    }
    Emulator emu(1 + data[0] % 160, 1 + data[1] % 60);
    KeyTranslator keys;
    std::shared_ptr<ScreenSnapshot> previous;
    std::string held;
    size_t i = 2;
    while (i < size) {
        size_t end = i;
        while (end < size && data[end] != 0xFF)
            ++end;
        feed(emu, held, data + i, end - i);
        i = end + 1;
        if (end + 1 >= size)
            break;
        const uint8_t op = data[end + 1];
        const uint8_t a = end + 2 < size ? data[end + 2] : 0;
        const uint8_t b = end + 3 < size ? data[end + 3] : 0;
        i = end + 2;
        if (op < 0x40) {
            emu.resize(1 + a % 200, 1 + b % 80);
            i += 2;
        } else if (op < 0x80) {
            checkSnapshot(emu, previous);
        } else if (op < 0xC0) {
            KeyEventRecord r;
            r.virtualKeyCode = a;
            r.unicodeChar = uint16_t(b | (op & 0x1F) << 8);
            r.controlKeyState = op & 0x1F;
            keys.translate(emu, r);
            emu.takeOutput();
            i += 2;
        } else if (op < 0xE0) {
            emu.prepareForProgram();
        } else {
            emu.clearCharacters();
        }
    }
    checkSnapshot(emu, previous);
    return 0;
}
