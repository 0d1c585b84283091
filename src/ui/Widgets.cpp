#include "ui/Widgets.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace sorvane::ui {

namespace {

class FocusOutFilter : public QObject {
public:
    FocusOutFilter(QObject *parent, std::function<void()> action) : QObject(parent), m_action(std::move(action)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Opening a menu or a drop-down list, or switching to another window,
        // does not leave the field; only a real move of the focus runs the action.
        if (event->type() == QEvent::FocusOut && m_action) {
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                m_action();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

} // namespace

QFont gothicFont(int pointSize)
{
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"),
                   QStringLiteral("Noto Sans JP"), QStringLiteral("sans-serif")});
    f.setPointSize(pointSize);
    return f;
}

QFont listFont(int pointSize)
{
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("Noto Sans Mono CJK JP"),
                   QStringLiteral("monospace")});
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    f.setPointSize(pointSize);
    return f;
}

void nameControls(QWidget *root)
{
    const auto children = root->findChildren<QWidget *>();
    for (QWidget *w : children) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        w->setAccessibleDescription(w->objectName());
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            b->setAccessibleName(b->text());
    }
}

void onFocusOut(QWidget *widget, std::function<void()> action)
{
    widget->installEventFilter(new FocusOutFilter(widget, std::move(action)));
}

void preferLatin(QWidget *widget, bool digitsOnly)
{
    Qt::InputMethodHints hints = Qt::ImhPreferLatin | Qt::ImhNoPredictiveText;
    if (digitsOnly)
        hints |= Qt::ImhPreferNumbers;
    widget->setInputMethodHints(hints);
    if (auto *combo = qobject_cast<QComboBox *>(widget); combo && combo->lineEdit())
        combo->lineEdit()->setInputMethodHints(hints);
}

QMenu *addMenu(QMenuBar *bar, const QString &name, const QString &caption)
{
    QMenu *m = bar->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}

QAction *addItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

} // namespace sorvane::ui
