#pragma once

// 帳票出力: the ledgers, the year-end statements and the journal, shown in
// a preview, printed, or written to PDF and CSV files.

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace sorvane {

class AppContext;
class UiService;

namespace report {
struct Document;
}

class ReportWindow : public QDialog {
    Q_OBJECT
public:
    ReportWindow(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    enum class What { ReceivableLedger, PayableLedger, Statements, Journal, ClaimLedger, DebtLedger };
    enum class How { Preview, Print, Pdf, Csv };

private:
    What what() const;
    How how() const;
    void updateControls();
    void onBrowse();
    void onOutput();
    // Checks what was typed; false after a message.
    bool readInput(QDate &from, QDate &to, QDate &asOf, QString &target);
    QList<report::Document> documents(const QDate &from, const QDate &to, const QDate &asOf, int &bills);
    void preview(const QList<report::Document> &docs);
    void print(const QList<report::Document> &docs);
    void showProgress(int done, int total);
    void setBusy(bool busy);

    AppContext &m_ctx;
    UiService &m_ui;
    QButtonGroup *m_what = nullptr;
    QButtonGroup *m_how = nullptr;
    QRadioButton *m_western = nullptr;
    QRadioButton *m_era = nullptr;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
    QLineEdit *m_asOf = nullptr;
    QComboBox *m_layout = nullptr;
    QLineEdit *m_target = nullptr;
    QPushButton *m_browse = nullptr;
    QPushButton *m_output = nullptr;
    QPushButton *m_close = nullptr;
    QProgressBar *m_progress = nullptr;
};

} // namespace sorvane
