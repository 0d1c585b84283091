#pragma once

// Dates in the Japanese era form, as ledgers and the tax office's files show them.

#include <QDate>
#include <QString>

#include <optional>

namespace sorvane::book {

struct EraYear {
    int code = 0; // 明治 1, 大正 2, 昭和 3, 平成 4, 令和 5: the tax office's codes
    QString name; // "令和"
    QChar letter; // 'R'
    int year = 0; // 1 for the first year
};

// nullopt for an invalid date or one before 明治6年 (1873).
std::optional<EraYear> eraOf(const QDate &date);

// "令和8年" ("令和元年" for the first year); empty for a date without era.
QString eraYearText(const QDate &date);
// "R8.12.07"; empty for a date without era.
QString eraShort(const QDate &date);
// "令和8年12月7日".
QString eraLong(const QDate &date);

} // namespace sorvane::book
