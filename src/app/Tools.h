#pragma once

// The two data maintenance tools as the main window runs them: the reset's
// question, and the progress windows 初期化中 and 最適化中 that do the work
// once they are on screen.

#include "book/Maintenance.h"

#include <QDialog>

#include <functional>
#include <optional>

class QTimer;

namespace sorvane {

class AppContext;
class UiService;

struct ToolSettings {
    int resetStartMs = 1000;    // the reset begins this long after its window opened
    int compactStartMs = 0;     // the compaction begins once its window is painted
    int compactLingerMs = 2000; // and its window stays this long after the work
    book::CompactStep compact;  // empty: the engine's own compaction
};

// A small window with one label that runs its work when its timer first
// fires, and closes itself then or after a further wait. It cannot be
// closed before the work has run.
class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    ProgressWindow(const QString &name, int startMs, int lingerMs, std::function<void()> work,
                   QWidget *parent = nullptr);
    bool workDone() const { return m_done; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void onTimer();

    QTimer *m_timer = nullptr;
    int m_startMs;
    int m_lingerMs;
    std::function<void()> m_work;
    bool m_started = false;
    bool m_done = false;
};

// The reset with its question: nothing when the user cancels or inidata.mdx
// is missing (said so), otherwise what became of the data.
std::optional<book::ToolResult> runReset(AppContext &ctx, UiService &ui, const ToolSettings &settings, QWidget *parent);
// The compaction, without a question.
std::optional<book::ToolResult> runCompaction(AppContext &ctx, UiService &ui, const ToolSettings &settings,
                                              QWidget *parent);

} // namespace sorvane
