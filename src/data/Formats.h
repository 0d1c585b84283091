#pragma once

// How dates and amounts are shown in and read from the fields and list
// lines of every window. Nothing here depends on the machine's locale.

#include <QDate>
#include <QString>

#include <optional>

namespace sorvane::fmt {

// Date forms. An invalid date gives an empty text.
QString ymd(const QDate &date);      // "yyyy/mm/dd", the form of the date fields
QString ymdShort(const QDate &date); // "yyyy/m/d"
QString md(const QDate &date);       // "m/d", the booking date
QString mmdd(const QDate &date);     // "mm/dd", short list lines
QString yymmdd(const QDate &date);   // "yy/mm/dd", list lines
QString iso(const QDate &date);      // "yyyy-mm-dd", the stored form

// Reads a typed date; an invalid QDate when the text is not a date
// (empty, an impossible day such as 2/30 or 13/1, an era date outside its
// era). Accepted, with full-width characters and surrounding spaces too:
//   yyyy/m/d, yyyy/mm/dd, yyyy-mm-dd, yyyy.m.d, yyyy年m月d日, yyyymmdd;
//   yy/mm/dd (00–29 are 2000–2029, 30–99 are 1930–1999);
//   m/d and m月d日 — in the year of `today`, and only when today is given;
//   era dates: 令和8年12月7日, 令和8/12/7, R8.12.7, H16/3/5, S64/1/7, 令和元年5月1日
//   (eras 明治 M from the solar calendar of 1873, 大正 T, 昭和 S, 平成 H, 令和 R).
QDate parseDate(const QString &text, const QDate &today = {});

// "#,##0": 1234567 → "1,234,567", -1234 → "-1,234".
QString amount(qint64 value);

// Reads a typed amount: digits with or without thousands separators in
// groups of three ("1,234,567"), full-width digits and commas as the input
// method types them, an optional sign ("-", "−", "+"), an optional leading
// "¥" or trailing "円", and an optional fraction that is rounded to whole
// yen half to even ("1234.5" → 1234, "1235.5" → 1236). nullopt for anything
// else, for an empty text and for more than 18 digits; for a number of more
// digits *tooLarge (when given) is set, so that it can be told from a typo.
std::optional<qint64> parseAmount(const QString &text, bool *tooLarge = nullptr);

// Reads a typed whole number such as a term in days: digits (full-width
// too) with an optional sign, nothing else. nullopt for anything else, for
// an empty text and for more than 18 digits.
std::optional<qint64> parseWholeNumber(const QString &text);

// A typed code (customer and supplier codes) or bill number in the form it
// is stored and looked up in: full-width Latin letters, digits and signs as the half-width
// ones ("Ａ１２" → "A12"), an ideographic space as a space, surrounding spaces
// trimmed. Kana and kanji are kept as typed.
QString normalizeCode(const QString &text);

// Number of characters as a reader counts them: a character outside the
// basic plane ("😀") is one, not two UTF-16 units.
int charCount(const QString &text);

// Rounds to a whole number, a half going to the even neighbour
// (2.5 → 2, 3.5 → 4, -2.5 → -2).
qint64 roundHalfEven(double value);

} // namespace sorvane::fmt
