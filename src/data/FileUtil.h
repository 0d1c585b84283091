#pragma once

// File steps that must never leave a half-written file behind.

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

// Whether a file can be created in the folder.
bool folderWritable(const QString &folder);

} // namespace sorvane::file
