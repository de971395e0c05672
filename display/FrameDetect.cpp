#include "FrameDetect.h"

#include "console/HostedConsole.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace qp {

namespace {

enum class Corner { None, TopLeft, TopRight, BottomLeft, BottomRight };

Corner cornerKind(unsigned char ch) {
    for (size_t i = 0; i < FrameCorners.size(); ++i)
        if (FrameCorners[i].find(char(ch)) != std::string_view::npos)
            return Corner(i + 1);
    return Corner::None;
}

bool within(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

// The working storage of one detection. The corner stacks grow with the row (a row holds at
// most as many corners as the console is wide). The frame list holds up to kMaxFrames frames,
// far more than any real screen draws; beyond that a top-right corner still consumes its
// top-left corner but starts no frame, so the cost of one detection stays bounded on a
// hostile screen of the largest size. Open frames are chained by their left and right
// columns, so closing one does not search the whole list.
class FrameScan {
public:
    static constexpr size_t kMaxFrames = 65536;

    void row(const ScreenSnapshot& s, int32_t r, size_t rowStart) {
        m_topLefts.clear();
        m_bottomLefts.clear();
        for (int32_t c = 1; c <= s.width; ++c)
            cell(cornerKind(uint8_t(s.oemCells[rowStart + size_t(c - 1)].ch & 0xFF)), r, c);
    }
    CellRect choose() const;

private:
    static constexpr uint32_t kNone = UINT32_MAX;
    struct Frame {
        CellRect rect;
        uint32_t olderOpen;  // the next older open frame with the same columns
    };

    static uint64_t key(int32_t left, int32_t right) {
        return (uint64_t(uint32_t(left)) << 32) | uint32_t(right);
    }
    void cell(Corner kind, int32_t r, int32_t c) {
        switch (kind) {
        case Corner::TopLeft: m_topLefts.push_back(c); break;
        case Corner::TopRight: topRight(r, c); break;
        case Corner::BottomLeft: m_bottomLefts.push_back(c); break;
        case Corner::BottomRight: bottomRight(r, c); break;
        case Corner::None: break;
        }
    }
    void topRight(int32_t r, int32_t c) {
        if (m_topLefts.empty())
            return;
        const int32_t t = m_topLefts.back();
        m_topLefts.pop_back();
        if (m_frames.size() >= kMaxFrames)
            return;
        auto [it, inserted] = m_newestOpen.try_emplace(key(t, c), kNone);
        m_frames.push_back(Frame{CellRect{t, r, c, 0}, it->second});
        it->second = uint32_t(m_frames.size() - 1);
    }
    void bottomRight(int32_t r, int32_t c) {
        if (m_bottomLefts.empty())
            return;
        const int32_t b = m_bottomLefts.back();
        m_bottomLefts.pop_back();
        auto it = m_newestOpen.find(key(b, c));
        if (it == m_newestOpen.end() || it->second == kNone)
            return;
        Frame& frame = m_frames[it->second];  // the newest open frame with these columns
        frame.rect.bottom = r;
        it->second = frame.olderOpen;
    }

    std::vector<Frame> m_frames;  // in the order their top-right corners were met
    std::vector<int32_t> m_topLefts, m_bottomLefts;
    std::unordered_map<uint64_t, uint32_t> m_newestOpen;
};

CellRect FrameScan::choose() const {
    size_t first = 0;
    while (first < m_frames.size() && m_frames[first].rect.bottom == 0)
        ++first;
    if (first == m_frames.size())
        return CellRect{};
    CellRect best = m_frames[first].rect;
    for (size_t i = first; i < m_frames.size(); ++i)
        if (CornerInside(m_frames[i].rect, best))
            best = m_frames[i].rect;
    return best;
}

}  // namespace

bool CornerInside(const CellRect& a, const CellRect& b) {
    const bool rowInside = within(a.top, b.top, b.bottom) || within(a.bottom, b.top, b.bottom);
    return rowInside && (within(a.left, b.left, b.right) || within(a.right, b.left, b.right));
}

CellRect FindActiveWindow(const ScreenSnapshot& s) {
    if (s.width <= 0 || s.height <= 0)
        return CellRect{};
    // Read only rows the OEM array really holds.
    const int32_t rows = int32_t(std::min<size_t>(size_t(s.height), s.oemCells.size() / size_t(s.width)));
    FrameScan scan;
    for (int32_t r = 1; r <= rows; ++r)
        scan.row(s, r, size_t(r - 1) * size_t(s.width));
    return scan.choose();
}

CellRect FindActiveWindow(HostedConsole& console) {
    return FindActiveWindow(*console.takeSnapshot());
}

std::optional<CellRect> WindowTrace::traceStep(const CellRect& found) {
    if (!TraceActiveWindow || found == LastTracedWindow)
        return std::nullopt;
    LastTracedWindow = found;
    return found;
}

}  // namespace qp
