// Feeds arbitrary bytes to every reader of key text: the control-text splitter, the
// combination parser, the canonical-name lookup and the typed-text walk, and checks that
// what comes out is always a well-formed key-down record.

#include "keys/KeyNotation.h"
#include "keys/KeyPacer.h"
#include "keys/KeyRecords.h"
#include "keys/KeySender.h"
#include "keys/KeysText.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void checkRecord(const qp::KeyEventRecord& r)
{
    check(r.eventType == qp::KEY_EVENT && r.keyDown == -1 && r.repeatCount == 1);
    constexpr uint32_t modifiers = qp::SHIFT_PRESSED | qp::LEFT_CTRL_PRESSED | qp::LEFT_ALT_PRESSED;
    check((r.controlKeyState & ~modifiers) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    qp::ControlTextReader groups(text);
    size_t count = 0;
    while (auto group = groups.next()) {
        check(group->data() >= text.data() && group->data() + group->size() <= text.data() + text.size());
        if (auto r = qp::ComboKeyRecord(*group))
            checkRecord(*r);
        check(++count <= size / 2);
    }

    if (auto r = qp::ComboKeyRecord(text))
        checkRecord(*r);
    (void)qp::CanonicalKeyText(text);

    qp::KeyPacer pacer(std::chrono::milliseconds(0));
    size_t records = 0;
    qp::KeySender sender([&](const qp::KeyEventRecord& r) { checkRecord(r); ++records; }, pacer);
    sender.putKeys(text);
    check(records <= 2 * size);
    return 0;
}
