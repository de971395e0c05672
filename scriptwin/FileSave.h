#pragma once
// Saving a file so that a failure never costs the old version, and the file stays what it
// was: the same links, mode and owner.
//
// The usual way writes a new file beside the old one, flushes it to the disk and renames it
// over the old one, so the old file stays whole until the new one is complete. Written in
// place instead (same inode), after the old contents are copied and flushed elsewhere, when
// a new file would change what the file is:
//   - a symbolic link is followed to the file it names, which is saved; the link stays;
//   - a file with several hard links is written in place, so every name sees the new text;
//   - a file whose owner cannot be given to a new file (someone else's, writable by us), or
//     in a folder that takes no new file while the file itself is writable, too.
// Writing in place first reserves the room the new text needs, so a full disk fails before
// a byte changes; a write that still fails puts the old contents back from the copy. Only
// when even that fails does the copy stay, and the result names it.

#include <string>

namespace qp {

struct FileSaveResult {
    int error = 0;         // 0 when saved; otherwise the errno of the step that failed
    std::string keptCopy;  // when the old contents could not be put back: where they are
    bool saved() const { return error == 0; }
};

FileSaveResult SaveFileContents(const std::string& path, const std::string& bytes);

}  // namespace qp
