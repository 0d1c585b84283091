#pragma once

// Small helpers every window uses.

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QBoxLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QAction;
class QComboBox;
class QWidget;

namespace sorvane::ui {

// Installs Qt's own Japanese translation (standard buttons, the fields'
// context menus) into the application. False when it is not installed.
bool loadQtTranslation();

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

// The Enter key as Japanese entry forms use it: Enter on a focused button
// presses it; Enter in a field (text box, combo box, check box) moves to the
// next field and never presses a button by itself.
void enterKeys(QWidget *root);

// What every window does once its controls are built: nameControls and
// enterKeys.
void finishWindow(QWidget *root);

// Runs the action every time the focus leaves the widget, changed or not (not
// when a menu or drop-down opens over it or another window becomes active).
void onFocusOut(QWidget *widget, std::function<void()> action);
// Runs the action every time the focus comes into the widget from elsewhere
// in the window (not back from its own drop-down or from another window).
void onFocusIn(QWidget *widget, std::function<void()> action);

// Empties the text of a combo box and picks no item; the items stay.
void clearCombo(QComboBox *box);
// Replaces the items of a combo box, picks none, and keeps what is typed in it.
void setItemsKeepingText(QComboBox *box, const QStringList &items);

// Codes, numbers, dates and amounts are typed with Latin characters.
void preferLatin(QWidget *widget, bool digitsOnly = false);

// Creates a menu or item with its control name and caption.
QMenu *addMenu(QMenuBar *bar, const QString &name, const QString &caption);
QAction *addItem(QMenu *menu, const QString &name, const QString &caption);

// A command button; never the default button, so Enter in a field saves nothing by accident.
QPushButton *button(QWidget *parent, const QString &name, const QString &caption);
// A check box without a caption of its own (its label stands beside it):
// a click anywhere on it toggles it, not only a click on its small box.
QCheckBox *markBox(QWidget *parent, const QString &name);
// A caption label, with the field it names.
QLabel *label(QWidget *parent, const QString &name, const QString &caption, QWidget *buddy = nullptr);
// A combo box the user types into; Enter does not add the text as an item.
QComboBox *typedCombo(QWidget *parent, const QString &name);
// The list box `List1` of a register: one record per line in the fixed-pitch face.
QListWidget *recordList(QWidget *parent, int minWidth, int minHeight);
// Buttons right-aligned in a row.
QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons);
// Width of a field that shows the given number of digits.
int digitsWidth(const QWidget *field, int digits);

// The menu "ファイル" (`MF`) with `MH1` "保存", `MS1` "削除" and `ME1` "終了",
// set as the menu bar of the window's layout. Save and delete run the given
// actions, 終了 closes the window: the same actions as the window's buttons.
QMenu *addFileMenu(QWidget *window, QBoxLayout *layout, const std::function<void()> &save,
                   const std::function<void()> &remove);

// Tab order in the given order.
void chainTabOrder(std::initializer_list<QWidget *> widgets);

// The wait cursor while a step reads or writes a whole book.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// Creates a child control with its control name.
template <typename T> T *named(QWidget *parent, const QString &name)
{
    T *w = new T(parent);
    w->setObjectName(name);
    return w;
}

} // namespace sorvane::ui
