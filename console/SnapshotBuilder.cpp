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
    // Appended row by row: nothing is zero-filled only to be overwritten.
    snap->wideCells.reserve(width * size_t(screen.rows()) + 1);
    snap->rowVersions.reserve(size_t(screen.rows()));
    for (int r = 0; r < screen.rows(); ++r) {
        snap->wideCells.insert(snap->wideCells.end(), screen.row(r), screen.row(r) + width);
        snap->rowVersions.push_back(screen.rowVersion(r));
    }
    snap->wideCells.emplace_back();  // the zero-filled spare
    return snap;
}

void FillOemCells(ScreenSnapshot& snap, const ScreenSnapshot* previous, const OemCodepage& codepage)
{
    const size_t width = size_t(snap.width);
    snap.oemCells.clear();
    snap.oemCells.reserve(snap.wideCells.size());
    const bool sameShape = previous && previous->width == snap.width && previous->height == snap.height &&
                           previous->oemCells.size() == snap.wideCells.size() &&
                           previous->rowVersions.size() == snap.rowVersions.size();
    for (size_t r = 0; r < size_t(snap.height); ++r) {
        const size_t at = r * width;
        if (sameShape && previous->rowVersions[r] == snap.rowVersions[r]) {
            snap.oemCells.insert(snap.oemCells.end(), previous->oemCells.begin() + long(at),
                                 previous->oemCells.begin() + long(at + width));
            continue;
        }
        snap.oemCells.resize(at + width);
        ScreenCell* out = snap.oemCells.data() + at;
        const ScreenCell* in = snap.wideCells.data() + at;
        for (size_t c = 0; c < width; ++c)
            out[c] = {codepage.fromUtf16(char16_t(in[c].ch)), in[c].attr};
    }
    snap.oemCells.emplace_back();  // the zero-filled spare
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
