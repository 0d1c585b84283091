#include "life/CollectionDays.h"

#include "book/AppContext.h"
#include "book/Planning.h"
#include "data/Formats.h"
#include "data/Schema.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace sorvane {

CollectionDaysWindow::CollectionDaysWindow(AppContext &ctx, UiService &ui, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("取立日数設定"));
    setWindowTitle(QStringLiteral("取立日数設定"));
    setFont(ui::gothicFont());

    m_days = ui::named<QLineEdit>(this, QStringLiteral("取立日数"));
    ui::preferLatin(m_days, true);
    m_days->setFixedWidth(ui::digitsWidth(m_days, 4));
    m_days->setAlignment(Qt::AlignRight);
    auto *note = ui::label(this, QStringLiteral("Label2"),
                           QStringLiteral("取り立てに出した受取手形は、手形期日にこの日数を足し、\n"
                                          "銀行の休業日なら次の営業日を決済日とします（0〜%1 日）。")
                               .arg(schema::kMaxCollectionDays));
    // The planning windows count a collected bill into this account.
    m_account = ui::named<QComboBox>(this, QStringLiteral("取立口座"));
    m_account->setMinimumWidth(320);
    auto *accountNote = ui::label(this, QStringLiteral("Label5"),
                                  QStringLiteral("取り立てた受取手形の入金先です（手形ごとに変えるときは、\n"
                                                 "口座別資金確認の明細で選びます）。"));
    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *grid = new QGridLayout;
    grid->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("取立日数"), m_days), 0, 0);
    grid->addWidget(m_days, 0, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("日")), 0, 2);
    grid->addWidget(ui::label(this, QStringLiteral("Label4"), QStringLiteral("取立口座"), m_account), 1, 0);
    grid->addWidget(m_account, 1, 1, 1, 3);
    grid->setColumnStretch(3, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(note);
    layout->addWidget(accountNote);
    layout->addLayout(ui::buttonRow({save, close}));
    ui::chainTabOrder({m_days, m_account, save, close});

    connect(save, &QPushButton::clicked, this, [this] {
        if (登録())
            accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    ui::finishWindow(this);

    try {
        m_days->setText(QString::number(schema::readCollectionDays(m_ctx.db())));
        m_account->addItem(QStringLiteral("（指定しない）"), 0);
        for (const book::AccountRecord &a : book::readAccounts(m_ctx.db()))
            m_account->addItem(book::accountLine(a), a.id);
        m_account->setCurrentIndex(std::max(0, m_account->findData(book::defaultCollectionAccount(m_ctx.db()))));
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
    m_days->selectAll();
    m_days->setFocus();
}

bool CollectionDaysWindow::登録()
{
    const std::optional<qint64> days = fmt::parseWholeNumber(m_days->text().trimmed());
    if (!days || *days < 0 || *days > schema::kMaxCollectionDays) {
        m_ui.information(QStringLiteral("取立日数は 0〜%1 の数字で入力してください").arg(schema::kMaxCollectionDays));
        m_days->setFocus();
        return false;
    }
    try {
        book::saveCollectionSettings(m_ctx.db(), int(*days), m_account->currentData().toLongLong());
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        return false;
    }
    return true;
}

} // namespace sorvane
