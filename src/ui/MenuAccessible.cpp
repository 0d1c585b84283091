#include "ui/MenuAccessible.h"

#include <QAccessible>
#include <QAbstractButton>
#include <QAccessibleActionInterface>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QRadioButton>
#include <QWidget>
#include <QWindow>

namespace sorvane::ui {

namespace {

// A menu item as the menus present it, with the item's control name as its
// description. Everything else follows what a menu item shows and does.
class NamedMenuItem : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    NamedMenuItem(QWidget *owner, QAction *action) : m_owner(owner), m_action(action) {}

    bool isValid() const override { return m_action && m_owner; }
    QObject *object() const override { return m_action; }
    QWindow *window() const override
    {
        return m_owner ? m_owner->window()->windowHandle() : nullptr;
    }

    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_owner); }
    int childCount() const override { return m_action && m_action->menu() ? 1 : 0; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 && childCount() == 1 ? QAccessible::queryAccessibleInterface(m_action->menu()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && childCount() == 1 && child->object() == m_action->menu() ? 0 : -1;
    }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        QRect r;
        if (auto *menu = qobject_cast<QMenu *>(m_owner))
            r = menu->actionGeometry(m_action);
        else if (auto *bar = qobject_cast<QMenuBar *>(m_owner))
            r = bar->actionGeometry(m_action);
        return r.isValid() ? QRect(m_owner->mapToGlobal(r.topLeft()), r.size()) : QRect();
    }

    QAccessible::Role role() const override
    {
        if (m_action && m_action->isSeparator())
            return QAccessible::Separator;
        return QAccessible::MenuItem;
    }

    QString text(QAccessible::Text t) const override
    {
        if (!m_action)
            return {};
        switch (t) {
        case QAccessible::Name:
            return QString(m_action->text()).remove(u'&');
        case QAccessible::Description:
            return m_action->objectName();
        case QAccessible::Accelerator:
            return m_action->shortcut().toString(QKeySequence::NativeText);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const QWidget *own = m_owner;
        if (!m_action->isVisible() || !own->isVisible())
            s.invisible = true;
        if (!m_action->isEnabled())
            s.disabled = true;
        if (!m_action->isSeparator())
            s.focusable = true;
        if (auto *menu = qobject_cast<QMenu *>(m_owner); menu && menu->activeAction() == m_action)
            s.focused = true;
        if (auto *bar = qobject_cast<QMenuBar *>(m_owner); bar && bar->activeAction() == m_action)
            s.focused = true;
        if (m_action->isCheckable()) {
            s.checkable = true;
            s.checked = m_action->isChecked();
        }
        if (m_action->menu())
            s.hasPopup = true;
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override
    {
        if (!m_action || m_action->isSeparator() || !m_action->isEnabled())
            return {};
        return m_action->menu() ? QStringList{showMenuAction()} : QStringList{pressAction()};
    }

    void doAction(const QString &name) override
    {
        if (!isValid() || !m_action->isEnabled())
            return;
        if (name == pressAction()) {
            m_action->trigger();
        } else if (name == showMenuAction()) {
            QMenu *sub = m_action->menu();
            if (sub && sub->isVisible())
                sub->hide();
            else if (auto *bar = qobject_cast<QMenuBar *>(m_owner))
                bar->setActiveAction(m_action);
            else if (auto *menu = qobject_cast<QMenu *>(m_owner))
                menu->setActiveAction(m_action);
        }
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<QWidget> m_owner; // the menu or menu bar that shows the item
    QPointer<QAction> m_action;
};

QAccessibleInterface *namedMenuItems(const QString &key, QObject *object)
{
    if (key != QLatin1String("QAction"))
        return nullptr;
    auto *action = qobject_cast<QAction *>(object);
    if (!action || action->objectName().isEmpty())
        return nullptr;
    for (QObject *o : action->associatedObjects()) {
        if (qobject_cast<QMenu *>(o) || qobject_cast<QMenuBar *>(o))
            return new NamedMenuItem(static_cast<QWidget *>(o), action);
    }
    return nullptr;
}


// A check box or option button whose toggle action is a click. Qt's own face
// toggles the state without the click, so a window that reacts to clicks (the
// payable modes, the search kinds) would show a state it never entered when a
// screen reader or test tool toggles it.
class ClickedButton : public QAccessibleWidget {
public:
    ClickedButton(QAbstractButton *button, QAccessible::Role role) : QAccessibleWidget(button, role) {}

    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return button()->text().remove(u'&');
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = button()->isChecked();
        s.pressed = button()->isDown();
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (widget()->isEnabled())
            names << toggleAction();
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == toggleAction() || name == pressAction())
            button()->click(); // does nothing while the button is disabled
        else
            QAccessibleWidget::doAction(name);
    }
};


// A combo box as Qt presents it (its list, and its field when it is
// editable), which also takes the focus when a tool asks for it. Qt's own
// face refuses the focus, so a tool that finds 仕入先コード by its name and
// types into it would type into whatever field had the focus before.
class FocusableCombo : public QAccessibleWidget {
public:
    explicit FocusableCombo(QComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QComboBox *combo() const { return static_cast<QComboBox *>(widget()); }

    int childCount() const override { return combo()->isEditable() ? 2 : 1; }
    QAccessibleInterface *child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->isEditable())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        if (child->object() == combo()->view())
            return 0;
        if (combo()->isEditable() && child->object() == combo()->lineEdit())
            return 1;
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        if (combo()->isEditable() && combo()->lineEdit()->rect().contains(x, y))
            return child(1);
        return nullptr;
    }
    // The field of an editable combo box never has the focus itself (the box
    // is its focus proxy), but it is what a tool types into.
    QAccessibleInterface *focusChild() const override { return combo()->isEditable() ? child(1) : nullptr; }

    QString text(QAccessible::Text t) const override
    {
        QString s;
        if (t == QAccessible::Name || t == QAccessible::Value)
            s = combo()->isEditable() ? combo()->lineEdit()->text() : combo()->currentText();
        else if (t == QAccessible::Accelerator)
            s = QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
        return s.isEmpty() ? QAccessibleWidget::text(t) : s;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == showMenuAction() || name == pressAction()) {
            if (combo()->view()->isVisible())
                combo()->hidePopup();
            else
                combo()->showPopup();
        } else {
            QAccessibleWidget::doAction(name); // the focus
        }
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

QAccessibleInterface *clickedButtons(const QString &key, QObject *object)
{
    if (key == QLatin1String("QCheckBox"))
        return new ClickedButton(static_cast<QCheckBox *>(object), QAccessible::CheckBox);
    if (key == QLatin1String("QRadioButton"))
        return new ClickedButton(static_cast<QRadioButton *>(object), QAccessible::RadioButton);
    if (key == QLatin1String("QComboBox"))
        return new FocusableCombo(static_cast<QComboBox *>(object));
    return nullptr;
}

} // namespace

void installMenuAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(namedMenuItems);
    QAccessible::installFactory(clickedButtons);
}

} // namespace sorvane::ui
