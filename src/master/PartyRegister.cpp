#include "master/PartyRegister.h"

#include "book/AppContext.h"
#include "data/Formats.h"
#include "ui/ListLines.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"
#include "ui/QuietSteps.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace sorvane {

PartyRegister::PartyRegister(AppContext &ctx, UiService &ui, const Setup &setup, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui), m_setup(setup)
{
    setObjectName(setup.windowName);
    setWindowTitle(setup.windowName);
    setFont(ui::gothicFont());

    m_code = ui::named<QLineEdit>(this, QStringLiteral("コード"));
    ui::preferLatin(m_code);
    m_code->setMaxLength(20); // refused above five on saving, with a message
    m_code->setFixedWidth(m_code->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMM")) + 12);
    m_name = ui::named<QLineEdit>(this, setup.nameField);
    m_name->setMinimumWidth(300);

    auto *save = ui::button(this, QStringLiteral("登録ボタン"), QStringLiteral("登　録"));
    auto *remove = ui::button(this, QStringLiteral("削除ボタン"), QStringLiteral("削　除"));
    if (setup.templateButton)
        m_templateButton = ui::button(this, QStringLiteral("手形情報登録ボタン"), QStringLiteral("手形情報"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    m_list = ui::recordList(this, 420, 260);

    m_number = ui::named<QLineEdit>(this, QStringLiteral("登録番号"));
    ui::preferLatin(m_number);
    m_number->setMaxLength(40);
    m_number->setPlaceholderText(QStringLiteral("例 T1234567890123"));
    m_number->setFixedWidth(
        m_number->fontMetrics().horizontalAdvance(m_number->placeholderText() + QStringLiteral("00")) + 12);
    m_number->setToolTip(
        QStringLiteral("適格請求書発行事業者の登録番号 (T1234567890123) か法人番号 (13 桁) の\n"
                       "どちらか一方。分からなければ空のままにします。勘定科目内訳明細書に書かれます。"));

    auto *fields = new QGridLayout;
    fields->addWidget(ui::label(this, QStringLiteral("Label2"), setup.codeLabel, m_code), 0, 0);
    fields->addWidget(m_code, 0, 1, Qt::AlignLeft);
    fields->addWidget(ui::label(this, QStringLiteral("Label3"), setup.nameField, m_name), 1, 0);
    fields->addWidget(m_name, 1, 1);
    fields->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(ui::buttonRow({save, remove, m_templateButton, close}));
    layout->addSpacing(6);
    layout->addWidget(ui::label(this, QStringLiteral("Label1"), setup.listLabel, m_list));
    layout->addWidget(m_list, 1);
    auto *numberRow = new QHBoxLayout;
    numberRow->addWidget(ui::label(this, QStringLiteral("Label4"), QStringLiteral("登録番号（法人番号）"), m_number));
    numberRow->addWidget(m_number);
    numberRow->addStretch(1);
    layout->addLayout(numberRow);
    ui::addFileMenu(
        this, layout, [this] { onSave(); }, [this] { onDelete(); });

    ui::chainTabOrder({m_code, m_name, save, remove, m_templateButton, close, m_list, m_number});

    connect(save, &QPushButton::clicked, this, &PartyRegister::onSave);
    connect(remove, &QPushButton::clicked, this, &PartyRegister::onDelete);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &PartyRegister::onSelect);
    // A click on the line already selected brings its text back as well.
    connect(m_list, &QListWidget::itemClicked, this, &PartyRegister::onSelect);
    ui::onFocusOut(m_code, [this] { lookUpCode(); });

    ui::finishWindow(this);
    m_code->setFocus();
}

void PartyRegister::ClearForm()
{
    m_code->clear();
    m_name->clear();
    m_number->clear();
    // Opening and clearing go on without a message when the list cannot be read.
    ui::quietly(m_ui, [this] { fillList(); });
}

void PartyRegister::List1Requery()
{
    try {
        fillList();
    } catch (const DbError &e) {
        m_ui.information(e.description());
    }
}

void PartyRegister::fillList()
{
    m_list->clear();
    m_numbers.clear();
    const QList<book::PartyRow> rows = book::readParties(m_ctx.db(), *m_setup.table);
    QStringList lines;
    lines.reserve(rows.size());
    for (const book::PartyRow &r : rows) {
        lines << ui::codeLine(r.code, r.name);
        m_numbers.insert(r.code, r.number);
    }
    ui::fillList(m_list, lines);
}

void PartyRegister::onSelect()
{
    const QString line = ui::selectedText(m_list);
    if (line.isEmpty())
        return;
    m_code->setText(ui::codeOfLine(line));
    m_name->setText(ui::nameOfLine(line));
    m_number->setText(m_numbers.value(ui::codeOfLine(line)));
}

int PartyRegister::lineOfCode(const QString &code) const
{
    for (int i = 0; i < m_list->count(); ++i) {
        if (ui::sameCode(ui::codeOfLine(m_list->item(i)->text()), code))
            return i;
    }
    return -1;
}

void PartyRegister::lookUpCode()
{
    // The code is matched as the save matches it, so what the look-up shows
    // is the party a save would change.
    m_name->clear();
    m_number->clear();
    const QString code = fmt::normalizeCode(m_code->text());
    const int line = code.isEmpty() ? -1 : lineOfCode(code);
    if (line < 0) {
        m_list->clearSelection();
        m_list->setCurrentRow(-1, QItemSelectionModel::Clear);
        return;
    }
    m_list->setCurrentRow(line, QItemSelectionModel::ClearAndSelect);
    m_list->scrollToItem(m_list->item(line));
    onSelect();
}

bool PartyRegister::登録()
{
    // "Ａ１２" and "A12" are one code: stored and found in half-width form.
    const QString code = fmt::normalizeCode(m_code->text());
    if (code.isEmpty())
        return false;
    // The list lays the code out in five characters and reads it back from
    // there: a longer code could be stored but never found again.
    if (fmt::charCount(code) > ui::kCodeWidth) {
        m_ui.information(
            QStringLiteral("%1コードは%2文字以内で入力してください\n（入力されたコード「%3」は%4文字です）")
                .arg(m_setup.partyWord)
                .arg(ui::kCodeWidth)
                .arg(code)
                .arg(fmt::charCount(code)));
        return false;
    }
    // Leaving the code field looks the code up and empties the name, so a
    // name typed first is gone: say so rather than store a nameless party.
    if (m_name->text().trimmed().isEmpty()) {
        m_ui.information(QStringLiteral("%1名を入力してください").arg(m_setup.partyWord));
        m_name->setFocus();
        return false;
    }
    QString problem;
    const std::optional<QString> number = book::readPartyNumber(m_number->text(), &problem);
    if (!number) {
        m_ui.information(problem);
        m_number->setFocus();
        m_number->selectAll();
        return false;
    }
    try {
        book::saveParty(m_ctx.db(), *m_setup.table, code, m_name->text(), lineOfCode(code) >= 0, *number);
        return true;
    } catch (const DbError &e) {
        m_ui.information(e.description());
        return false;
    }
}

void PartyRegister::onSave()
{
    if (登録())
        ClearForm();
}

void PartyRegister::onDelete()
{
    const QString code = fmt::normalizeCode(m_code->text());
    if (code.isEmpty())
        return;
    if (!m_ui.confirm(QStringLiteral("削除しますよ\n元に戻せません"), QStringLiteral("削除の確認"),
                      MessageService::Default::Cancel))
        return;
    try {
        // Only the register row goes: templates and bills keep the code.
        if (book::deleteParty(m_ctx.db(), *m_setup.table, code) == 0) {
            m_ui.information(QStringLiteral("%1コード「%2」は登録されていません").arg(m_setup.partyWord, code));
            List1Requery();
            return;
        }
        if (m_setup.saysDeleted)
            m_ui.information(QStringLiteral("削除しました"));
    } catch (const DbError &e) {
        m_ui.information(e.description());
        return;
    }
    ClearForm();
}

} // namespace sorvane
