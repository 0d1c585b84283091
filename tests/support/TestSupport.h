#pragma once

// Shared pieces of the tests: a message service that answers from a script
// and records every box, and fresh data folders in temporary directories.

#include "book/AppContext.h"
#include "support/PrivateServer.h"
#include "ui/EndorsementDialog.h"
#include "ui/UiService.h"
#include "ui/WindowKit.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>

class QDialog;

namespace sorvane::test {

struct Shown {
    enum class Kind { Information, Confirm };
    Kind kind;
    QString text;
    QString title;
    MessageService::Default preset = MessageService::Default::Ok; // the button Enter presses
};

class ScriptedUi : public UiService {
public:
    void information(const QString &text, const QString &title = {}) override;
    bool confirm(const QString &text, const QString &title = {}, Default preset = Default::Ok) override;
    int runModal(QDialog *window) override;

    // Answers for the next confirmations, in order. Without a scripted
    // answer a confirmation is answered with defaultAnswer.
    void answer(bool ok) { m_answers << ok; }
    bool defaultAnswer = false;

    // What to do when a window of that name is opened modally: the handler
    // runs with the window shown; the window is closed afterwards if the
    // handler left it open. Windows without handler are not shown at all,
    // unless they are to run for real (a window that closes itself).
    void onModal(const QString &objectName, std::function<void(QDialog *)> handler);
    void runForReal(const QString &objectName) { m_real << objectName; }

    QList<Shown> shown;
    QStringList modalWindows;
    QStringList texts() const;
    void clear();

private:
    QList<bool> m_answers;
    QMap<QString, std::function<void(QDialog *)>> m_handlers;
    QStringList m_real;
};

// The files of a prepared data folder, built once per test program.
QString templateFolder();

// Takes a book (file or server) back to what version 8 wrote: no claim
// columns, no claim settings or accounts; the history keeps its rows.
void makeVersionEight(Database &db);

// A fresh copy of a prepared data folder.
class DataFolder {
public:
    explicit DataFolder(bool withMainDb = true);
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const;

private:
    QTemporaryDir m_dir;
};

// A data folder with the program's shared state opened on it, today fixed
// to 2026-12-07 and the splash delay at zero.
class AppFixture {
public:
    AppFixture();
    ~AppFixture();
    DataFolder folder;
    ScriptedUi ui;
    std::unique_ptr<AppContext> ctx;
    Database &db() const { return ctx->db(); }
};

// The fixture for windows: besides the data folder and the shared state, the
// one endorsement dialog and the kit with the program's own factories.
class WindowFixture : public AppFixture {
public:
    WindowFixture();
    ~WindowFixture();
    EndorsementDialog endorsements;
    WindowKit kit;
};

// A second clerk on the same book: the program's shared state opened once
// more on the fixture's data folder, so a connection of its own to the same
// file or server book, with its own messages and windows' kit.
class SecondClerk {
public:
    explicit SecondClerk(const AppFixture &first);
    ~SecondClerk();
    ScriptedUi ui;
    AppContext ctx;
    EndorsementDialog endorsements;
    WindowKit kit;
    Database &db() const { return ctx.db(); }
};

// Finds a named control; a test failure message names what was missing.
template <typename T> T *child(QObject *root, const QString &name)
{
    T *c = root->findChild<T *>(name);
    if (!c)
        qWarning("control not found: %s", qPrintable(name));
    return c;
}

// Back to what version 7 wrote, on either engine: nor the backups and the
// years.
void makeVersionSeven(Database &db);
// Back to what version 6 wrote: nor the plan's columns and indexes.
void makeVersionSix(Database &db);

// Gives the widget the focus and takes it away again, as a user leaving a field.
void enterAndLeave(QWidget *field, QWidget *next);

} // namespace sorvane::test
