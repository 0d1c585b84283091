#pragma once

// The prefectures and towns of yubin.mdb, read for the place-of-payment
// fields. The file is opened in the program's workspace for the reading only.

#include <QString>
#include <QStringList>

namespace sorvane {

class AppContext;

namespace book {

// The prefecture names in their list order. Throws DbError.
QStringList prefectures(const AppContext &ctx);

// The towns of a prefecture in postal-code order, one entry per postal
// code. A text that is not a listed prefecture is refused with a DbError
// that names it; it never becomes a table name.
QStringList townsOf(const AppContext &ctx, const QString &prefecture);

} // namespace book
} // namespace sorvane
