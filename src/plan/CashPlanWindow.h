#pragma once

// 口座別資金確認: one account month by month: the balance carried in, the
// money the bills bring in and take out, the projected month-end balance
// and the lowest balance of the month (a month that runs short in red, with
// the shortfall); the month-end balances the clerk enters, closing and
// reopening months, the bills behind a month; the balance line and the
// payment bars beside the table.

#include "book/Planning.h"
#include "plan/FigureWindow.h"

#include <functional>

class QComboBox;
class QLabel;

namespace sorvane {

namespace ui {
class FigureChart;
}

class CashPlanWindow : public FigureWindow {
    Q_OBJECT
public:
    CashPlanWindow(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    bool refresh() override;
    // The account shown (口座データ.id; 0: none) and the plan read last.
    qint64 accountId() const;
    const book::CashPlan &plan() const { return m_plan; }
    ui::FigureChart *chart() const { return m_chart; }

    // 残高登録 / 入力取消 for the picked month; false after a message.
    bool enterBalance();
    bool clearBalance();
    // 確定 through the picked month, 確定取消 from it (each after a question).
    bool closeThrough();
    bool reopenFrom();
    // 明細: the bills behind the picked month.
    void showDetail();

private:
    void loadAccounts();
    void onPicked(int row);
    QDate pickedMonth() const;
    // Runs the action on the picked month (a message when none is), then
    // reads the figures again with the month still picked. False when the
    // action failed (after a message) or was given up.
    bool onPickedMonth(const QString &nonePicked, const std::function<void(const QDate &)> &action);

    QComboBox *m_account = nullptr;
    QLabel *m_about = nullptr;
    QLabel *m_month = nullptr;
    QLineEdit *m_balance = nullptr;
    ui::FigureChart *m_chart = nullptr;
    book::CashPlan m_plan;
};

} // namespace sorvane
