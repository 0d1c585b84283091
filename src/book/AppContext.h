#pragma once

// The values the whole program shares: the data folder, the open main
// database, the holiday flag, the approaching-due window and the company's
// accounts. One object, handed to every window; nothing else is global.

#include "book/YearEnd.h"
#include "data/Clock.h"
#include "data/Engine.h"
#include "data/Files.h"
#include "data/ServerAddress.h"

#include <QString>
#include <QVector>

#include <memory>
#include <optional>

class QObject;

namespace sorvane {

class MessageService;

struct AccountSlot {
    qint64 kozano = 0;
    qint64 id = 0;
    QString 口座番号;
    QString 口座種別;
    QString 銀行名;
    QString 支店名;
};

class AppContext {
public:
    // programFolder is where the data files are looked for; the program
    // passes its own folder, tests a temporary one.
    AppContext(MessageService &messages, QString programFolder);
    ~AppContext();
    AppContext(const AppContext &) = delete;
    AppContext &operator=(const AppContext &) = delete;

    MessageService &messages() const { return m_messages; }
    const QString &programFolder() const { return m_programFolder; }

    // Start-up routines; each shows its own messages.
    bool CheckDataFiles();
    bool OpenDataDatabase();
    bool LoadSettings();
    bool LoadAccountCache();
    void CloseDataDatabase();

    // AppFolder + name.
    QString filePath(const QString &name) const { return files::path(AppFolder, name); }
    // The open main database; a DbError when it is closed.
    Database &db() const;
    // The book of a closed year in place of the working book, read-only:
    // every window reads it, every write is refused with a message. False,
    // after the message, when it cannot be opened; the working book is
    // then open again.
    bool OpenArchive(const QString &path);
    // Back to the working book.
    bool OpenWorkingBook();
    bool isArchive() const { return !ArchivePath.isEmpty(); }

    // Which book is open, for the title bar: tegata.mdb, or "サーバー: DBNAME"
    // (with the host when it is not a socket of this machine).
    QString bookName() const;
    // When the last CheckDataFiles found no book: the line that tells how
    // to prepare the data folder. Empty otherwise.
    QString missingBookHint() const;

    // Before a command: on a server book, connects again when the
    // connection broke (a few tries), and makes sure the server answers.
    // False, after the message, when it does not: the command must not show
    // an empty window as if it were the book.
    bool checkConnection();

    QString AppFolder;
    Workspace *DataWorkspace = nullptr;
    Database *DataDb = nullptr;
    // Set by CheckDataFiles when the data folder names a server book.
    std::optional<ServerAddress> Server;
    // Set while the book of a closed year is open instead of the working book.
    QString ArchivePath;
    book::FiscalYear ArchiveYear;
    bool HolidayDataAvailable = false;
    int DueWindowDays = 14;
    QVector<AccountSlot> AccountCache;
    int AccountCount = 0;

    Clock clock;
    // How long the splash stays at start-up; tests set 0.
    int splashDelayMs = 3000;
    // The command that prepares AppFolder, named when the book is missing;
    // the program sets it from how it chose the folder. Empty: the tool
    // with --folder, which always fits.
    QString PrepareCommand;

    static const QString kWorkspaceName;
    static const QString kUserName;

private:
    void tellReconnected();

    MessageService &m_messages;
    QString m_programFolder;
    bool m_bookMissing = false;
    Engine m_engine;
    // The context of the notice that the server is back: it is shown once
    // the statement that reconnected has finished, never from inside it.
    std::unique_ptr<QObject> m_notices;
    bool m_noticePending = false;
};

} // namespace sorvane
