#include "book/Places.h"

#include "book/AppContext.h"
#include "data/Engine.h"
#include "data/Files.h"
#include "data/Postal.h"

namespace sorvane::book {

namespace {

Workspace &workspaceOf(const AppContext &ctx)
{
    if (!ctx.DataWorkspace)
        throw DbError(QStringLiteral("データベースが開かれていません"));
    return *ctx.DataWorkspace;
}

} // namespace

QStringList prefectures(const AppContext &ctx)
{
    ScopedDatabase yubin(workspaceOf(ctx), ctx.filePath(files::kPostalDb));
    return postal::prefectures(*yubin);
}

QStringList townsOf(const AppContext &ctx, const QString &prefecture)
{
    ScopedDatabase yubin(workspaceOf(ctx), ctx.filePath(files::kPostalDb));
    return postal::towns(*yubin, prefecture.trimmed());
}

} // namespace sorvane::book
