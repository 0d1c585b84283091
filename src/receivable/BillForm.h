#pragma once

// What the three receivable windows (entry, list, search result) lay out
// alike: the sizes of the bill's fields and the right-hand column of dates,
// amount, endorsers and keeping.

#include <QString>

class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace sorvane::receivable {

// The fields every receivable window shows, whatever kind of box each is.
struct BillFields {
    QWidget *date = nullptr;
    QWidget *number = nullptr;
    QWidget *code = nullptr;
    QLabel *name = nullptr;
    QWidget *prefecture = nullptr;
    QWidget *town = nullptr;
    QWidget *issue = nullptr;
    QWidget *due = nullptr;
    QLineEdit *amount = nullptr;
    QListWidget *endorsers = nullptr;
    QWidget *storage = nullptr;
};

// Gives the fields their widths, the amount its right alignment and the
// endorser list its four lines in the fixed-pitch face.
void sizeFields(const BillFields &f);

// The right-hand column: 振出日 (with what the window puts beside it), 手形期日,
// 金額, 裏書 with its button, 保管場所 and the caution box under its label.
QGridLayout *rightColumn(QWidget *window, const BillFields &f, QLayout *issueRow, QPushButton *endorse,
                         QCheckBox *caution, const QString &cautionLabel);

// The left and right columns side by side, the left one wider.
QHBoxLayout *columns(QLayout *left, QLayout *right);

} // namespace sorvane::receivable
