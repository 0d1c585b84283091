#pragma once

// The two tools that work on the main database file as a whole: the reset
// (初期化) and the compaction (最適化). Each closes the open database, works
// on the files, and opens the database again with the start-up routines.
// Whatever fails on the way, the data that were there stay there: the old
// file is replaced only by a complete new one.

#include <QString>

#include <functional>

namespace sorvane {

class AppContext;
struct ServerAddress;

namespace book {

enum class ToolResult {
    Done,          // the work was done and the database is open again
    NotDone,       // nothing was changed (the reason was shown); the database is open again
    MainDbMissing, // tegata.mdb is not there (shown): the program must end
    CannotOpen     // tegata.mdb cannot be opened for work (shown): the program must end
};

// Writes a compacted copy of a database file into a new file.
using CompactStep = std::function<void(const QString &source, const QString &newFile)>;

// Whether inidata.mdx, the database in its initial state, is there.
bool hasInitialData(const AppContext &ctx);

// Replaces tegata.mdb by a copy of inidata.mdx and keeps the old file as
// tegata.bak (one previous generation). The window length `days` stored in
// the old file (not the value read at start-up) is carried into the new one. A server book is first written with
// pg_dump to tegata-server.bak in the data folder (one generation), then
// emptied in one transaction; when the backup fails nothing is emptied.
ToolResult resetData(AppContext &ctx);

// Compacts tegata.mdb through temp.mdb. A temp.mdb left by an interrupted
// run is removed first, but only once tegata.mdb is known to open. On a
// server book the server's own VACUUM (ANALYZE) runs on the book's tables.
ToolResult compactData(AppContext &ctx, const CompactStep &compact = {});

// Writes the server book with pg_dump into the file, complete or not at
// all. Throws DbError with pg_dump's own words when it fails.
void dumpServerBook(const ServerAddress &server, const QString &fileName);

// The PostgreSQL client program of that name (pg_dump, pg_restore): on the
// path, else in the newest /usr/lib/postgresql/<version>/bin. Empty when
// neither has it.
QString postgresProgram(const QString &name);

// CheckDataFiles, OpenDataDatabase and LoadSettings, as at start-up.
ToolResult reopenData(AppContext &ctx);
// The end of a tool that closed the file book: the problem shown (when
// there is one), the book opened again; Done only when both went well.
ToolResult finishFileTool(AppContext &ctx, const QString &problem);

} // namespace book
} // namespace sorvane
