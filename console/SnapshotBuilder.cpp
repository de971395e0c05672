#include "SnapshotBuilder.h"

#include <cstring>

namespace qp {

std::shared_ptr<ScreenSnapshot> CaptureScreen(const ScreenModel& model)
{
    auto snap = std::make_shared<ScreenSnapshot>();
    const ScreenBuffer& screen = model.active();
    snap->width = int16_t(screen.cols());
    snap->height = int16_t(screen.rows());
    snap->cursorX = int16_t(model.cursorCol());
    snap->cursorY = int16_t(model.cursorRow());
    snap->cursorVisible = model.cursorVisible();
    snap->alternateScreen = model.alternate();
    snap->generation = model.generation();
    const size_t width = size_t(screen.cols());
    snap->wideCells.resize(width * size_t(screen.rows()) + 1);  // + the zero-filled spare
    snap->rowVersions.resize(size_t(screen.rows()));
    for (int r = 0; r < screen.rows(); ++r) {
        std::memcpy(&snap->wideCells[size_t(r) * width], screen.row(r), width * sizeof(ScreenCell));
        snap->rowVersions[size_t(r)] = screen.rowVersion(r);
    }
    return snap;
}

void FillOemCells(ScreenSnapshot& snap, const ScreenSnapshot* previous, const OemCodepage& codepage)
{
    const size_t width = size_t(snap.width);
    snap.oemCells.resize(snap.wideCells.size());
    const bool sameShape = previous && previous->width == snap.width && previous->height == snap.height &&
                           previous->oemCells.size() == snap.oemCells.size() &&
                           previous->alternateScreen == snap.alternateScreen;
    for (size_t r = 0; r < size_t(snap.height); ++r) {
        const size_t at = r * width;
        if (sameShape && previous->rowVersions[r] == snap.rowVersions[r]) {
            std::memcpy(&snap.oemCells[at], &previous->oemCells[at], width * sizeof(ScreenCell));
            continue;
        }
        for (size_t c = at; c < at + width; ++c)
            snap.oemCells[c] = {codepage.fromUtf16(char16_t(snap.wideCells[c].ch)), snap.wideCells[c].attr};
    }
}

namespace {

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string SnapshotRowText(const ScreenSnapshot& snap, int row)
{
    std::string text;
    if (row < 0 || row >= snap.height)
        return text;
    for (int c = 0; c < snap.width; ++c) {
        const char16_t ch = char16_t(snap.wide(c, row).ch);
        const bool surrogate = ch >= 0xD800 && ch <= 0xDFFF;
        appendUtf8(text, ch == 0 ? U' ' : surrogate ? U'\uFFFD' : char32_t(ch));
    }
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

std::string SnapshotText(const ScreenSnapshot& snap)
{
    std::string text;
    size_t keep = 0;
    for (int r = 0; r < snap.height; ++r) {
        text += SnapshotRowText(snap, r);
        text += '\n';
        if (!SnapshotRowText(snap, r).empty())
            keep = text.size();
    }
    return text.substr(0, keep);
}

}  // namespace qp
