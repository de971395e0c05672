#pragma once
// Sends keys into the hosted console: one key-down record per key, written one at a time.
// A failed write raises ConsoleError; keys written before it stay written and
// nothing after it is sent.
//
// Text arrives as UTF-8 (the ANSI code page here) and is walked one character per key.
// Callers that hold text in a single-byte code page convert it to UTF-8 first.

#include "console/HostedConsole.h"
#include "console/KeyEventRecord.h"
#include "KeyPacer.h"

#include <functional>
#include <string_view>

namespace qp {

class KeySender {
public:
    using RecordWriter = std::function<void(const KeyEventRecord&)>;

    KeySender(RecordWriter writer, KeyPacer& pacer);
    KeySender(HostedConsole& console, KeyPacer& pacer)
        : KeySender([&console](const KeyEventRecord& r) { console.writeInput(r); }, pacer)
    {
    }

    // One typed character, unpaced.
    void SendChar(char32_t c);
    // One key combination, unpaced; nothing when it has no final key.
    void SendKeyCombo(std::string_view combination);
    // False when the caller asked to stop (see KeyPacer::PaceKeys).
    bool PaceKeys(std::initializer_list<std::stop_token> stops = {}) { return m_pacer.PaceKeys(stops); }

    // What Console.PutKeys does: for each character, pace, then SendChar. Ends at once, with
    // the rest unsent, when the current caller asks to stop.
    void putKeys(std::string_view text);
    // What Console.PutControl does: for each group of the control text, pace (empty and
    // unknown groups too), then SendKeyCombo. Ends at once on a stop as putKeys does.
    void putControl(std::string_view controlText);

    KeyPacer& pacer() { return m_pacer; }

private:
    RecordWriter m_write;
    KeyPacer& m_pacer;
};

}  // namespace qp
