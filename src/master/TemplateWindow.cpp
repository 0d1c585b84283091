#include "master/TemplateWindow.h"

#include "book/AppContext.h"
#include "data/Formats.h"
#include "data/Engine.h"
#include "ui/TownList.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"
#include "ui/QuietSteps.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <optional>

namespace sorvane {

namespace {

// The term in whole days; digits typed with the Japanese input method count too.
std::optional<qint64> parseTerm(const QString &typed)
{
    const std::optional<qint64> days = fmt::parseWholeNumber(typed);
    if (!days || *days < 0 || *days > 99999)
        return std::nullopt;
    return days;
}

} // namespace

TemplateWindow::TemplateWindow(AppContext &ctx, UiService &ui, QWidget *parent) : QDialog(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("手形情報"));
    setWindowTitle(QStringLiteral("手形情報"));
    setFont(ui::gothicFont());

    m_customerName = ui::named<QLabel>(this, QStringLiteral("得意先名"));
    QFont heading = ui::gothicFont(12);
    heading.setBold(true);
    m_customerName->setFont(heading);
    m_customerName->setMinimumHeight(m_customerName->fontMetrics().height() + 4);

    m_drawer = ui::named<QLineEdit>(this, QStringLiteral("名義"));
    m_billNumber = ui::named<QLineEdit>(this, QStringLiteral("手形番号"));
    ui::preferLatin(m_billNumber);
    m_billNumber->setFixedWidth(ui::digitsWidth(m_billNumber, 14));
    m_prefecture = ui::typedCombo(this, QStringLiteral("支払県"));
    m_prefecture->setMaxVisibleItems(16);
    m_prefecture->setMinimumWidth(ui::digitsWidth(m_prefecture, 8));
    m_town = ui::typedCombo(this, QStringLiteral("支払市"));
    m_town->setMaxVisibleItems(20);
    m_bankCode = ui::typedCombo(this, QStringLiteral("支払場所コード"));
    ui::preferLatin(m_bankCode, true);
    m_bank = ui::named<QLineEdit>(this, QStringLiteral("支払場所"));
    m_branchCode = ui::typedCombo(this, QStringLiteral("支払場所支店コード"));
    ui::preferLatin(m_branchCode, true);
    m_branch = ui::typedCombo(this, QStringLiteral("支払場所支店"));
    m_term = ui::named<QLineEdit>(this, QStringLiteral("標準期間"));
    ui::preferLatin(m_term, true);
    m_term->setFixedWidth(ui::digitsWidth(m_term, 6));
    m_term->setAlignment(Qt::AlignRight);
    for (QComboBox *c : {m_bankCode, m_branchCode})
        c->setFixedWidth(ui::digitsWidth(c, 6));

    // The keys of the template and of the customer; only the window sets them.
    m_myid = ui::named<QLineEdit>(this, QStringLiteral("Myid"));
    m_idbox = ui::named<QLineEdit>(this, QStringLiteral("idbox"));
    for (QLineEdit *key : {m_myid, m_idbox}) {
        key->setReadOnly(true);
        key->setFocusPolicy(Qt::NoFocus);
        key->hide();
    }

    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *remove = ui::button(this, QStringLiteral("削除ボタン"), QStringLiteral("削　除"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    m_list = ui::recordList(this, 480, 160);

    auto *grid = new QGridLayout;
    grid->setColumnStretch(2, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("名義(振出人)"), m_drawer), 0, 0);
    grid->addWidget(m_drawer, 0, 1, 1, 2);
    grid->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("手形番号"), m_billNumber), 1, 0);
    grid->addWidget(m_billNumber, 1, 1, 1, 2, Qt::AlignLeft);
    grid->addWidget(ui::label(this, QStringLiteral("Label6"), QStringLiteral("支払地"), m_prefecture), 2, 0);
    grid->addWidget(m_prefecture, 2, 1);
    grid->addWidget(m_town, 2, 2);
    grid->addWidget(ui::label(this, QStringLiteral("Label7"), QStringLiteral("支払場所"), m_bankCode), 3, 0);
    grid->addWidget(m_bankCode, 3, 1, Qt::AlignLeft);
    grid->addWidget(m_bank, 3, 2);
    grid->addWidget(m_branchCode, 4, 1, Qt::AlignLeft);
    grid->addWidget(m_branch, 4, 2);
    auto *termRow = new QHBoxLayout;
    termRow->addWidget(m_term);
    termRow->addWidget(ui::label(this, QStringLiteral("Label5"), QStringLiteral("日")));
    termRow->addStretch(1);
    grid->addWidget(ui::label(this, QStringLiteral("Label4"), QStringLiteral("標準的な手形期間"), m_term), 5, 0);
    grid->addLayout(termRow, 5, 1, 1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_customerName);
    layout->addLayout(grid);
    layout->addLayout(ui::buttonRow({save, remove, close}));
    layout->addSpacing(6);
    layout->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("登録済みの手形"), m_list));
    layout->addWidget(m_list, 1);
    layout->addWidget(m_myid);
    layout->addWidget(m_idbox);
    ui::addFileMenu(
        this, layout, [this] { onSave(); }, [this] { onDelete(); });

    ui::chainTabOrder({m_drawer, m_billNumber, m_prefecture, m_town, m_bankCode, m_bank, m_branchCode, m_branch, m_term,
                       save, remove, close, m_list});

    connect(save, &QPushButton::clicked, this, &TemplateWindow::onSave);
    connect(remove, &QPushButton::clicked, this, &TemplateWindow::onDelete);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &TemplateWindow::onSelect);
    connect(m_list, &QListWidget::itemClicked, this, &TemplateWindow::onSelect);
    m_towns = new ui::TownList(m_ctx, m_ui, m_prefecture, m_town);

    ui::finishWindow(this);
    m_drawer->setFocus();
    ClearForm();
}

qint64 TemplateWindow::customerKey() const
{
    bool ok = false;
    const qint64 id = m_idbox->text().toLongLong(&ok);
    return ok && id > 0 ? id : 0;
}

void TemplateWindow::showCustomer(qint64 customerId, const QString &customerName)
{
    m_customerName->setText(customerName);
    m_idbox->setText(customerId > 0 ? QString::number(customerId) : QString());
    m_list->clear();
    m_lineIds.clear();
    ui::quietly(m_ui, [this] { loadCustomerTemplates(); });
    // A customer's first template usually names the customer as drawer.
    if (m_lineIds.size() == 0)
        m_drawer->setText(customerName);
}

void TemplateWindow::clearFields()
{
    for (QLineEdit *e : {m_myid, m_billNumber, m_drawer, m_bank, m_term})
        e->clear();
    for (QComboBox *c : {m_bankCode, m_branchCode, m_branch})
        ui::clearCombo(c);
    m_towns->clear();
}

void TemplateWindow::ClearForm()
{
    clearFields();
    m_list->clear();
    m_lineIds.clear();
    // Clearing goes on past a failing step without a message.
    ui::QuietSteps quiet(m_ui);
    quiet([this] { m_towns->loadPrefectures(); });
    quiet([this] { loadCustomerTemplates(); });
}

void TemplateWindow::loadCustomerTemplates()
{
    const qint64 customer = customerKey();
    if (!customer)
        return;
    const QList<book::BillTemplate> templates = book::templatesOf(m_ctx.db(), customer);
    if (templates.isEmpty())
        return;
    showFields(templates.first());
    showTemplates(templates);
}

void TemplateWindow::List1Requery()
{
    m_list->clear();
    m_lineIds.clear();
    const qint64 customer = customerKey();
    if (!customer)
        return;
    try {
        showTemplates(book::templatesOf(m_ctx.db(), customer));
    } catch (const DbError &e) {
        m_ui.information(e.description());
    }
}

void TemplateWindow::showTemplates(const QList<book::BillTemplate> &templates)
{
    QStringList lines;
    lines.reserve(templates.size());
    m_lineIds.clear();
    for (const book::BillTemplate &t : templates) {
        lines << ui::templateLine(t.支払場所, t.振出人);
        m_lineIds.append(t.id);
    }
    ui::fillList(m_list, lines);
}

void TemplateWindow::showFields(const book::BillTemplate &t)
{
    m_myid->setText(QString::number(t.id));
    m_billNumber->setText(t.最終手形番号);
    m_drawer->setText(t.振出人);
    m_towns->show(t.支払県, t.支払市);
    m_bankCode->setEditText(t.支払場所コード);
    m_bank->setText(t.支払場所);
    m_branchCode->setEditText(t.支払場所支店コード);
    m_branch->setEditText(t.支払場所支店);
    m_term->setText(QString::number(t.手形期間));
}

void TemplateWindow::onSelect()
{
    const auto items = m_list->selectedItems();
    if (items.isEmpty() || items.first()->text().isEmpty())
        return;
    const qint64 key = m_lineIds.at(m_list->row(items.first()));
    ui::quietly(m_ui, [&] {
        if (const auto t = book::templateById(m_ctx.db(), key))
            showFields(*t);
    });
}

bool TemplateWindow::登録()
{
    const qint64 customer = customerKey();
    if (!customer) {
        m_ui.information(QStringLiteral("得意先が決まっていないため保存できません\n得意先情報から開き直してください"));
        return false;
    }
    const std::optional<qint64> term = parseTerm(m_term->text());
    if (!term) {
        m_ui.information(QStringLiteral("標準的な手形期間を日数（0以上の整数）で入力してください"));
        return false;
    }
    book::BillTemplate t;
    t.customerId = customer;
    t.振出人 = m_drawer->text();
    t.支払県 = m_towns->prefecture();
    t.支払市 = m_towns->town();
    t.支払場所コード = m_bankCode->currentText();
    t.支払場所 = m_bank->text();
    t.支払場所支店コード = m_branchCode->currentText();
    t.支払場所支店 = m_branch->currentText();
    t.手形期間 = *term;
    t.最終手形番号 = m_billNumber->text();
    try {
        // A selected line means the template shown is being changed.
        t.id = m_myid->text().toLongLong();
        if (!m_list->selectedItems().isEmpty() && t.id > 0)
            book::updateTemplate(m_ctx.db(), t);
        else
            book::insertTemplate(m_ctx.db(), t);
        return true;
    } catch (const DbError &e) {
        m_ui.information(e.description());
        return false;
    }
}

void TemplateWindow::onSave()
{
    if (!登録())
        return;
    clearFields();
    m_list->clearSelection();
    List1Requery();
}

void TemplateWindow::onDelete()
{
    const qint64 id = m_myid->text().toLongLong();
    if (id <= 0)
        return;
    if (!m_ui.confirm(QStringLiteral("削除しますよ\n元に戻せません"), QStringLiteral("削除の確認"),
                      MessageService::Default::Cancel))
        return;
    try {
        book::deleteTemplate(m_ctx.db(), id);
    } catch (const DbError &e) {
        m_ui.information(e.description());
        return;
    }
    ClearForm();
}

} // namespace sorvane
