#pragma once
// Builds immutable snapshots from the screen model. The wide cells are copied under the
// screen lock (one copy per row); the OEM cells are made afterwards without the lock,
// reusing the rows that did not change since the previous snapshot.

#include "Codepage.h"
#include "ScreenModel.h"
#include "ScreenTypes.h"

#include <memory>
#include <string>

namespace qp {

// Step 1, under the screen lock: size, cursor, wide cells and row versions.
std::shared_ptr<ScreenSnapshot> CaptureScreen(const ScreenModel& model);
// Step 2, without the lock: the OEM cells, from `previous` where a row is unchanged.
void FillOemCells(ScreenSnapshot& snapshot, const ScreenSnapshot* previous, const OemCodepage& codepage);

// One row of a snapshot as UTF-8 (a zero character shows as a blank), trailing blanks
// removed. For the demo, tests and logs.
std::string SnapshotRowText(const ScreenSnapshot& snapshot, int row);
// The whole snapshot as lines of UTF-8, trailing empty lines removed.
std::string SnapshotText(const ScreenSnapshot& snapshot);

}  // namespace qp
