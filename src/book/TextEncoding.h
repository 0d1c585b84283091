#pragma once

// Text for files other programs read: Shift_JIS (Windows code page 932, the
// form Japanese accounting software and the tax office's CSV expect) and
// the width rules of fixed-width fields.

#include <QByteArray>
#include <QString>

#include <optional>

namespace sorvane::book {

// The text in code page 932. nullopt when a character has no Shift_JIS form;
// *bad then holds those characters, each once, in the order met. Characters
// that JIS and code page 932 map differently (〜 U+301C, ‖, −, ¢, £, ¬) are
// written as the code page 932 ones, as Windows software reads them.
std::optional<QByteArray> toShiftJis(const QString &text, QString *bad = nullptr);

// Half-width Latin letters, digits, signs and spaces as their full-width
// forms, half-width katakana as full-width katakana: what a field that
// takes full-width characters only is given.
QString toFullWidth(const QString &text);

} // namespace sorvane::book
