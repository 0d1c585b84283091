#include "support/TestSupport.h"

#include "app/Windows.h"
#include "data/DataFolder.h"
#include "data/Files.h"
#include "data/Schema.h"
#include "data/ServerAddress.h"
#include "support/PrivateServer.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTest>

namespace sorvane::test {

void ScriptedUi::information(const QString &text, const QString &title)
{
    shown << Shown{Shown::Kind::Information, text, title};
}

bool ScriptedUi::confirm(const QString &text, const QString &title, Default preset)
{
    shown << Shown{Shown::Kind::Confirm, text, title, preset};
    return m_answers.isEmpty() ? defaultAnswer : m_answers.takeFirst();
}

void ScriptedUi::onModal(const QString &objectName, std::function<void(QDialog *)> handler)
{
    m_handlers.insert(objectName, std::move(handler));
}

int ScriptedUi::runModal(QDialog *window)
{
    const QString name = window->objectName();
    modalWindows << name;
    if (m_real.contains(name))
        return window->exec();
    const auto handler = m_handlers.value(name);
    if (!handler)
        return QDialog::Rejected;
    window->show();
    QApplication::setActiveWindow(window);
    (void)QTest::qWaitForWindowActive(window, 2000);
    handler(window);
    if (window->isVisible())
        window->close();
    return window->result();
}

QStringList ScriptedUi::texts() const
{
    QStringList t;
    for (const Shown &s : shown)
        t << s.text;
    return t;
}

void ScriptedUi::clear()
{
    shown.clear();
    modalWindows.clear();
}

void makeVersionEight(Database &db)
{
    for (const QString &index : {QStringLiteral("D_手形_記録番号"), QStringLiteral("D_手形_親記録番号"),
                                 QStringLiteral("D_手形_処理_期日"), QStringLiteral("D_手形_支払一覧")})
        db.execute(QStringLiteral("drop index if exists ") + index);
    for (const QString &c : {QStringLiteral("種類"), QStringLiteral("記録番号"), QStringLiteral("親記録番号"),
                             QStringLiteral("債務者口座"), QStringLiteral("債権者銀行"), QStringLiteral("債権者支店"),
                             QStringLiteral("債権者口座"), QStringLiteral("電子記録日"), QStringLiteral("譲渡制限")})
        db.execute(QStringLiteral("alter table D_手形 drop column ") + c);
    db.execute(
        QStringLiteral("create index D_手形_処理_期日 on D_手形 (処理, 手形期日, id, 状態, 予約フラグ, 終了フラグ)"));
    db.execute(QStringLiteral("create index D_手形_支払一覧 on D_手形 (手形期日, id, 終了フラグ) where 処理 > 0"));
    db.execute(QStringLiteral("alter table 検索結果 drop column 種類"));
    db.execute(QStringLiteral("alter table 検索結果 drop column 記録番号"));
    db.execute(QStringLiteral("alter table 設定 drop column 電子停止日数"));
    db.execute(QStringLiteral("delete from 仕訳科目 where 用途 in ('電子記録債権', '電子記録債務')"));
    db.execute(db.dialect().writeVersion.arg(8));
}

QString templateFolder()
{
    static QTemporaryDir dir;
    static bool ready = false;
    if (!ready) {
        datafolder::init(dir.path());
        ready = true;
    }
    return dir.path();
}

DataFolder::DataFolder(bool withMainDb)
{
    const QDir from(templateFolder());
    for (const QString &name : from.entryList(QDir::Files)) {
        if (!withMainDb && name == files::kMainDb)
            continue;
        QFile::copy(from.filePath(name), m_dir.filePath(name));
    }
}

QString DataFolder::file(const QString &name) const
{
    return m_dir.filePath(name);
}

namespace {

// A fresh, empty server book in the database "book" of the private server,
// named in the folder's setting: the same start as a fresh copy of tegata.mdb.
void prepareServerBook(const QString &folder)
{
    static bool created = false;
    PrivateServer &server = PrivateServer::instance();
    if (!created) {
        server.createDatabase(QStringLiteral("book"));
        created = true;
    }
    const ServerAddress address = server.address(QStringLiteral("book"));
    {
        Database db(address);
        // Triggers and functions of an earlier test go with the old schema.
        db.execute(QStringLiteral("drop schema if exists public cascade"));
        db.execute(QStringLiteral("create schema public"));
        schema::createMainSchema(db);
    }
    serverbook::writeSetting(folder, address);
}

} // namespace

AppFixture::AppFixture()
{
    if (testsOnServer())
        prepareServerBook(folder.path());
    ctx = std::make_unique<AppContext>(ui, folder.path());
    ctx->clock.setToday(QDate(2026, 12, 7));
    ctx->splashDelayMs = 0;
    if (!ctx->CheckDataFiles() || !ctx->OpenDataDatabase() || !ctx->LoadSettings())
        qFatal("fixture: the data folder did not open: %s", qPrintable(ui.texts().join(u'|')));
}

AppFixture::~AppFixture()
{
    ctx->CloseDataDatabase();
}

WindowFixture::WindowFixture() : kit(makeWindowKit(*ctx, ui, endorsements))
{
}

WindowFixture::~WindowFixture()
{
    endorsements.hide();
}

SecondClerk::SecondClerk(const AppFixture &first) : ctx(ui, first.folder.path())
{
    ctx.clock.setToday(first.ctx->clock.today());
    ctx.splashDelayMs = 0;
    if (!ctx.CheckDataFiles() || !ctx.OpenDataDatabase() || !ctx.LoadSettings())
        qFatal("second clerk: the book did not open: %s", qPrintable(ui.texts().join(u'|')));
    kit = makeWindowKit(ctx, ui, endorsements);
}

SecondClerk::~SecondClerk()
{
    endorsements.hide();
    ctx.CloseDataDatabase();
}

void makeVersionSeven(Database &db)
{
    makeVersionEight(db);
    // The history's delete trigger of version 6 reads no table of version 8.
    if (!db.dialect().isServer()) {
        db.execute(QStringLiteral("drop trigger 手形履歴_削除禁止"));
        db.execute(QStringLiteral("create trigger 手形履歴_削除禁止 before delete on 手形履歴 begin "
                                  "select raise(abort, '手形履歴は追記のみです。変更も削除もできません'); end"));
    }
    for (const char16_t *table : {u"年度移送", u"年度締め", u"年度繰越"})
        db.execute(QStringLiteral("drop table %1").arg(QString::fromUtf16(table)));
    for (const char16_t *c : {u"バックアップ先", u"バックアップ世代", u"最終バックアップ", u"年度末月", u"過去データ年度"})
        db.execute(QStringLiteral("alter table 設定 drop column %1").arg(QString::fromUtf16(c)));
    db.execute(db.dialect().writeVersion.arg(7));
}

void makeVersionSix(Database &db)
{
    makeVersionSeven(db);
    for (const char16_t *index : {u"D_手形_日付", u"D_手形_取立", u"D_手形_振出", u"手形履歴_期日"})
        db.execute(QStringLiteral("drop index %1").arg(QString::fromUtf16(index)));
    db.execute(QStringLiteral("alter table 口座残高 drop column 月末残高"));
    for (const char16_t *c : {u"月初残高", u"入金", u"支払", u"最低残高", u"最低日", u"残高", u"入力残高",
                              u"手形月初残高", u"振出", u"決済", u"手形残高", u"振出件数", u"決済件数"})
        db.execute(QStringLiteral("alter table 口座明細 drop column %1").arg(QString::fromUtf16(c)));
    db.execute(QStringLiteral("alter table 設定 drop column 取立口座id"));
    db.execute(QStringLiteral("alter table D_手形 drop column 取立口座id"));
    db.execute(db.dialect().writeVersion.arg(6));
}

void enterAndLeave(QWidget *field, QWidget *next)
{
    field->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    next->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
}

} // namespace sorvane::test
