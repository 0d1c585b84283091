#pragma once

// Failures injected where the program touches the disk, for the whole test
// process: SQLite's own reads and writes through a file layer (VFS) made
// the default one, and the program's file copies and renames through the
// hook of data/FileUtil.
//
// Qt's QSQLITE driver here links the system's libsqlite3, the library this
// file layer registers with, so every connection the program opens after
// install() goes through it (FaultInjection::throughLayer() checks that).

#include <QString>

namespace sorvane::test {

class FaultInjection {
public:
    // Registers the layer as SQLite's default and sets the file hook. Once per process.
    static void install();
    // Back to a disk that never fails.
    static void clear();

    // Writes (SQLite's writes and truncations, and the program's copies) to
    // files whose name ends with the suffix fail after `passing` of them went
    // through: as a full disk (SQLITE_FULL, ENOSPC) or a read-only disk
    // (SQLITE_READONLY, EROFS).
    enum class Failure { DiskFull, ReadOnly };
    static void failWrites(const QString &nameSuffix, Failure failure, int passing = 0);
    // The program's renames onto a name ending with the suffix fail (EIO),
    // as do its second names for a file (EXDEV makes it copy instead).
    static void failRenames(const QString &nameSuffix);
    static void refuseLinks();

    // Counts every step that changes something on the disk (SQLite's write,
    // truncate, sync and delete; the program's write, sync, rename, remove
    // and link) from now on, and kills the process with SIGKILL at step n.
    static void killAtStep(int n);
    static int stepsSoFar();

    // Whether connections opened now go through the layer.
    static bool throughLayer();
};

} // namespace sorvane::test
