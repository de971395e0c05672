#include "SnapshotBuilder.h"

#include "text/Utf.h"

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
        for (const RowCluster& c : screen.clusters(r))
            snap->clusters.push_back({uint32_t(size_t(r) * width + size_t(c.col)), c.text});
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

// UTF-16 to UTF-8; a zero unit shows as a blank, a lone surrogate as U+FFFD.
void appendUtf16(std::string& out, std::u16string_view text)
{
    for (size_t pos = 0; pos < text.size();) {
        const char32_t c = text::decodeUtf16(text, pos);
        text::appendUtf8(out, c == 0 ? U' ' : c);
    }
}

}  // namespace

std::string SnapshotRowText(const ScreenSnapshot& snap, int row)
{
    std::string text;
    if (row < 0 || row >= snap.height)
        return text;
    std::u16string units;
    for (int c = 0; c < snap.width; ++c) {
        if (snap.continuesWide(c, row))
            continue;
        if (IsTrailingCell(snap.wide(c, row)))
            units += u' ';  // the half of a wide character that was overwritten
        else
            snap.appendCellText(units, size_t(row) * size_t(snap.width) + size_t(c));
    }
    appendUtf16(text, units);
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

std::string SnapshotText(const ScreenSnapshot& snap)
{
    std::string text;
    size_t keep = 0;
    for (int r = 0; r < snap.height; ++r) {
        const std::string row = SnapshotRowText(snap, r);
        text += row;
        text += '\n';
        if (!row.empty())
            keep = text.size();
    }
    return text.substr(0, keep);
}

}  // namespace qp
