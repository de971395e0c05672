#include "KeySender.h"

#include "KeyNotation.h"
#include "KeyRecords.h"
#include "text/Utf.h"

#include <mutex>
#include <utility>

namespace qp {

KeySender::KeySender(RecordWriter writer, KeyPacer& pacer)
    : m_write(std::move(writer)), m_pacer(pacer)
{
}

namespace {

// The user's keys and a script's keys may be sent from two threads at once. Their records
// may interleave, but never inside one key: the two halves of a surrogate pair must reach
// the console one after the other.
std::mutex& keyWriteMutex()
{
    static std::mutex mutex;
    return mutex;
}

}  // namespace

void KeySender::SendChar(char32_t c)
{
    const CharRecords records = CharKeyRecords(c);
    std::lock_guard lock(keyWriteMutex());
    for (const KeyEventRecord& record : records)
        m_write(record);
}

void KeySender::SendKeyCombo(std::string_view combination)
{
    if (auto record = ComboKeyRecord(combination)) {
        std::lock_guard lock(keyWriteMutex());
        m_write(*record);
    }
}

void KeySender::putKeys(std::string_view text)
{
    for (size_t pos = 0; pos < text.size();) {
        const char32_t c = text::decodeUtf8(text, pos);
        if (!PaceKeys())
            return;
        SendChar(c);
    }
}

void KeySender::putControl(std::string_view controlText)
{
    ControlTextReader groups(controlText);
    while (auto combination = groups.next()) {
        if (!PaceKeys())
            return;
        SendKeyCombo(*combination);
    }
}

}  // namespace qp
