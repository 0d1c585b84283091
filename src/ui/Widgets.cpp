#include "ui/Widgets.h"

#include "ui/MenuAccessible.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

namespace sorvane::ui {

namespace {

// Runs an action when the focus really moves into or out of a widget.
class FocusFilter : public QObject {
public:
    FocusFilter(QObject *parent, QEvent::Type type, std::function<void()> action)
        : QObject(parent), m_type(type), m_action(std::move(action))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Opening a menu or a drop-down list, or switching to another window,
        // does not move the focus between fields; only a real move runs the action.
        if (event->type() == m_type && m_action) {
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                m_action();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_action;
};

class EnterKeyFilter : public QObject {
public:
    explicit EnterKeyFilter(QObject *parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return QObject::eventFilter(watched, event);
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return QObject::eventFilter(watched, event);
        auto *w = qobject_cast<QWidget *>(watched);
        if (!w || !w->isEnabled())
            return QObject::eventFilter(watched, event);
        auto *pushButton = qobject_cast<QPushButton *>(w);
        if (event->type() == QEvent::KeyRelease)
            return pushButton != nullptr;
        if (pushButton) {
            pushButton->click();
            return true;
        }
        // Fields: on to the next one, as Tab does.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &tab);
        return true;
    }
};

class MarkBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

bool takesEnter(QWidget *w)
{
    return qobject_cast<QPushButton *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) ||
           qobject_cast<QAbstractButton *>(w);
}

} // namespace

bool loadQtTranslation()
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

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
    f.setFamilies(
        {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("monospace")});
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

void enterKeys(QWidget *root)
{
    auto *filter = new EnterKeyFilter(root);
    const auto children = root->findChildren<QWidget *>();
    for (QWidget *w : children) {
        // Lists keep Enter for themselves; a line edit inside a combo box is a field.
        if (takesEnter(w))
            w->installEventFilter(filter);
    }
}

void finishWindow(QWidget *root)
{
    installMenuAccessibility();
    nameControls(root);
    enterKeys(root);
}

void onFocusOut(QWidget *widget, std::function<void()> action)
{
    widget->installEventFilter(new FocusFilter(widget, QEvent::FocusOut, std::move(action)));
}

void onFocusIn(QWidget *widget, std::function<void()> action)
{
    widget->installEventFilter(new FocusFilter(widget, QEvent::FocusIn, std::move(action)));
}

void clearCombo(QComboBox *box)
{
    box->setCurrentIndex(-1);
    box->clearEditText();
}

void setItemsKeepingText(QComboBox *box, const QStringList &items)
{
    const QString typed = box->currentText();
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setEditText(typed);
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

QPushButton *button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = named<QPushButton>(parent, name);
    b->setText(caption);
    b->setAutoDefault(false);
    b->setMinimumWidth(88);
    return b;
}

QCheckBox *markBox(QWidget *parent, const QString &name)
{
    auto *box = new MarkBox(parent);
    box->setObjectName(name);
    return box;
}

QLabel *label(QWidget *parent, const QString &name, const QString &caption, QWidget *buddy)
{
    auto *l = named<QLabel>(parent, name);
    l->setText(caption);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

QComboBox *typedCombo(QWidget *parent, const QString &name)
{
    auto *c = named<QComboBox>(parent, name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

QListWidget *recordList(QWidget *parent, int minWidth, int minHeight)
{
    auto *list = named<QListWidget>(parent, QStringLiteral("List1"));
    list->setFont(listFont());
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setMinimumSize(minWidth, minHeight);
    return list;
}

QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget *b : buttons)
        if (b)
            row->addWidget(b);
    return row;
}

int digitsWidth(const QWidget *field, int digits)
{
    return field->fontMetrics().horizontalAdvance(QString(digits, u'0')) + 24;
}

QMenu *addFileMenu(QWidget *window, QBoxLayout *layout, const std::function<void()> &save,
                   const std::function<void()> &remove)
{
    auto *bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("MenuBar"));
    QMenu *file = addMenu(bar, QStringLiteral("MF"), QStringLiteral("ファイル"));
    QObject::connect(addItem(file, QStringLiteral("MH1"), QStringLiteral("保存")), &QAction::triggered, window,
                     [save] { save(); });
    QObject::connect(addItem(file, QStringLiteral("MS1"), QStringLiteral("削除")), &QAction::triggered, window,
                     [remove] { remove(); });
    QObject::connect(addItem(file, QStringLiteral("ME1"), QStringLiteral("終了")), &QAction::triggered, window,
                     &QWidget::close);
    layout->setMenuBar(bar);
    return file;
}

void chainTabOrder(std::initializer_list<QWidget *> widgets)
{
    QWidget *previous = nullptr;
    for (QWidget *w : widgets) {
        if (previous && w)
            QWidget::setTabOrder(previous, w);
        if (w)
            previous = w;
    }
}

BusyCursor::BusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QApplication::restoreOverrideCursor();
}

} // namespace sorvane::ui
