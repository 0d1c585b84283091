#include "app/Tools.h"

#include "book/AppContext.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace sorvane {

namespace {

// Nothing may escape the timer's slot: an unforeseen error is shown and the
// data are opened again as they are.
book::ToolResult guarded(AppContext &ctx, UiService &ui, const std::function<book::ToolResult()> &tool)
{
    try {
        return tool();
    } catch (const std::exception &e) {
        ui.information(errorText(e));
    }
    if (ctx.DataDb)
        return book::ToolResult::NotDone;
    const book::ToolResult reopened = book::reopenData(ctx);
    return reopened == book::ToolResult::Done ? book::ToolResult::NotDone : reopened;
}

} // namespace

ProgressWindow::ProgressWindow(const QString &name, int startMs, int lingerMs, std::function<void()> work,
                               QWidget *parent)
    : QDialog(parent), m_startMs(startMs), m_lingerMs(lingerMs), m_work(std::move(work))
{
    setObjectName(name);
    setWindowTitle(name);
    // No close box: the work must not be skipped by closing the window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto *label = ui::label(this, QStringLiteral("Label1"), name);
    QFont f = ui::gothicFont(16);
    f.setBold(true);
    label->setFont(f);
    label->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(48, 28, 48, 28);
    layout->addWidget(label);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(m_startMs);
    connect(m_timer, &QTimer::timeout, this, &ProgressWindow::onTimer);
    ui::finishWindow(this);
}

void ProgressWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        m_timer->start(m_startMs);
    }
}

void ProgressWindow::onTimer()
{
    if (m_done) {
        m_timer->setInterval(0);
        QDialog::done(Accepted);
        return;
    }
    // The window is on screen before the files are worked on.
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (m_work)
        m_work();
    m_done = true;
    if (m_lingerMs > 0) {
        m_timer->start(m_lingerMs);
        return;
    }
    m_timer->setInterval(0);
    QDialog::done(Accepted);
}

void ProgressWindow::done(int result)
{
    // Escape and the like wait for the work.
    if (m_done)
        QDialog::done(result);
}

void ProgressWindow::closeEvent(QCloseEvent *event)
{
    if (m_done)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

std::optional<book::ToolResult> runReset(AppContext &ctx, UiService &ui, const ToolSettings &settings, QWidget *parent)
{
    if (!ui.confirm(QStringLiteral("すべてのデータを削除しますか？"), QStringLiteral("初期化"),
                    MessageService::Default::Cancel))
        return std::nullopt;
    if (!book::hasInitialData(ctx)) {
        ui.information(QStringLiteral("システムが不正です\n再インストールしてください"));
        return std::nullopt;
    }
    std::optional<book::ToolResult> result;
    ProgressWindow window(
        QStringLiteral("初期化中"), settings.resetStartMs, 0,
        [&] { result = guarded(ctx, ui, [&] { return book::resetData(ctx); }); }, parent);
    ui.runModal(&window);
    return result;
}

std::optional<book::ToolResult> runCompaction(AppContext &ctx, UiService &ui, const ToolSettings &settings,
                                              QWidget *parent)
{
    std::optional<book::ToolResult> result;
    ProgressWindow window(
        QStringLiteral("最適化中"), settings.compactStartMs, settings.compactLingerMs,
        [&] { result = guarded(ctx, ui, [&] { return book::compactData(ctx, settings.compact); }); }, parent);
    ui.runModal(&window);
    return result;
}

} // namespace sorvane
