// How the program copes with a big book: 10,000 to 1,000,000 generated bills.
// For each size it opens the list windows and the windows of figures, runs
// the searches, registers and
// hands on bills, starts the program and compacts the data, each step in a
// fresh child process (so the peak memory is that step's), and runs the same
// SQL with the sqlite3 command-line program on the same file: the floor no
// program on this file can beat. Prints one table with medians.
//
//   bench_scale [--sizes 10000,100000,1000000] [--reps 5] [--work DIR] [--seed S] [--steps a,b,...]
//
// Generated books are kept in DIR (default /var/tmp/sorvane-bench) and reused
// by the next run; every step works on a copy, so the kept book stays as made.

#include "app/MainMenu.h"
#include "book/AppContext.h"
#include "book/Generate.h"
#include "book/Payables.h"
#include "data/DataFolder.h"
#include "data/Engine.h"
#include "data/Files.h"
#include "data/Formats.h"
#include "ui/LineList.h"
#include "ui/SheetView.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

using namespace sorvane;

namespace {

const QString kNumberPattern = QStringLiteral("K?1*");

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// Peak resident memory of this process so far, in KiB.
qint64 peakKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// ------------------------------------------------------------------ child

// Modal windows are handed to the step that waits for them; messages are
// reported, since a measured action that shows one has gone wrong.
class BenchUi : public UiService {
public:
    using Handler = std::function<int(QDialog *)>;
    void on(const QString &name, Handler h) { m_handlers[name] = std::move(h); }
    void information(const QString &text, const QString &) override
    {
        ++messages;
        out() << "info " << QString(text).replace(u'\n', u' ') << '\n';
        out().flush();
    }
    bool confirm(const QString &text, const QString &, Default) override
    {
        ++messages;
        out() << "info confirm: " << QString(text).replace(u'\n', u' ') << '\n';
        return true;
    }
    int runModal(QDialog *w) override
    {
        const auto it = m_handlers.constFind(w->objectName());
        if (it == m_handlers.constEnd()) {
            out() << "info unexpected window " << w->objectName() << '\n';
            return 0;
        }
        return (*it)(w);
    }
    int messages = 0;

private:
    QMap<QString, Handler> m_handlers;
};

// Lines of the window's long lists and tables; -1 for a window without one.
int rowsOf(QWidget *w)
{
    const QList<ui::LineList *> lists = w->findChildren<ui::LineList *>();
    const QList<ui::SheetView *> sheets = w->findChildren<ui::SheetView *>();
    int rows = lists.isEmpty() && sheets.isEmpty() ? -1 : 0;
    for (const ui::LineList *l : lists)
        rows += l->count();
    for (const ui::SheetView *s : sheets)
        rows += s->rowCount();
    return rows;
}

template <typename T> T *child(QWidget *w, const QString &name)
{
    T *c = w->findChild<T *>(name);
    if (!c) {
        err() << "no control " << name << " in " << w->objectName() << '\n';
        err().flush();
        std::exit(4);
    }
    return c;
}

void report(double filled, double shown, int rows)
{
    out() << "ms " << filled << '\n' << "shown " << shown << '\n' << "rows " << rows << '\n';
    out().flush();
}

// Opens the window from the main window's button, times it until its lists
// are filled (its constructor returned) and until it is painted.
void openWindow(MainMenu &menu, BenchUi &ui, int reps, const QString &button, const QString &window)
{
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer t;
        ui.on(window, [&](QDialog *w) {
            const double filled = msSince(t);
            w->show();
            QApplication::processEvents();
            report(filled, msSince(t), rowsOf(w));
            w->hide();
            return 0;
        });
        t.start();
        menu.button(button)->click();
    }
}

void search(MainMenu &menu, BenchUi &ui, int reps, const QString &field, const QString &value)
{
    ui.on(QStringLiteral("手形検索"), [&](QDialog *w) {
        child<QRadioButton>(w, QStringLiteral("Option5"))->click(); // due or not
        if (field == u"手形番号")
            child<QLineEdit>(w, field)->setText(value);
        else
            child<QComboBox>(w, field)->setEditText(value);
        for (int i = 0; i < reps; ++i) {
            QElapsedTimer t;
            bool opened = false;
            ui.on(QStringLiteral("受取結果表示"), [&](QDialog *r) {
                opened = true;
                const double filled = msSince(t);
                r->show();
                QApplication::processEvents();
                report(filled, msSince(t), rowsOf(r));
                r->hide();
                return 0;
            });
            t.start();
            child<QPushButton>(w, QStringLiteral("検索ボタン"))->click();
            if (!opened)
                out() << "info no result window\n";
        }
        return 0;
    });
    menu.button(QStringLiteral("検索ボタン"))->click();
}

void fillReceivable(QDialog *w, BenchUi &ui, const QString &number, const QDate &today)
{
    child<QComboBox>(w, QStringLiteral("Tcode"))->setEditText(QStringLiteral("1001"));
    child<QLineEdit>(w, QStringLiteral("手形番号"))->setText(number);
    child<QLineEdit>(w, QStringLiteral("振出地"))->setText(QStringLiteral("東京都千代田区"));
    child<QComboBox>(w, QStringLiteral("振出人"))->setEditText(QStringLiteral("株式会社測定商事"));
    child<QLineEdit>(w, QStringLiteral("振出日"))->setText(fmt::ymd(today));
    child<QLineEdit>(w, QStringLiteral("手形期日"))->setText(fmt::ymd(today.addDays(91)));
    child<QLineEdit>(w, QStringLiteral("金額"))->setText(QStringLiteral("1,234,000"));
    child<QComboBox>(w, QStringLiteral("保管場所"))->setEditText(QStringLiteral("本社金庫"));
    ui.on(QStringLiteral("手形裏書"), [](QDialog *d) {
        child<QLineEdit>(d, QStringLiteral("氏名1"))->setText(QStringLiteral("株式会社裏書一"));
        child<QLineEdit>(d, QStringLiteral("住所1"))->setText(QStringLiteral("東京都港区1-2-3"));
        child<QLineEdit>(d, QStringLiteral("氏名2"))->setText(QStringLiteral("裏書二商事株式会社"));
        return 0;
    });
    child<QPushButton>(w, QStringLiteral("裏書編集ボタン"))->click();
}

void registerBills(MainMenu &menu, BenchUi &ui, AppContext &ctx, int reps)
{
    ui.on(QStringLiteral("受取手形入力"), [&](QDialog *w) {
        const QDate today = ctx.clock.today();
        auto *save = child<QPushButton>(w, QStringLiteral("登録ボタン"));
        const qint64 pid = QCoreApplication::applicationPid();
        for (int i = 0; i < reps; ++i) {
            fillReceivable(w, ui, QStringLiteral("ZZ%1-%2").arg(pid).arg(i), today);
            const int before = ui.messages;
            QElapsedTimer t;
            t.start();
            save->click();
            const double ms = msSince(t);
            if (ui.messages != before || !child<QLineEdit>(w, QStringLiteral("手形番号"))->text().isEmpty())
                out() << "info registration refused\n";
            report(ms, ms, 1);
        }
        // The last bill is registered and the process killed at once: the
        // parent then looks for it in the file.
        const QString last = QStringLiteral("DURABLE-%1").arg(pid);
        fillReceivable(w, ui, last, today);
        save->click();
        out() << "hwm " << peakKb() << '\n' << "durable " << last << '\n';
        out().flush();
        std::raise(SIGKILL);
        return 0;
    });
    menu.button(QStringLiteral("受取入力ボタン"))->click();
}

void handOnBills(MainMenu &menu, BenchUi &ui, AppContext &ctx, int reps)
{
    ui.on(QStringLiteral("支払手形入力"), [&](QDialog *w) {
        auto *save = child<QPushButton>(w, QStringLiteral("登録ボタン"));
        auto *list = child<ui::LineList>(w, QStringLiteral("手形一覧"));
        auto *code = child<QComboBox>(w, QStringLiteral("Scode"));
        for (int i = 0; i < reps; ++i) {
            child<QCheckBox>(w, QStringLiteral("Check1"))->click();
            list->selectRow(0);
            emit list->rowPicked(0);
            code->setEditText(QStringLiteral("5001"));
            emit code->activated(0);
            const qint64 before =
                ctx.db().scalar(QStringLiteral("select count(*) from D_手形 where 処理=2")).toLongLong();
            QElapsedTimer t;
            t.start();
            save->click();
            const double ms = msSince(t);
            const qint64 after =
                ctx.db().scalar(QStringLiteral("select count(*) from D_手形 where 処理=2")).toLongLong();
            if (after != before + 1)
                out() << "info hand-on not stored\n";
            report(ms, ms, list->count());
        }
        return 0;
    });
    menu.button(QStringLiteral("支払入力ボタン"))->click();
}

void compact(MainMenu &menu, BenchUi &ui, int reps)
{
    menu.toolSettings().compactStartMs = 0;
    menu.toolSettings().compactLingerMs = 0;
    ui.on(QStringLiteral("最適化中"), [](QDialog *d) { return d->exec(); });
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer t;
        t.start();
        menu.button(QStringLiteral("最適化"))->click();
        const double ms = msSince(t);
        report(ms, ms, -1);
    }
}

// The offscreen platform says this for every dialog shown; it tells nothing here.
void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (message.contains(QLatin1String("propagateSizeHints")))
        return;
    err() << message << '\n';
    err().flush();
    if (type == QtFatalMsg)
        std::abort();
}

int runChild(int argc, char **argv, const QString &step, const QString &folder, int reps, const QString &value)
{
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvane"));
    QApplication::setFont(ui::gothicFont());
    ui::loadQtTranslation();

    BenchUi ui;
    AppContext ctx(ui, folder);
    ctx.splashDelayMs = 0;
    MainMenu menu(ctx, ui);
    ui.on(QStringLiteral("Logo"), [](QDialog *d) { return d->exec(); });
    if (!menu.startUp())
        return 3;
    menu.show();
    QApplication::processEvents();
    out() << "ready\n";
    out().flush();

    if (step == u"receivable-list")
        openWindow(menu, ui, reps, QStringLiteral("受取修正ボタン"), QStringLiteral("受取手形一覧"));
    else if (step == u"payable-list")
        openWindow(menu, ui, reps, QStringLiteral("支払修正ボタン"), QStringLiteral("支払手形一覧"));
    else if (step == u"due-list")
        openWindow(menu, ui, reps, QStringLiteral("期日接近"), QStringLiteral("接近手形一覧"));
    else if (step == u"payable-entry")
        openWindow(menu, ui, reps, QStringLiteral("支払入力ボタン"), QStringLiteral("支払手形入力"));
    else if (step == u"search-window")
        openWindow(menu, ui, reps, QStringLiteral("検索ボタン"), QStringLiteral("手形検索"));
    else if (step == u"accounts")
        openWindow(menu, ui, reps, QStringLiteral("口座登録"), QStringLiteral("口座情報"));
    else if (step == u"cash-plan")
        openWindow(menu, ui, reps, QStringLiteral("口座別資金確認"), QStringLiteral("口座別資金確認"));
    else if (step == u"trial-balance")
        openWindow(menu, ui, reps, QStringLiteral("口座別試算表"), QStringLiteral("口座別試算表"));
    else if (step == u"reserved")
        openWindow(menu, ui, reps, QStringLiteral("手形予約確認"), QStringLiteral("手形予約確認"));
    else if (step == u"totals-due")
        openWindow(menu, ui, reps, QStringLiteral("実集計"), QStringLiteral("集計期日"));
    else if (step == u"totals-booking")
        openWindow(menu, ui, reps, QStringLiteral("処理日集計"), QStringLiteral("集計処理日"));
    else if (step == u"search-number")
        search(menu, ui, reps, QStringLiteral("手形番号"), value);
    else if (step == u"search-drawer")
        search(menu, ui, reps, QStringLiteral("振出人"), value);
    else if (step == u"search-endorser")
        search(menu, ui, reps, QStringLiteral("裏書"), value);
    else if (step == u"register")
        registerBills(menu, ui, ctx, reps);
    else if (step == u"hand-on")
        handOnBills(menu, ui, ctx, reps);
    else if (step == u"compaction")
        compact(menu, ui, reps);
    else if (step != u"startup")
        return 2;
    out() << "hwm " << peakKb() << '\n';
    out().flush();
    return 0;
}

// ------------------------------------------------------------------ driver

struct Figures {
    std::vector<double> ms;
    std::vector<double> shown;
    int rows = -1;
    qint64 hwmKb = -1;
    QStringList notes;
    QString durable;
};

Figures runStep(const QString &exe, const QString &step, const QString &folder, int reps, const QString &value)
{
    Figures f;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(exe, {QStringLiteral("--child"), step, folder, QString::number(reps), value});
    QByteArray pending;
    bool ready = false;
    while (p.state() != QProcess::NotRunning || p.bytesAvailable() > 0) {
        if (p.bytesAvailable() == 0)
            p.waitForReadyRead(100);
        pending += p.readAllStandardOutput();
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(nl));
            pending.remove(0, nl + 1);
            const QString key = line.section(u' ', 0, 0);
            const QString rest = line.section(u' ', 1);
            if (key == u"ready" && !ready) {
                ready = true;
                if (step == u"startup")
                    f.ms.push_back(msSince(t));
            } else if (key == u"ms") {
                f.ms.push_back(rest.toDouble());
            } else if (key == u"shown") {
                f.shown.push_back(rest.toDouble());
            } else if (key == u"rows") {
                f.rows = rest.toInt();
            } else if (key == u"hwm") {
                f.hwmKb = rest.toLongLong();
            } else if (key == u"durable") {
                f.durable = rest;
            } else if (key == u"info") {
                if (!f.notes.contains(rest))
                    f.notes << rest;
            }
        }
    }
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit && f.durable.isEmpty())
        f.notes << QStringLiteral("child crashed");
    else if (p.exitStatus() == QProcess::NormalExit && p.exitCode() != 0)
        f.notes << QStringLiteral("child exit %1").arg(p.exitCode());
    return f;
}

// One run of the sqlite3 program: the statements' own times, summed, per
// round. Its timer counts whole milliseconds: a short query is run several
// rounds in the one process and the total divided.
std::optional<double> sqliteOnce(const QString &file, const QStringList &params, const QStringList &statements,
                                 int rounds = 1)
{
    QString script = QStringLiteral(".output /dev/null\n");
    for (int i = 0; i < params.size(); ++i) {
        QString v = params.at(i);
        v.replace(u'\'', QStringLiteral("''"));
        script += QStringLiteral(".parameter set ?%1 \"'%2'\"\n").arg(i + 1).arg(v);
    }
    script += QStringLiteral(".timer on\n");
    for (int r = 0; r < rounds; ++r)
        for (const QString &s : statements)
            script += s + QStringLiteral(";\n");
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), file});
    if (!p.waitForStarted())
        return std::nullopt;
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(-1);
    const QString output = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression runTime(QStringLiteral("Run Time: real ([0-9.]+)"));
    double total = 0;
    int found = 0;
    for (auto it = runTime.globalMatch(output); it.hasNext(); ++found)
        total += it.next().captured(1).toDouble() * 1000;
    const QString errors = QString::fromUtf8(p.readAllStandardError()).trimmed();
    if (!errors.isEmpty())
        err() << "sqlite3: " << errors << '\n';
    if (found == 0)
        return std::nullopt;
    return total / rounds;
}

std::optional<double> sqliteFloor(const QString &file, int reps, const QStringList &params,
                                  const QStringList &statements, const std::function<void()> &between = {})
{
    std::vector<double> times;
    int rounds = 1;
    for (int i = 0; i < reps; ++i) {
        if (between)
            between();
        if (const std::optional<double> ms = sqliteOnce(file, params, statements, rounds)) {
            // A first figure under 20 ms is too coarse: ten rounds from then on.
            if (i == 0 && rounds == 1 && !between && *ms < 20) {
                rounds = 10;
                --i;
                continue;
            }
            times.push_back(*ms);
        }
    }
    if (times.empty())
        return std::nullopt;
    return median(times);
}

// The statements each step runs, as the book writes them.
const QString kReceivableColumns =
    QStringLiteral("処理,日付,手形番号,取引先コード,取引先,振出人,支払県,支払市,支払場所コード,支払場所,"
                   "支払場所支店コード,支払場所支店,振出日,手形期日,手形期間,金額,保管場所,注意フラグ");
const QString kCandidate = QStringLiteral("処理=0 and 状態=0 and 予約フラグ=0 and 終了フラグ=0");

QStringList searchStatements(const QString &condition)
{
    return {QStringLiteral("begin immediate"), QStringLiteral("delete from 検索結果"),
            QStringLiteral("insert into 検索結果(手形id,%1) select id,%1 from D_手形 where %2")
                .arg(kReceivableColumns, condition),
            QStringLiteral("commit"),
            QStringLiteral("select id,手形id,手形番号,手形期日,金額,取引先 from 検索結果 "
                           "where 処理=0 and 予約フラグ=0 and 終了フラグ=0 order by 手形期日 nulls first,id")};
}

QStringList dueStatements()
{
    QStringList s;
    for (const QString &kind :
         {QStringLiteral("処理 = 0 and 状態 = 0"), QStringLiteral("処理 = 1"), QStringLiteral("処理 = 0 and 状態 = 2")})
        s << QStringLiteral("select 手形期日,手形番号,保管場所,金額,取引先 from D_手形 "
                            "where %1 and 手形期日 >= ?1 and 手形期日 <= ?2 order by 手形期日, id")
                 .arg(kind);
    return s;
}

struct Row {
    QString step;
    qint64 bills;
    Figures figures;
    std::optional<double> floor;
};

QString fmtMs(double ms)
{
    if (ms < 0)
        return QStringLiteral("—");
    return ms < 10 ? QString::number(ms, 'f', 1) : QString::number(qRound64(ms));
}

bool copyFolder(const QString &from, const QString &to)
{
    QDir(to).removeRecursively();
    if (!QDir().mkpath(to))
        return false;
    for (const QFileInfo &fi : QDir(from).entryInfoList(QDir::Files))
        if (!QFile::copy(fi.filePath(), QDir(to).filePath(fi.fileName())))
            return false;
    return true;
}

// The generated book of this size, made once and kept.
QString bookFolder(const QString &work, qint64 bills, quint64 seed)
{
    const QString folder = QDir(work).filePath(QStringLiteral("book-%1-seed%2").arg(bills).arg(seed));
    const QString stamp = QDir(folder).filePath(QStringLiteral("generated"));
    if (QFileInfo::exists(stamp))
        return folder;
    QDir(folder).removeRecursively();
    datafolder::init(folder);
    Workspace ws(QStringLiteral("bench"), {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb));
    book::GenerateSettings s;
    s.bills = bills;
    s.seed = seed;
    s.today = QDate::currentDate();
    s.progress = [bills](qint64 done) {
        if (done % 100000 == 0 || done == bills) {
            err() << "  generated " << done << " of " << bills << '\n';
            err().flush();
        }
    };
    QElapsedTimer t;
    t.start();
    book::generateBook(*db, s);
    err() << "generated " << bills << " bills in " << qRound64(msSince(t) / 1000) << " s\n";
    QFile f(stamp);
    if (f.open(QIODevice::WriteOnly))
        f.write(QByteArray::number(bills));
    return folder;
}

int runDriver(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QList<qint64> sizes = {10000, 100000, 1000000};
    int reps = 5;
    QString work = QStringLiteral("/var/tmp/sorvane-bench");
    quint64 seed = 1;
    QStringList only; // the steps to run; empty: every step
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == u"--sizes") {
            sizes.clear();
            for (const QString &s : args.at(i + 1).split(u','))
                sizes << s.toLongLong();
        } else if (args.at(i) == u"--reps") {
            reps = std::max(1, args.at(i + 1).toInt());
        } else if (args.at(i) == u"--work") {
            work = args.at(i + 1);
        } else if (args.at(i) == u"--seed") {
            seed = args.at(i + 1).toULongLong();
        } else if (args.at(i) == u"--steps") {
            only = args.at(i + 1).split(u',', Qt::SkipEmptyParts);
        } else {
            err() << "usage: bench_scale [--sizes 10000,100000,1000000] [--reps 5] [--work DIR] [--seed S] "
                     "[--steps a,b,...]\n";
            return 2;
        }
    }
    QDir().mkpath(work);
    const QString exe = QCoreApplication::applicationFilePath();
    const QDate today = QDate::currentDate();
    std::vector<Row> rows;

    for (const qint64 bills : sizes) {
        const QString book = bookFolder(work, bills, seed);
        const QString scratch = QDir(work).filePath(QStringLiteral("scratch"));
        if (!copyFolder(book, scratch)) {
            err() << "cannot copy " << book << '\n';
            return 1;
        }
        const QString file = files::path(scratch, files::kMainDb);
        QString drawer;
        int days = 14;
        {
            Workspace ws(QStringLiteral("bench"), {}, {});
            ScopedDatabase db(ws, file);
            drawer = db->scalar(QStringLiteral("select 振出人 from D_手形 where 処理=0 group by 振出人 "
                                               "order by count(*) desc, 振出人 limit 1"))
                         .toString();
            days = db->scalar(QStringLiteral("select days from 設定 where id=1")).toInt();
        }
        const QString endorser = book::busiestGeneratedEndorser();
        const auto wanted = [&only](const QString &step) { return only.isEmpty() || only.contains(step); };
        const auto add = [&](const QString &step, const QString &value, const QStringList &params,
                             const QStringList &statements, int stepReps = -1) {
            if (!wanted(step))
                return;
            const int n = stepReps > 0 ? stepReps : reps;
            err() << bills << ' ' << step << '\n';
            err().flush();
            Row r{step, bills, runStep(exe, step, scratch, n, value), std::nullopt};
            if (!statements.isEmpty())
                r.floor = sqliteFloor(file, n, params, statements);
            rows.push_back(r);
        };

        if (wanted(QStringLiteral("startup"))) {
            // Start-up: every repetition is a process of its own.
            Row r{QStringLiteral("startup"), bills, {}, std::nullopt};
            for (int i = 0; i < reps; ++i) {
                const Figures f = runStep(exe, QStringLiteral("startup"), scratch, 1, {});
                r.figures.ms.insert(r.figures.ms.end(), f.ms.begin(), f.ms.end());
                r.figures.hwmKb = std::max(r.figures.hwmKb, f.hwmKb);
                r.figures.notes << f.notes;
            }
            rows.push_back(r);
        }
        add(QStringLiteral("receivable-list"), {}, {},
            {QStringLiteral("select id,手形番号,手形期日,金額,取引先 from D_手形 where 処理=0 and 予約フラグ=0 and "
                            "終了フラグ=0 order by 手形期日 nulls first,id")});
        add(QStringLiteral("payable-list"), {}, {},
            {QStringLiteral("select id,処理,手形番号,手形期日,金額,取引先 from D_手形 where 処理>0 and 終了フラグ=0 "
                            "order by 手形期日 nulls first,id")});
        add(QStringLiteral("due-list"), {}, {today.toString(Qt::ISODate), today.addDays(days).toString(Qt::ISODate)},
            dueStatements());
        add(QStringLiteral("payable-entry"), {}, {},
            {QStringLiteral("select id,金額,手形期日,振出人 from D_手形 where %1 order by 手形期日 nulls first,id")
                 .arg(kCandidate)});
        add(QStringLiteral("search-window"), {}, {},
            {QStringLiteral("select tc from T0 order by tc"), QStringLiteral("select sc from S0 order by sc"),
             QStringLiteral("select 保管場所 from 保管場所 order by 保管場所"),
             QStringLiteral("select distinct 振出人 from D_手形 where 処理 = 0 and 振出人 <> '' order by 振出人"),
             QStringLiteral("select distinct 裏書人 from 裏書人 where 裏書人 <> '' order by 裏書人")});
        {
            // The windows of 計画と確認 and 集計, and the statements behind each.
            const QDate month(today.year(), today.month(), 1);
            const QString thisMonth = month.toString(Qt::ISODate);
            const QString yearAgo = month.addMonths(-11).toString(Qt::ISODate);
            const QString yearOn = month.addMonths(12).addDays(-1).toString(Qt::ISODate);
            const QString todayText = today.toString(Qt::ISODate);
            const QString states = QStringLiteral("処理, 状態, 予約処理, 終了フラグ");
            add(QStringLiteral("accounts"), {}, {}, {QStringLiteral("select * from 口座データ order by kozano")});
            add(QStringLiteral("cash-plan"), {}, {},
                {QStringLiteral("select 手形期日, sum(金額) from D_手形 where 処理 = 0 and 状態 = 0 and 予約フラグ = 0 "
                                "and 終了フラグ = 0 and 取立口座id in (0, 1) group by 手形期日"),
                 QStringLiteral("select 手形期日, id, 手形番号, 取引先, 金額 from D_手形 where 処理 = 1 and "
                                "(予約口座id = 1 or (予約口座id = 0 and kozano = 1)) order by 手形期日, id"),
                 QStringLiteral("select h.処理日, h.金額 from 手形履歴 h join D_手形 d on d.id = h.手形id "
                                "where h.種別 = '決済' and h.前状態 = '手元' and d.取立口座id in (0, 1)")});
            add(QStringLiteral("trial-balance"), {}, {},
                {QStringLiteral("select 日付, sum(金額), count(*) from D_手形 where 処理 = 1 group by 日付"),
                 QStringLiteral("select h.処理日, sum(h.金額), count(*) from 手形履歴 h join D_手形 d on d.id = "
                                "h.手形id where h.種別 = '決済' and d.処理 = 1 group by h.処理日")});
            add(QStringLiteral("reserved"), {}, {todayText},
                {QStringLiteral("select r.手形id from 手形履歴 r left join D_手形 d on d.id = r.手形id "
                                "where r.id in (select e.id from 手形履歴 e where e.種別 in ('割引', '譲渡') and "
                                "e.手形期日 >= ?1 union select e.id from 手形履歴 c join 手形履歴 e on e.手形id = "
                                "c.手形id and e.id < c.id where c.種別 = '修正' and e.種別 in ('割引', '譲渡')) and "
                                "coalesce(d.手形期日, r.手形期日) >= ?1 and r.処理日 <= ?1 and r.id = (select "
                                "max(x.id) from 手形履歴 x where x.手形id = r.手形id and x.種別 in ('割引', '譲渡') "
                                "and x.処理日 <= ?1)")});
            add(QStringLiteral("totals-due"), {}, {thisMonth, yearOn},
                {QStringLiteral("select 手形期日, %1, count(*), sum(金額) from D_手形 where 手形期日 between ?1 and ?2 "
                                "group by 手形期日, %1")
                     .arg(states)});
            add(QStringLiteral("totals-booking"), {}, {yearAgo, today.toString(Qt::ISODate)},
                {QStringLiteral("select 日付, %1, count(*), sum(金額) from D_手形 where 日付 between ?1 and ?2 "
                                "group by 日付, %1")
                     .arg(states)});
        }
        add(QStringLiteral("search-number"), kNumberPattern, {QStringLiteral("K_1%")},
            searchStatements(QStringLiteral("手形番号 like ?1 escape '\\' and 処理 = 0")));
        add(QStringLiteral("search-drawer"), drawer, {drawer},
            searchStatements(QStringLiteral("処理 = 0 and 振出人 = ?1")));
        add(QStringLiteral("search-endorser"), endorser, {endorser},
            searchStatements(QStringLiteral("処理 = 0 and id in (select 手形id from 裏書人 where 裏書人 = ?1)")));

        if (wanted(QStringLiteral("register"))) {
            err() << bills << " register\n";
            Row r{QStringLiteral("register"), bills, runStep(exe, QStringLiteral("register"), scratch, reps, {}),
                  std::nullopt};
            // Killed right after its last registration: the bill must be in the file.
            if (!r.figures.durable.isEmpty()) {
                QProcess p;
                p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), file});
                p.write(QStringLiteral(".parameter set ?1 \"'%1'\"\nselect count(*) from D_手形 where 手形番号 = ?1;\n")
                            .arg(r.figures.durable)
                            .toUtf8());
                p.closeWriteChannel();
                p.waitForFinished(-1);
                const bool kept = p.readAllStandardOutput().trimmed() == "1";
                r.figures.notes << (kept ? QStringLiteral("killed after saving: bill kept")
                                         : QStringLiteral("killed after saving: BILL LOST"));
            }
            r.floor = sqliteFloor(
                file, reps, {QStringLiteral("1001"), today.toString(Qt::ISODate)},
                {QStringLiteral("begin immediate"),
                 QStringLiteral("insert into D_手形(処理,日付,手形番号,取引先コード,取引先,振出地,振出人,支払県,支払市,"
                                "支払場所コード,支払場所,支払場所支店コード,支払場所支店,振出日,手形期日,手形期間,金額,"
                                "保管場所,注意フラグ) values(0,?2,'FLOOR','1001','測定',"
                                "'東京都千代田区','株式会社測定商事','','','','','','',?2,?2,91,1234000,'本社金庫',0)"),
                 QStringLiteral("select id,tn from T0 where tc=?1"),
                 QStringLiteral("select id,最終手形番号 from T1 where idoft=(select id from T0 where tc=?1) "
                                "and 支払場所='' and 支払場所支店='' order by id"),
                 QStringLiteral("insert into 裏書人(手形id,表示順,裏書人,裏書人住所) "
                                "values(last_insert_rowid(),1,'株式会社裏書一','東京都港区1-2-3')"),
                 QStringLiteral("insert into 裏書人(手形id,表示順,裏書人,裏書人住所) "
                                "values((select max(id) from D_手形),2,'裏書二商事株式会社','')"),
                 QStringLiteral("commit")});
            rows.push_back(r);
        }
        if (wanted(QStringLiteral("hand-on"))) {
            err() << bills << " hand-on\n";
            Row r{QStringLiteral("hand-on"), bills, runStep(exe, QStringLiteral("hand-on"), scratch, reps, {}),
                  std::nullopt};
            r.floor = sqliteFloor(
                file, reps, {today.toString(Qt::ISODate)},
                {QStringLiteral("update D_手形 set 処理=2,kozano=0,状態=-2,保管場所='',予約フラグ=1,予約処理=1,"
                                "予約口座id=0,予約日=?1,譲渡先コード='5001',譲渡先='測定',更新回数=更新回数+1 where "
                                "id=(select id from "
                                "D_手形 where %1 order by 手形期日 nulls first,id limit 1) and %1")
                     .arg(kCandidate),
                 QStringLiteral("select id,金額,手形期日,振出人 from D_手形 where %1 order by 手形期日 nulls first,id")
                     .arg(kCandidate)});
            rows.push_back(r);
        }
        if (wanted(QStringLiteral("compaction"))) {
            const int n = std::min(reps, 3);
            err() << bills << " compaction\n";
            Row r{QStringLiteral("compaction"), bills, runStep(exe, QStringLiteral("compaction"), scratch, n, {}),
                  std::nullopt};
            const QString into = QDir(scratch).filePath(QStringLiteral("floor.mdb"));
            r.floor = sqliteFloor(file, n, {into}, {QStringLiteral("vacuum into ?1")}, [into] { QFile::remove(into); });
            QFile::remove(into);
            r.figures.notes << QStringLiteral("file %1 MB").arg(QFileInfo(file).size() / 1048576);
            rows.push_back(r);
        }
        QDir(scratch).removeRecursively();
    }

    // One table, ready to paste.
    QFile load(QStringLiteral("/proc/loadavg"));
    load.open(QIODevice::ReadOnly);
    out() << "\nbench_scale, reps " << reps << ", " << today.toString(Qt::ISODate) << ", load "
          << QString::fromUtf8(load.readAll()).section(u' ', 0, 2) << "\n\n";
    out() << "| step | bills | rows | ms (median) | painted ms | sqlite3 ms | ratio | peak MB | notes |\n";
    out() << "|---|--:|--:|--:|--:|--:|--:|--:|---|\n";
    for (const Row &r : rows) {
        const double ms = median(r.figures.ms);
        const double shown = median(r.figures.shown);
        const QString ratio =
            r.floor && *r.floor >= 1 && ms >= 0 ? QString::number(ms / *r.floor, 'f', 2) : QStringLiteral("—");
        out() << "| " << r.step << " | " << QStringLiteral("%L1").arg(r.bills) << " | "
              << (r.figures.rows >= 0 ? QStringLiteral("%L1").arg(r.figures.rows) : QStringLiteral("—")) << " | "
              << fmtMs(ms) << " | " << fmtMs(shown) << " | " << (r.floor ? fmtMs(*r.floor) : QStringLiteral("—"))
              << " | " << ratio << " | "
              << (r.figures.hwmKb > 0 ? QString::number(r.figures.hwmKb / 1024.0, 'f', 0) : QStringLiteral("—"))
              << " | " << r.figures.notes.join(QStringLiteral("; ")) << " |\n";
    }
    out().flush();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 5 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv, QString::fromUtf8(argv[2]), QString::fromUtf8(argv[3]), std::atoi(argv[4]),
                        argc > 5 ? QString::fromUtf8(argv[5]) : QString());
    return runDriver(argc, argv);
}
