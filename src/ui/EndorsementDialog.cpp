#include "ui/EndorsementDialog.h"

#include "ui/Widgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace sorvane {

EndorsementDialog::EndorsementDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("手形裏書"));
    setWindowTitle(QStringLiteral("裏書"));
    setFont(ui::gothicFont());
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_number = ui::named<QLabel>(this, QStringLiteral("手形番号"));
    m_number->setMinimumWidth(160);
    m_number->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto *grid = new QGridLayout;
    grid->addWidget(ui::label(this, QStringLiteral("Label1"), QStringLiteral("手形番号")), 0, 0);
    grid->addWidget(m_number, 0, 1, Qt::AlignLeft);
    grid->addWidget(ui::label(this, QStringLiteral("LabelName"), QStringLiteral("氏名")), 1, 1);
    grid->addWidget(ui::label(this, QStringLiteral("LabelAddress"), QStringLiteral("住所")), 1, 2);
    const char16_t *rowCaptions[4] = {u"裏書１", u"裏書２", u"裏書３", u"裏書４"};
    for (int i = 0; i < 4; ++i) {
        m_names[i] = ui::named<QLineEdit>(this, QStringLiteral("氏名%1").arg(i + 1));
        m_names[i]->setMinimumWidth(200);
        m_addresses[i] = ui::named<QLineEdit>(this, QStringLiteral("住所%1").arg(i + 1));
        m_addresses[i]->setMinimumWidth(320);
        grid->addWidget(
            ui::label(this, QStringLiteral("Label%1").arg(i + 2), QString::fromUtf16(rowCaptions[i]), m_names[i]),
            i + 2, 0);
        grid->addWidget(m_names[i], i + 2, 1);
        grid->addWidget(m_addresses[i], i + 2, 2);
    }
    grid->setColumnStretch(2, 1);

    auto *close = ui::button(this, QStringLiteral("閉じるボタン"), QStringLiteral("閉じる"));
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ui::buttonRow({close}));

    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    QMenu *file = ui::addMenu(bar, QStringLiteral("MF"), QStringLiteral("ファイル"));
    connect(ui::addItem(file, QStringLiteral("ME1"), QStringLiteral("終了")), &QAction::triggered, this,
            &QDialog::close);
    layout->setMenuBar(bar);

    ui::chainTabOrder({m_names[0], m_addresses[0], m_names[1], m_addresses[1], m_names[2], m_addresses[2], m_names[3],
                       m_addresses[3], close});
    ui::finishWindow(this);
}

void EndorsementDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_names[0]->setFocus(Qt::OtherFocusReason);
}

void EndorsementDialog::setBillNumber(const QString &number)
{
    m_number->setText(number);
}

QString EndorsementDialog::billNumber() const
{
    return m_number->text();
}

void EndorsementDialog::clearSlots()
{
    for (int i = 0; i < 4; ++i) {
        m_names[i]->clear();
        m_addresses[i]->clear();
    }
}

void EndorsementDialog::setSlots(const QList<book::Endorser> &endorsers)
{
    clearSlots();
    for (int i = 0; i < 4 && i < endorsers.size(); ++i) {
        m_names[i]->setText(endorsers.at(i).name);
        m_addresses[i]->setText(endorsers.at(i).address);
    }
}

book::EndorserSlots EndorsementDialog::typedSlots() const
{
    book::EndorserSlots s;
    for (int i = 0; i < 4; ++i)
        s.append({m_names[i]->text(), m_addresses[i]->text()});
    return s;
}

void EndorsementDialog::load(const QString &billNumber, const QList<book::Endorser> &endorsers)
{
    setBillNumber(billNumber);
    setSlots(endorsers);
}

} // namespace sorvane
