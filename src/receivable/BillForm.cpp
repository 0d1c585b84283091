#include "receivable/BillForm.h"

#include "ui/Widgets.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace sorvane::receivable {

void sizeFields(const BillFields &f)
{
    f.date->setFixedWidth(ui::digitsWidth(f.date, 10));
    f.number->setFixedWidth(ui::digitsWidth(f.number, 14));
    f.code->setFixedWidth(ui::digitsWidth(f.code, 8));
    f.name->setMinimumWidth(220);
    f.name->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    f.prefecture->setFixedWidth(ui::digitsWidth(f.prefecture, 9));
    f.town->setMinimumWidth(200);
    f.issue->setFixedWidth(ui::digitsWidth(f.issue, 10));
    f.due->setFixedWidth(ui::digitsWidth(f.due, 10));
    f.amount->setFixedWidth(ui::digitsWidth(f.amount, 15));
    f.amount->setAlignment(Qt::AlignRight);
    f.endorsers->setFont(ui::listFont());
    f.endorsers->setFixedHeight(f.endorsers->fontMetrics().height() * 4 + 10);
    f.storage->setMinimumWidth(180);
}

QGridLayout *rightColumn(QWidget *window, const BillFields &f, QLayout *issueRow, QPushButton *endorse,
                         QCheckBox *caution, const QString &cautionLabel)
{
    auto *right = new QGridLayout;
    int r = 0;
    right->addWidget(ui::label(window, QStringLiteral("label13"), QStringLiteral("振出日"), f.issue), r, 0);
    if (issueRow)
        right->addLayout(issueRow, r++, 1);
    else
        right->addWidget(f.issue, r++, 1, Qt::AlignLeft);
    right->addWidget(ui::label(window, QStringLiteral("Label8"), QStringLiteral("手形期日"), f.due), r, 0);
    right->addWidget(f.due, r++, 1, Qt::AlignLeft);
    right->addWidget(ui::label(window, QStringLiteral("Label9"), QStringLiteral("金額"), f.amount), r, 0);
    right->addWidget(f.amount, r++, 1, Qt::AlignLeft);
    right->addWidget(ui::label(window, QStringLiteral("Label10"), QStringLiteral("裏　書"), endorse), r, 0,
                     Qt::AlignTop);
    auto *endorseRow = new QHBoxLayout;
    endorseRow->addWidget(f.endorsers, 1);
    endorseRow->addWidget(endorse, 0, Qt::AlignTop);
    right->addLayout(endorseRow, r++, 1);
    right->addWidget(ui::label(window, QStringLiteral("Label11"), QStringLiteral("保管場所"), f.storage), r, 0);
    right->addWidget(f.storage, r++, 1, Qt::AlignLeft);
    right->addWidget(ui::label(window, cautionLabel, QStringLiteral("注意ﾁｪｯｸ"), caution), r, 0);
    right->addWidget(caution, r++, 1);
    right->setColumnStretch(1, 1);
    right->setRowStretch(r, 1);
    return right;
}

QHBoxLayout *columns(QLayout *left, QLayout *right)
{
    auto *both = new QHBoxLayout;
    both->addLayout(left, 3);
    both->addSpacing(16);
    both->addLayout(right, 2);
    return both;
}

} // namespace sorvane::receivable
