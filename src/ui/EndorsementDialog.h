#pragma once

// The endorsement dialog 手形裏書: the bill number and four endorsers, each
// with name and address. One instance serves the whole run; it is only
// hidden between uses and keeps what it holds, so the window that shows it
// empties or reloads it first (see EndorsementEdited in the bill windows).

#include "book/Endorsers.h"

#include <QDialog>

class QLabel;
class QLineEdit;

namespace sorvane {

class EndorsementDialog : public QDialog {
    Q_OBJECT
public:
    explicit EndorsementDialog(QWidget *parent = nullptr);

    void setBillNumber(const QString &number);
    QString billNumber() const;

    // Empties the eight fields.
    void clearSlots();
    // Fills the slots in order from the endorsers given; beyond four are not shown.
    void setSlots(const QList<book::Endorser> &endorsers);
    // The four slots as typed, slot 1 first.
    book::EndorserSlots typedSlots() const;

    // The number, and the slots filled from the endorsers (the rest empty).
    void load(const QString &billNumber, const QList<book::Endorser> &endorsers);

protected:
    // Every showing starts in 氏名1: a clerk starts typing a name at once,
    // and a space typed on 閉じる would close the dialog.
    void showEvent(QShowEvent *event) override;

private:
    QLabel *m_number = nullptr;
    QLineEdit *m_names[4] = {};
    QLineEdit *m_addresses[4] = {};
};

} // namespace sorvane
