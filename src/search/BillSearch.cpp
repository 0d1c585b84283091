#include "search/BillSearch.h"

#include "book/AppContext.h"
#include "book/Registers.h"
#include "book/Search.h"
#include "data/Formats.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"
#include "ui/QuietSteps.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <memory>

namespace sorvane {

namespace {

QRadioButton *option(QWidget *parent, const QString &name, const QString &caption)
{
    auto *o = ui::named<QRadioButton>(parent, name);
    o->setText(caption);
    return o;
}

} // namespace

BillSearchWindow::BillSearchWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui), m_kit(kit)
{
    setObjectName(QStringLiteral("手形検索"));
    setWindowTitle(QStringLiteral("手形検索"));
    setFont(ui::gothicFont());

    auto *kindFrame = ui::named<QGroupBox>(this, QStringLiteral("Frame1"));
    m_receivable = option(kindFrame, QStringLiteral("Option1"), QStringLiteral("受取手形"));
    m_payable = option(kindFrame, QStringLiteral("Option2"), QStringLiteral("支払手形"));
    auto *kindLayout = new QVBoxLayout(kindFrame);
    kindLayout->addWidget(m_receivable);
    kindLayout->addWidget(m_payable);

    auto *sideFrame = ui::named<QGroupBox>(this, QStringLiteral("Frame2"));
    sideFrame->setTitle(QStringLiteral("探す対象は"));
    m_notYetDue = option(sideFrame, QStringLiteral("Option3"), QStringLiteral("手形期日前"));
    m_pastDue = option(sideFrame, QStringLiteral("Option4"), QStringLiteral("手形期日後"));
    m_both = option(sideFrame, QStringLiteral("Option5"), QStringLiteral("両　方"));
    auto *sideLayout = new QVBoxLayout(sideFrame);
    sideLayout->addWidget(m_notYetDue);
    sideLayout->addWidget(m_pastDue);
    sideLayout->addWidget(m_both);

    m_number = ui::named<QLineEdit>(this, QStringLiteral("手形番号"));
    ui::preferLatin(m_number);
    m_tcode = ui::typedCombo(this, QStringLiteral("Tcode"));
    m_scode = ui::typedCombo(this, QStringLiteral("Scode"));
    for (QComboBox *c : {m_tcode, m_scode}) {
        ui::preferLatin(c);
        c->setFixedWidth(c->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMM")) + 40);
    }
    m_tname = ui::named<QLabel>(this, QStringLiteral("TNAME"));
    m_sname = ui::named<QLabel>(this, QStringLiteral("SNAME"));
    for (QLabel *l : {m_tname, m_sname}) {
        l->setMinimumWidth(260);
        l->setFrameShape(QFrame::StyledPanel);
    }
    m_place = ui::typedCombo(this, QStringLiteral("保管場所"));
    m_drawer = ui::typedCombo(this, QStringLiteral("振出人"));
    m_endorser = ui::typedCombo(this, QStringLiteral("裏書"));
    for (QComboBox *c : {m_place, m_drawer, m_endorser})
        c->setMinimumWidth(300);

    auto *search = ui::button(this, QStringLiteral("検索ボタン"), QStringLiteral("検　索"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    m_tcodeLabel = ui::label(this, QStringLiteral("Label3"), QStringLiteral("得意先コード"), m_tcode);
    m_scodeLabel = ui::label(this, QStringLiteral("Label4"), QStringLiteral("仕入先コード"), m_scode);
    m_placeLabel = ui::label(this, QStringLiteral("Label5"), QStringLiteral("保管場所"), m_place);

    auto *frames = new QHBoxLayout;
    frames->addWidget(kindFrame);
    frames->addWidget(sideFrame);
    frames->addStretch(1);

    auto *grid = new QGridLayout;
    grid->setColumnStretch(2, 1);
    grid->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("手形番号"), m_number), 0, 0);
    grid->addWidget(m_number, 0, 1, 1, 2);
    grid->addWidget(m_tcodeLabel, 1, 0);
    grid->addWidget(m_tcode, 1, 1);
    grid->addWidget(m_tname, 1, 2);
    grid->addWidget(m_scodeLabel, 2, 0);
    grid->addWidget(m_scode, 2, 1);
    grid->addWidget(m_sname, 2, 2);
    grid->addWidget(m_placeLabel, 3, 0);
    grid->addWidget(m_place, 3, 1, 1, 2);
    grid->addWidget(ui::label(this, QStringLiteral("Label6"), QStringLiteral("振出人"), m_drawer), 4, 0);
    grid->addWidget(m_drawer, 4, 1, 1, 2);
    grid->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("裏書人"), m_endorser), 5, 0);
    grid->addWidget(m_endorser, 5, 1, 1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addSpacing(6);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(ui::buttonRow({search, close}));

    ui::chainTabOrder({m_receivable, m_payable, m_notYetDue, m_pastDue, m_both, m_number, m_tcode, m_scode, m_place,
                       m_drawer, m_endorser, search, close});

    connect(m_receivable, &QRadioButton::clicked, this, &BillSearchWindow::onKindSwitch);
    connect(m_payable, &QRadioButton::clicked, this, &BillSearchWindow::onKindSwitch);
    connect(search, &QPushButton::clicked, this, &BillSearchWindow::onSearch);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    ui::onFocusOut(m_tcode, [this] { onCodeLeft(m_tcode, m_tname, book::customerTable()); });
    ui::onFocusOut(m_scode, [this] { onCodeLeft(m_scode, m_sname, book::supplierTable()); });

    ui::finishWindow(this);
    ClearForm();
    SetComboBox();
    m_number->setFocus();
}

bool BillSearchWindow::receivable() const
{
    return m_receivable->isChecked();
}

void BillSearchWindow::ClearForm()
{
    m_receivable->setChecked(true);
    m_notYetDue->setChecked(true);
    m_number->clear();
    for (QComboBox *c : {m_tcode, m_scode, m_place, m_drawer, m_endorser})
        ui::clearCombo(c);
    m_tname->clear();
    m_sname->clear();
    for (QWidget *w :
         {static_cast<QWidget *>(m_tcodeLabel), static_cast<QWidget *>(m_tcode), static_cast<QWidget *>(m_tname),
          static_cast<QWidget *>(m_placeLabel), static_cast<QWidget *>(m_place)})
        w->setEnabled(true);
    for (QWidget *w :
         {static_cast<QWidget *>(m_scodeLabel), static_cast<QWidget *>(m_scode), static_cast<QWidget *>(m_sname)})
        w->setEnabled(false);
}

void BillSearchWindow::SetComboBox()
{
    // Each list on its own: one that cannot be read stays empty, the others fill.
    ui::QuietSteps quiet(m_ui);
    const auto fill = [this, &quiet](QComboBox *box, QStringList (*read)(Database &)) {
        if (!quiet([&] { ui::setItemsKeepingText(box, read(m_ctx.db())); }))
            ui::setItemsKeepingText(box, {});
    };
    fill(m_tcode, &book::customerCodes);
    fill(m_scode, &book::supplierCodes);
    fill(m_place, &book::storagePlaceNames);
    if (receivable())
        fill(m_drawer, &book::receivableDrawers);
    else
        ui::setItemsKeepingText(m_drawer, {});
    fill(m_endorser, &book::endorserNames);
}

void BillSearchWindow::fillDrawers()
{
    m_drawer->clear();
    m_drawer->clearEditText();
    // Drawers are written on received bills only; a payable search has none to offer.
    if (receivable())
        ui::setItemsKeepingText(m_drawer, book::receivableDrawers(m_ctx.db()));
}

void BillSearchWindow::onKindSwitch()
{
    const bool r = receivable();
    for (QWidget *w :
         {static_cast<QWidget *>(m_tcodeLabel), static_cast<QWidget *>(m_tcode), static_cast<QWidget *>(m_tname),
          static_cast<QWidget *>(m_placeLabel), static_cast<QWidget *>(m_place)})
        w->setEnabled(r);
    for (QWidget *w :
         {static_cast<QWidget *>(m_scodeLabel), static_cast<QWidget *>(m_scode), static_cast<QWidget *>(m_sname)})
        w->setEnabled(!r);
    try {
        fillDrawers();
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

bool BillSearchWindow::checkCode(QComboBox *code, QLabel *name, const book::PartyTable &table)
{
    const QString typed = fmt::normalizeCode(code->currentText());
    if (typed.isEmpty()) {
        name->clear();
        return true;
    }
    const std::optional<QString> found = book::partyName(m_ctx.db(), table, typed);
    name->setText(found.value_or(QString()));
    return found.has_value();
}

void BillSearchWindow::onCodeLeft(QComboBox *code, QLabel *name, const book::PartyTable &table)
{
    try {
        if (checkCode(code, name, table))
            return;
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        return;
    }
    // An unregistered code cannot be searched for: back into the box until
    // it holds a registered code or nothing. The window may be closing.
    QPointer<QComboBox> box(code);
    QTimer::singleShot(0, code, [box] {
        if (box && box->isEnabled() && box->isVisible())
            box->setFocus(Qt::OtherFocusReason);
    });
}

void BillSearchWindow::onSearch()
{
    try {
        book::SearchCriteria c;
        c.kind = receivable() ? book::BillKind::Receivable : book::BillKind::Payable;
        c.side = m_pastDue->isChecked() ? book::DueSide::PastDue
                 : m_both->isChecked()  ? book::DueSide::Both
                                        : book::DueSide::NotYetDue;
        c.number = m_number->text();
        QComboBox *code = receivable() ? m_tcode : m_scode;
        QLabel *name = receivable() ? m_tname : m_sname;
        const book::PartyTable &table = receivable() ? book::customerTable() : book::supplierTable();
        // An unregistered code cannot be searched for: the focus goes back
        // into the box, as when leaving it, without a message.
        if (!checkCode(code, name, table)) {
            code->setFocus(Qt::OtherFocusReason);
            return;
        }
        c.partyCode = fmt::normalizeCode(code->currentText());
        // A disabled box takes no part, whatever it holds.
        if (receivable())
            c.storagePlace = m_place->currentText();
        c.drawer = m_drawer->currentText();
        c.endorser = m_endorser->currentText();

        if (book::searchBills(m_ctx.db(), c, m_ctx.clock.today()) == 0) {
            m_ui.information(QStringLiteral("該当する手形はありません"));
            return;
        }
        const WindowKit::Factory &factory = receivable() ? m_kit.receivableResults : m_kit.payableResults;
        if (!factory)
            return;
        std::unique_ptr<QDialog> results(factory(this));
        if (!results)
            return;
        results->setAttribute(Qt::WA_DeleteOnClose, false);
        m_ui.runModal(results.get());
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

} // namespace sorvane
