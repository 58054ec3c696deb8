// One writer for every file the program must not lose or half-write: the
// results file, the results journal and the saved debug log.
#pragma once

#include <string>
#include <string_view>

struct TWriteResult {
    bool bOk = false;
    int nErrno = 0;          // the failed step's errno; 0 on success
    std::string strError;    // "<step>: <errno text>", empty on success
};

// Writes `bytes` to a temporary file beside `strPath` (every write checked),
// flushes it to the disk (fsync), closes it (checked), renames it over the
// target and flushes the folder. On any failure before the rename the
// temporary file is removed and the old target stays as it was. An existing
// target that is not a regular file, or that may not be written, is refused
// rather than replaced behind its owner's back. A new file gets the usual
// permissions (0666 less the umask); a replaced one keeps its own.
TWriteResult WriteFileDurably(const std::string& strPath, std::string_view bytes);

// The folder part of a path, "." when it has none.
std::string FolderOf(const std::string& strPath);

// Flushes a folder's entries (a rename or an unlink in it) to the disk.
bool SyncFolder(const std::string& strFolder);
