#pragma once

// Text for files other programs read: Shift_JIS as every reader takes it
// (ASCII, half-width katakana and JIS X 0208, the form the tax office's CSV
// and Japanese accounting software expect) and the width rules of
// fixed-width fields.

#include <QByteArray>
#include <QString>

#include <optional>

namespace sorvane::book {

// The usual JIS X 0208 stand-ins for characters that have none: ＇ → ’,
// ＂ → ”, ㈱ → （株）, ㍿ → 株式会社, 髙 → 高, 﨑 → 崎 and their like, and the
// compatibility forms (①, Ⅲ, ㍻, compatibility ideographs) as their plain
// forms. Characters of JIS X 0208 and those without a stand-in stay as they are.
QString jisLookAlikes(const QString &text);

// The text in Shift_JIS, after jisLookAlikes: only ASCII, half-width
// katakana and JIS X 0208, so that `iconv -f SHIFT_JIS` and code page 932
// readers alike take every byte. nullopt when a character has no such form
// (the extensions of code page 932 such as 0xFA56, emoji, Hangul, JIS X 0213
// kanji); *bad then holds those characters, each once, in the order met.
// Characters that JIS and code page 932 spell differently (〜 U+301C and
// ～ U+FF5E, ‖, −, ¢, £, ¬) are written as the one code both read.
std::optional<QByteArray> toShiftJis(const QString &text, QString *bad = nullptr);

// Half-width Latin letters, digits, signs and spaces as their full-width
// forms, half-width katakana as full-width katakana: what a field that
// takes full-width characters only is given. The apostrophe and the
// double quote become ’ and ”, whose full-width forms are not JIS X 0208.
QString toFullWidth(const QString &text);
// Shift_JIS bytes (code page 932, as Windows programs write it) as text;
// nullopt when the bytes are not Shift_JIS.
std::optional<QString> fromShiftJis(const QByteArray &bytes);

} // namespace sorvane::book
