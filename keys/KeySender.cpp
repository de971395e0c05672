#include "KeySender.h"

#include "KeyNotation.h"
#include "KeyRecords.h"
#include "Utf8.h"

#include <utility>

namespace qp {

KeySender::KeySender(RecordWriter writer, KeyPacer& pacer)
    : m_write(std::move(writer)), m_pacer(pacer)
{
}

void KeySender::SendChar(char32_t c)
{
    for (const KeyEventRecord& record : CharKeyRecords(c))
        m_write(record);
}

void KeySender::SendKeyCombo(std::string_view combination)
{
    if (auto record = ComboKeyRecord(combination))
        m_write(*record);
}

void KeySender::putKeys(std::string_view text)
{
    for (size_t pos = 0; pos < text.size();) {
        const char32_t c = nextUtf8Character(text, pos);
        PaceKeys();
        SendChar(c);
    }
}

void KeySender::putControl(std::string_view controlText)
{
    ControlTextReader groups(controlText);
    while (auto combination = groups.next()) {
        PaceKeys();
        SendKeyCombo(*combination);
    }
}

}  // namespace qp
