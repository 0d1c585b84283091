#include "life/LifeForms.h"

#include "data/Formats.h"
#include "data/MessageService.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QLineEdit>

namespace sorvane::life {

QLineEdit *dateField(QWidget *parent, const QString &name)
{
    auto *e = ui::named<QLineEdit>(parent, name);
    ui::preferLatin(e);
    e->setFixedWidth(ui::digitsWidth(e, 12));
    return e;
}

QLineEdit *amountField(QWidget *parent, const QString &name)
{
    auto *e = ui::named<QLineEdit>(parent, name);
    ui::preferLatin(e, true);
    e->setFixedWidth(ui::digitsWidth(e, 14));
    e->setAlignment(Qt::AlignRight);
    return e;
}

std::optional<QDate> readDate(QLineEdit *field, const QDate &today, const QString &what, MessageService &messages)
{
    const QDate d = fmt::parseDate(field->text(), today);
    if (!d.isValid()) {
        messages.information(
            QStringLiteral("%1を正しく入力してください\n（例: 2026/12/7、12/7、令和8年12月7日）").arg(what));
        field->setFocus();
        return std::nullopt;
    }
    return d;
}

std::optional<qint64> readAmount(QLineEdit *field, const QString &what, MessageService &messages)
{
    const std::optional<qint64> a = fmt::parseAmount(field->text());
    if (!a || *a < 0 || *a > 2147483647) {
        messages.information(QStringLiteral("%1は 0 以上の金額を数字で入力してください\n（例: 1,234,567）").arg(what));
        field->setFocus();
        return std::nullopt;
    }
    return a;
}

QString kindWord(const book::BillRow &b)
{
    switch (b.position()) {
    case book::Position::Issued:
        return QStringLiteral("支払");
    case book::Position::Discounted:
        return QStringLiteral("割引");
    case book::Position::HandedOn:
        return QStringLiteral("譲渡");
    case book::Position::Dishonoured:
        return QStringLiteral("不渡");
    default:
        return QStringLiteral("受取");
    }
}

} // namespace sorvane::life
