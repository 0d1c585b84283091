#pragma once

// The bill number that follows the last one recorded for an account or a
// customer's template.

#include <QString>

namespace sorvane {

// The longest run of digits at the end of the number is increased by one,
// keeping its width and leading zeros and widening it when it overflows:
// A0099 → A0100, 999 → 1000, X9Y01 → X9Y02. A number without a digit at
// its end gives "1" (AB → 1); an empty number gives an empty text.
// Surrounding spaces are ignored, and full-width letters and digits read as
// half-width ones (Ａ０９９ → A100). Only the digits 0–9 count, so a tail of
// any length works and signs or separators never read as part of it.
QString NextBillNumber(const QString &last);

// Whether a bill number just saved should become the last number of a
// template or an account that holds `last`: a number of the same series
// (the same text before the final digits) only when its digits are larger,
// so that the proposal never goes back when another clerk saved a lower
// number; a number of another series (a new cheque book) always; an empty
// number never. Both are read in half-width, as NextBillNumber reads them.
bool BillNumberAfter(const QString &number, const QString &last);

} // namespace sorvane
