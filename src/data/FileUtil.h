#pragma once

// File steps that must never leave a half-written file behind. Every copy
// is written in full and flushed to the disk before it takes its name, and
// every rename is flushed with its folder, so that after a crash or a power
// cut a name holds either the old file or the complete new one.

#include <QString>

#include <functional>

namespace sorvane::file {

// Runs the writer on a work file beside the target and moves the work file
// over the target only when the writer finished; on failure the target is
// left as it was and the work file is removed. Throws DbError.
void replaceWhenComplete(const QString &target, const std::function<void(const QString &work)> &writer);

// Copies a file to a new name that must not exist yet; the copy appears
// under its name only when complete. Throws DbError.
void copyNew(const QString &source, const QString &target);

// Replaces (or creates) the target with a byte copy of the source, complete or not at all.
void copyReplace(const QString &source, const QString &target);

// Writes a complete copy of the source under the target name (replacing a
// file there), flushed to the disk; on failure nothing is left under the
// target name. The copy is writable by its owner. Throws DbError.
void copyFile(const QString &source, const QString &target);

// A second name for the same file where the file system allows it (no
// bytes written, so a full disk cannot stop it), otherwise a copy. The
// target must not exist. Throws DbError.
void linkOrCopy(const QString &source, const QString &target);

// Renames within a folder, replacing a file under the new name in one step,
// and flushes the folder. Throws DbError.
void moveOver(const QString &from, const QString &to);

// Removes the file when it is there. Throws DbError when it stays.
void removeFile(const QString &path);

// Flushes a written file to the disk. Throws DbError.
void syncFile(const QString &path);

// Whether a file can be created in the folder.
bool folderWritable(const QString &folder);

// Where the steps above touch the disk. A test sets a hook that is asked
// before each step; it returns 0 to let the step run, or an errno value the
// step then fails with as if the system had said it (ENOSPC for a full
// disk). The hook may also end the process there.
enum class Step { Write, Sync, Rename, Remove, Link };
using FaultHook = std::function<int(Step step, const QString &path)>;
void setFaultHook(FaultHook hook);

} // namespace sorvane::file
