#pragma once

// What the windows of figures share: a table of the figures (with a chart
// beside it where there is one), the span or date they are of, 表示 to read
// them again, and the outputs of what is shown: 印刷 (preview), PDF, CSV.

#include "ui/Printing.h"

#include <QDate>
#include <QDialog>

class QBoxLayout;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QShowEvent;
class QSplitter;

namespace sorvane {

class AppContext;
class BankCalendar;
class UiService;

namespace ui {
class SheetView;
}

class FigureWindow : public QDialog {
    Q_OBJECT
public:
    ui::SheetView *list() const { return m_list; }
    // 表示: reads the figures with what is typed. False after a message.
    virtual bool refresh() = 0;

protected:
    FigureWindow(AppContext &ctx, UiService &ui, const QString &name, const QString &title, QWidget *parent);

    // The span fields 開始月 "yyyy/mm" and 月数, with a label each, into the row.
    void addSpan(QBoxLayout *row, const QDate &firstMonth, int months);
    // The span as typed; false after a message, the focus on the field.
    bool readSpan(QDate &firstMonth, int &months);
    // A date field as typed; false after a message, the focus on the field.
    bool readDate(QLineEdit *field, const QString &name, QDate &date);
    // Lays the window out: the controls above, the table (the chart beside
    // it, when given), the controls below, then the window's own buttons,
    // the outputs and 終了. The menu ファイル holds the outputs and 終了.
    void build(QBoxLayout *top, QWidget *chart, QBoxLayout *below, const QList<QWidget *> &buttons);
    QDate today() const;
    // Widens the window and the table's side of the splitter until every
    // column shows, as far as the screen allows; the chart keeps the rest.
    void fitTable();
    // Fits the table again once shown: only then are its columns measured
    // in the fonts it is drawn in.
    void showEvent(QShowEvent *event) override;

    AppContext &m_ctx;
    UiService &m_ui;
    ui::SheetView *m_list = nullptr;
    QPushButton *m_show = nullptr;
    QLineEdit *m_first = nullptr;
    QSpinBox *m_months = nullptr;
    QSplitter *m_split = nullptr;
    bool m_fitted = false;
    ui::SheetOutputs m_outputs;
};

} // namespace sorvane
