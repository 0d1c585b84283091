#include "master/AccountRegister.h"

#include "book/Accounts.h"
#include "book/AppContext.h"
#include "ui/SheetView.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace sorvane {

namespace {

using Kind = book::AccountField::Kind;

const QString kKindColumn = QStringLiteral("口座種別");

// Fields side by side in two columns of label and field.
constexpr int kFieldColumns = 2;

int fieldDigits(Kind kind)
{
    switch (kind) {
    case Kind::Kozano:
    case Kind::Term:
        return 6;
    case Kind::Amount:
        return 14;
    case Kind::Date:
        return 11;
    default:
        return 0;
    }
}

} // namespace

AccountRegister::AccountRegister(AppContext &ctx, UiService &ui, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("口座情報"));
    setWindowTitle(QStringLiteral("口座情報"));
    setFont(ui::gothicFont());

    auto *grid = new QGridLayout;
    QList<QWidget *> order;
    int i = 0;
    for (const book::AccountField &f : book::accountFields()) {
        QWidget *w = nullptr;
        if (f.column == kKindColumn) {
            m_kind = ui::typedCombo(this, f.column);
            m_kind->addItems({book::kCheckingKind, QStringLiteral("普通")});
            m_kind->setMinimumWidth(ui::digitsWidth(m_kind, 10));
            w = m_kind;
        } else {
            auto *e = ui::named<QLineEdit>(this, f.column);
            if (const int digits = fieldDigits(f.kind)) {
                ui::preferLatin(e, f.kind != Kind::Date);
                e->setFixedWidth(ui::digitsWidth(e, digits));
                if (f.kind == Kind::Amount || f.kind == Kind::Term || f.kind == Kind::Kozano)
                    e->setAlignment(Qt::AlignRight);
            } else {
                if (f.kind == Kind::Code)
                    ui::preferLatin(e);
                e->setMinimumWidth(200);
            }
            if (f.kind == Kind::Date)
                e->setToolTip(QStringLiteral("2026/3/31、令和8年3月31日、R8/3/31 のように入力します"));
            m_edits.insert(f.column, e);
            w = e;
        }
        const int row = i / kFieldColumns;
        const int col = (i % kFieldColumns) * 2;
        grid->addWidget(ui::label(this, QStringLiteral("Label%1").arg(i + 1), f.column, w), row, col);
        grid->addWidget(w, row, col + 1, Qt::AlignLeft);
        order << w;
        ++i;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto *saveButton = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *removeButton = ui::button(this, QStringLiteral("削除ボタン"), QStringLiteral("削　除"));
    auto *clear = ui::button(this, QStringLiteral("クリアボタン"), QStringLiteral("クリア"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    m_list = ui::named<ui::SheetView>(this, QStringLiteral("List1"));
    m_list->setMinimumSize(1100, 200);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ui::buttonRow({saveButton, removeButton, clear, close}));
    layout->addSpacing(6);
    layout->addWidget(ui::label(this, QStringLiteral("一覧タイトル"),
                                QStringLiteral("登録済みの口座（支払手形の画面に出るのは口座種別が「当座」の口座）"),
                                m_list));
    layout->addWidget(m_list, 1);
    ui::addFileMenu(
        this, layout, [this] { save(); }, [this] { remove(); });

    order << saveButton << removeButton << clear << close << m_list;
    QWidget *previous = nullptr;
    for (QWidget *w : std::as_const(order)) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }

    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(removeButton, &QPushButton::clicked, this, [this] { remove(); });
    connect(clear, &QPushButton::clicked, this, &AccountRegister::ClearForm);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &ui::SheetView::rowPicked, this, &AccountRegister::onPicked);

    ui::finishWindow(this);
    ClearForm();
    List1Requery();
    field(QStringLiteral("kozano"))->setFocus();
}

QWidget *AccountRegister::field(const QString &column) const
{
    if (column == kKindColumn)
        return m_kind;
    return m_edits.value(column);
}

QString AccountRegister::fieldText(const QString &column) const
{
    if (column == kKindColumn)
        return m_kind->currentText();
    return m_edits.value(column)->text();
}

void AccountRegister::showField(const QString &column, const QString &text)
{
    if (column == kKindColumn) {
        ui::clearCombo(m_kind);
        m_kind->setEditText(text);
    } else {
        m_edits.value(column)->setText(text);
    }
}

void AccountRegister::ClearForm()
{
    m_picked.reset();
    for (const book::AccountField &f : book::accountFields())
        showField(f.column, {});
    // A new account is most often a checking account: the payable windows offer no other.
    showField(kKindColumn, book::kCheckingKind);
    m_list->selectRow(-1);
}

void AccountRegister::List1Requery()
{
    book::Sheet sheet;
    sheet.title = QStringLiteral("口座一覧");
    for (const book::AccountField &f : book::accountFields())
        sheet.columns << book::SheetColumn{
            f.column, {}, f.kind == Kind::Kozano || f.kind == Kind::Term || f.kind == Kind::Amount, 10};
    try {
        for (const book::AccountRecord &a : book::readAccounts(m_ctx.db())) {
            QStringList row;
            for (const book::AccountField &f : book::accountFields())
                row << book::displayAccountValue(f, a.values.value(f.column));
            sheet.rows << row;
            sheet.keys << a.kozano();
        }
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
    m_list->setSheet(sheet);
}

void AccountRegister::onPicked(int row)
{
    const qint64 kozano = m_list->sheet().keys.value(row);
    try {
        const std::optional<book::AccountRecord> a = book::accountRecord(m_ctx.db(), kozano);
        if (!a) {
            m_ui.information(QStringLiteral("この口座は一覧を読んだ後に削除されています\n一覧を読み直します"));
            ClearForm();
            List1Requery();
            return;
        }
        for (const book::AccountField &f : book::accountFields())
            showField(f.column, book::displayAccountValue(f, a->values.value(f.column)));
        m_picked = kozano;
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

bool AccountRegister::save()
{
    book::AccountValues values;
    const QDate today = m_ctx.clock.today();
    for (const book::AccountField &f : book::accountFields()) {
        QString why;
        const std::optional<QVariant> v = book::parseAccountValue(f, fieldText(f.column), today, &why);
        if (!v) {
            m_ui.information(QStringLiteral("%1: %2").arg(f.column, why));
            field(f.column)->setFocus();
            return false;
        }
        values.insert(f.column, *v);
    }
    try {
        if (m_picked)
            book::updateAccount(m_ctx.db(), *m_picked, values);
        else
            book::addAccount(m_ctx.db(), values);
    } catch (const std::exception &e) {
        // The book refuses a kozano that is taken or that bills still use.
        m_ui.information(errorText(e));
        field(QStringLiteral("kozano"))->setFocus();
        return false;
    }
    ClearForm();
    List1Requery();
    field(QStringLiteral("kozano"))->setFocus();
    return true;
}

bool AccountRegister::remove()
{
    if (!m_picked) {
        m_ui.information(QStringLiteral("削除する口座を一覧から選んでください"));
        return false;
    }
    if (!m_ui.confirm(QStringLiteral("削除しますよ\n元に戻せません"), QStringLiteral("削除の確認"),
                      MessageService::Default::Cancel))
        return false;
    try {
        book::removeAccount(m_ctx.db(), *m_picked);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        return false;
    }
    ClearForm();
    List1Requery();
    return true;
}

} // namespace sorvane
