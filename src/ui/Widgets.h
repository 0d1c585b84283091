#pragma once

// Small helpers every window uses.

#include <QFont>
#include <QString>

#include <functional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QAction;
class QComboBox;
class QWidget;

namespace sorvane::ui {

// Positions in the old layout are given in twips; 15 twips make one pixel.
constexpr int twips(int t)
{
    return t / 15;
}

// The Gothic face the windows are drawn in; the named Windows face first,
// then the Japanese Gothic this machine has.
QFont gothicFont(int pointSize = 10);
// Fixed-pitch face for lists whose lines are laid out in columns.
QFont listFont(int pointSize = 10);

// Sets each named child's accessible description to its control name, so
// outside tools find "手形番号" or "Tcode" by name.
void nameControls(QWidget *root);

// Runs the action every time the focus leaves the widget, changed or not (not
// when a menu or drop-down opens over it or another window becomes active).
void onFocusOut(QWidget *widget, std::function<void()> action);

// Codes, numbers, dates and amounts are typed with Latin characters.
void preferLatin(QWidget *widget, bool digitsOnly = false);

// Creates a menu or item with its control name and caption.
QMenu *addMenu(QMenuBar *bar, const QString &name, const QString &caption);
QAction *addItem(QMenu *menu, const QString &name, const QString &caption);

// Creates a child control with its control name.
template <typename T>
T *named(QWidget *parent, const QString &name)
{
    T *w = new T(parent);
    w->setObjectName(name);
    return w;
}

} // namespace sorvane::ui
