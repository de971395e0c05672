#pragma once
// The reference the differential tests hold our terminal against: libvterm's state layer
// driving the same screen model, fed as the console's reader fed it (whole UTF-8
// characters, an incomplete tail held for the next write).

#include "console/Emulator.h"
#include "tests/oracle/VtermEmulator.h"

#include <string>
#include <string_view>

namespace qp {

class VtermOracle {
public:
    VtermOracle(int cols, int rows) : m_emulator(cols, rows) {}
    void write(std::string_view chunk)
    {
        m_held.append(chunk);
        const size_t complete = CompleteUtf8Prefix(m_held.data(), m_held.size());
        m_emulator.write(std::string_view(m_held).substr(0, complete));
        m_held.erase(0, complete);
    }
    void resize(int cols, int rows) { m_emulator.resize(cols, rows); }
    std::string takeOutput() { return m_emulator.takeOutput(); }
    const ScreenModel& model() const { return m_emulator.model(); }
    const std::string& title() const { return m_emulator.title(); }

private:
    VtermEmulator m_emulator;
    std::string m_held;
};

}  // namespace qp
