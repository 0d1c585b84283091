#pragma once

// Pieces the windows of a bill's life share: date and amount fields read
// with a Japanese message for what was typed wrong, the words for a bill's
// state, and the history window opened for a bill.

#include "book/BillLife.h"
#include "ui/WindowKit.h"

#include <QDate>
#include <QString>

#include <optional>

class QLineEdit;
class QWidget;

namespace sorvane {

class MessageService;
class UiService;

namespace life {

// A field for a date, typed with Latin characters.
QLineEdit *dateField(QWidget *parent, const QString &name);
// A field for an amount of yen, right-aligned.
QLineEdit *amountField(QWidget *parent, const QString &name);

// The date in the field ("2026/12/7", "12/7" this year, "令和8年12月7日"), or
// nothing after the message "<what>を正しく入力してください…". The field gets
// the focus back then.
std::optional<QDate> readDate(QLineEdit *field, const QDate &today, const QString &what, MessageService &messages);
// A whole amount of yen from 0 up, or nothing after a message.
std::optional<qint64> readAmount(QLineEdit *field, const QString &what, MessageService &messages);

// What a bill is, in a word for the lists: 受取, 支払, 割引, 譲渡, 不渡.
QString kindWord(const book::BillRow &bill);

} // namespace life
} // namespace sorvane
