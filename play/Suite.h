#pragma once
// The scripts a run plays: files and folders as given turned into a sorted list, filtered
// and sliced into shards; and the checks of the paths a run will write, made before
// anything plays.

#include "PlayOptions.h"

#include <string>
#include <vector>

namespace qp {

struct SuiteScript {
    std::string path;       // to open: as given, or the folder given joined with `name`
    std::string name;       // relative to the folder given; for a file given, its file name
    std::string className;  // the folder given and the folders below it down to the script;
                            // for a file given, its folder as given ("." when none)
};

struct SuiteScripts {
    std::vector<SuiteScript> scripts;
    std::string error;  // a missing file, a folder without scripts; scripts is then empty
};

// The scripts of the arguments: a file as it is (any name), a folder as every regular file
// whose name ends in ".vbs" below it, following no symbolic links to folders, sorted by
// relative path (byte order). Then the filters (a script stays when any matches its
// `name`) and the shard (the scripts at positions shardIndex-1, shardIndex-1+shardCount,
// ... of the filtered list). A file given twice, or reached twice, is played once.
SuiteScripts CollectScripts(const PlayOptions& options);

// Why a file cannot be written where a run wants to write it (the folder missing or not
// writable, a folder in the way), or empty when it can.
std::string CannotWriteFile(const std::string& path);
// Makes the folder (and the folders above it) when missing: empty when it then exists and
// can be written, else why not.
std::string CannotWriteFolder(const std::string& path);

}  // namespace qp
