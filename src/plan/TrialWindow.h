#pragma once

// 口座別試算表: the 支払手形 of an account (or of every account) month by
// month: carried in, issued, settled, still running at the month end.

#include "book/Planning.h"
#include "plan/FigureWindow.h"

class QComboBox;

namespace sorvane {

class TrialWindow : public FigureWindow {
    Q_OBJECT
public:
    TrialWindow(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    bool refresh() override;
    const QList<book::TrialMonth> &months() const { return m_trial; }

private:
    QComboBox *m_account = nullptr;
    QList<book::TrialMonth> m_trial;
};

} // namespace sorvane
