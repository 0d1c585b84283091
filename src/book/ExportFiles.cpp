#include "book/ExportFiles.h"

#include "book/Era.h"
#include "book/TextEncoding.h"
#include "data/Engine.h"
#include "data/Formats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace sorvane::book {

namespace {

QString pad2(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Control characters (a line break pasted into a name) would end the record.
QString oneLine(const QString &text)
{
    QString s = text;
    for (QChar &c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    return s;
}

// Cuts at a character count that counts a character outside the basic plane once.
QString cutTo(const QString &text, int length)
{
    QString out;
    int n = 0;
    for (qsizetype i = 0; i < text.size() && n < length; ++i, ++n) {
        out += text.at(i);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            out += text.at(++i);
    }
    return out;
}

QString native(const QString &p)
{
    return QDir::toNativeSeparators(p);
}

QString textOf(const StatementLine &l, EtaxSource source)
{
    switch (source) {
    case EtaxSource::Party:
        return l.party;
    case EtaxSource::Bank:
        return l.bank;
    case EtaxSource::Branch:
        return l.branch;
    case EtaxSource::DiscountBank:
        return l.receiver;
    case EtaxSource::DiscountBranch:
        return {};
    case EtaxSource::Note:
        return l.note;
    default:
        return {};
    }
}

} // namespace

QString EtaxLayout::fileName() const
{
    return QStringLiteral("%1_%2_%3.csv").arg(formId, version, formName);
}

QString etaxDate(const QDate &date)
{
    const auto era = eraOf(date);
    if (!era || era->year > 99)
        return {};
    return QString::number(era->code) + pad2(era->year) + pad2(date.month()) + pad2(date.day());
}

const QList<EtaxLayout> &etaxLayouts()
{
    using S = EtaxSource;
    static const QList<EtaxLayout> layouts{
        {QStringLiteral("HOI020"),
         QStringLiteral("3.0"),
         QStringLiteral("受取手形"),
         Side::Receivable,
         {{QStringLiteral("フォーマット区分"), S::FormatCode, 1, QStringLiteral("2")},
          {QStringLiteral("行区分"), S::LineKind, 1, {}},
          {QStringLiteral("振出人"), S::Party, 30, {}},
          {QStringLiteral("振出年月日"), S::Issued, 7, {}},
          {QStringLiteral("支払期日"), S::Due, 7, {}},
          {QStringLiteral("支払銀行名"), S::Bank, 11, {}},
          {QStringLiteral("支払銀行支店名"), S::Branch, 11, {}},
          {QStringLiteral("金額"), S::Amount, 16, {}},
          {QStringLiteral("割引銀行名"), S::DiscountBank, 11, {}},
          {QStringLiteral("割引銀行支店名"), S::DiscountBranch, 11, {}},
          {QStringLiteral("摘要"), S::Note, 20, {}}}},
        {QStringLiteral("HOI090"),
         QStringLiteral("3.0"),
         QStringLiteral("支払手形"),
         Side::Payable,
         {{QStringLiteral("フォーマット区分"), S::FormatCode, 1, QStringLiteral("2")},
          {QStringLiteral("行区分"), S::LineKind, 1, {}},
          {QStringLiteral("支払先"), S::Party, 30, {}},
          {QStringLiteral("振出年月日"), S::Issued, 7, {}},
          {QStringLiteral("支払期日"), S::Due, 7, {}},
          {QStringLiteral("支払銀行名"), S::Bank, 11, {}},
          {QStringLiteral("支払銀行支店名"), S::Branch, 11, {}},
          {QStringLiteral("金額"), S::Amount, 16, {}},
          {QStringLiteral("摘要"), S::Note, 20, {}}}},
    };
    return layouts;
}

const EtaxLayout &etaxLayout(Side side)
{
    for (const EtaxLayout &l : etaxLayouts())
        if (l.side == side)
            return l;
    return etaxLayouts().first();
}

QByteArray etaxCsv(const EtaxLayout &layout, const QList<StatementLine> &lines, QStringList *cuts)
{
    QByteArray out;
    int record = 0;
    for (const StatementLine &l : lines) {
        ++record;
        const bool total = l.kind == StatementLine::Kind::Total;
        QStringList fields;
        for (const EtaxField &f : layout.fields) {
            QString value;
            switch (f.source) {
            case EtaxSource::FormatCode:
                value = f.constant;
                break;
            case EtaxSource::LineKind:
                value = total ? QStringLiteral("1") : QStringLiteral("0");
                break;
            case EtaxSource::Issued:
                value = total ? QString() : etaxDate(l.issued);
                break;
            case EtaxSource::Due:
                value = total ? QString() : etaxDate(l.due);
                break;
            case EtaxSource::Amount:
                value = QString::number(l.amount);
                if (l.amount < 0 || value.size() > f.length)
                    throw DbError(QStringLiteral("%1 行目の金額 %2 は %3 の欄に書けません")
                                      .arg(record)
                                      .arg(fmt::amount(l.amount), f.name));
                break;
            case EtaxSource::Empty:
                break;
            default: {
                // A total line holds only its amount and its note.
                if (total && f.source != EtaxSource::Note)
                    break;
                value = toFullWidth(oneLine(textOf(l, f.source)).trimmed());
                if (fmt::charCount(value) > f.length) {
                    const QString cut = cutTo(value, f.length);
                    if (cuts)
                        *cuts << QStringLiteral("%1 %2 行目 %3: 「%4」を %5 文字「%6」に切りました")
                                     .arg(layout.formName)
                                     .arg(record)
                                     .arg(f.name, value)
                                     .arg(f.length)
                                     .arg(cut);
                    value = cut;
                }
                break;
            }
            }
            fields << value;
        }
        QString bad;
        const auto bytes = toShiftJis(fields.join(u','), &bad);
        if (!bytes)
            throw DbError(QStringLiteral("%1 %2 行目 (%3) の「%4」は Shift_JIS で書けない文字です。\n"
                                         "名前を直してから出力してください。何も書き出していません。")
                              .arg(layout.formName)
                              .arg(record)
                              .arg(l.party, bad));
        out += *bytes;
        out += "\r\n";
    }
    return out;
}

// ---------------------------------------------------------------- journal

const QList<JournalLayout> &journalLayouts()
{
    using S = JournalSource;
    const auto c = [](const char16_t *header, S source, const char16_t *constant = u"") {
        return JournalColumn{QString::fromUtf16(header), source, QString::fromUtf16(constant)};
    };
    static const QList<JournalLayout> layouts{
        {QStringLiteral("yayoi"),
         QStringLiteral("弥生会計 インポート形式"),
         true,
         false,
         {c(u"識別フラグ", S::Constant, u"2000"),
          c(u"伝票No", S::Slip),
          c(u"決算", S::Empty),
          c(u"取引日付", S::Date),
          c(u"借方勘定科目", S::Debit),
          c(u"借方補助科目", S::DebitSub),
          c(u"借方部門", S::Empty),
          c(u"借方税区分", S::Constant, u"対象外"),
          c(u"借方金額", S::Amount),
          c(u"借方税金額", S::Constant, u"0"),
          c(u"貸方勘定科目", S::Credit),
          c(u"貸方補助科目", S::CreditSub),
          c(u"貸方部門", S::Empty),
          c(u"貸方税区分", S::Constant, u"対象外"),
          c(u"貸方金額", S::Amount),
          c(u"貸方税金額", S::Constant, u"0"),
          c(u"摘要", S::Summary),
          c(u"番号", S::Number),
          c(u"期日", S::Due),
          c(u"タイプ", S::Constant, u"0"),
          c(u"生成元", S::Empty),
          c(u"仕訳メモ", S::Empty),
          c(u"付箋1", S::Constant, u"0"),
          c(u"付箋2", S::Constant, u"0"),
          c(u"調整", S::Constant, u"no")}},
        {QStringLiteral("mf"),
         QStringLiteral("マネーフォワード クラウド会計 インポート形式"),
         false,
         true,
         {c(u"取引No", S::Slip),
          c(u"取引日", S::Date),
          c(u"借方勘定科目", S::Debit),
          c(u"借方補助科目", S::DebitSub),
          c(u"借方部門", S::Empty),
          c(u"借方取引先", S::Empty),
          c(u"借方税区分", S::Constant, u"対象外"),
          c(u"借方インボイス", S::Empty),
          c(u"借方金額(円)", S::Amount),
          c(u"借方税額", S::Empty),
          c(u"貸方勘定科目", S::Credit),
          c(u"貸方補助科目", S::CreditSub),
          c(u"貸方部門", S::Empty),
          c(u"貸方取引先", S::Empty),
          c(u"貸方税区分", S::Constant, u"対象外"),
          c(u"貸方インボイス", S::Empty),
          c(u"貸方金額(円)", S::Amount),
          c(u"貸方税額", S::Empty),
          c(u"摘要", S::Summary),
          c(u"仕訳メモ", S::Memo),
          c(u"タグ", S::Empty),
          c(u"MF仕訳タイプ", S::Empty),
          c(u"決算整理仕訳", S::Empty),
          c(u"作成日時", S::Empty),
          c(u"作成者", S::Empty),
          c(u"最終更新日時", S::Empty),
          c(u"最終更新者", S::Empty)}},
    };
    return layouts;
}

const JournalLayout *journalLayout(const QString &key)
{
    for (const JournalLayout &l : journalLayouts())
        if (l.key == key)
            return &l;
    return nullptr;
}

namespace {

QString csvField(const QString &value)
{
    const QString s = oneLine(value);
    if (!s.contains(u',') && !s.contains(u'"'))
        return s;
    QString quoted = s;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString journalValue(const JournalColumn &c, const JournalEntry &e)
{
    switch (c.source) {
    case JournalSource::Constant:
        return c.constant;
    case JournalSource::Empty:
        return {};
    case JournalSource::Slip:
        return QString::number(e.slip);
    case JournalSource::Date:
        return fmt::ymd(e.date);
    case JournalSource::Debit:
        return e.debit;
    case JournalSource::DebitSub:
        return e.debitSub;
    case JournalSource::Credit:
        return e.credit;
    case JournalSource::CreditSub:
        return e.creditSub;
    case JournalSource::Amount:
        return QString::number(e.amount);
    case JournalSource::Summary:
        return e.summary;
    case JournalSource::Number:
        return e.number;
    case JournalSource::Due:
        return fmt::ymd(e.due);
    case JournalSource::Memo:
        return e.due.isValid() ? QStringLiteral("期日 ") + fmt::ymd(e.due) : QString();
    }
    return {};
}

} // namespace

QByteArray journalCsv(const JournalLayout &layout, const QList<JournalEntry> &entries)
{
    QByteArray out;
    const auto add = [&](const QString &line, const QString &where) {
        if (!layout.shiftJis) {
            out += line.toUtf8();
        } else {
            QString bad;
            const auto bytes = toShiftJis(line, &bad);
            if (!bytes)
                throw DbError(QStringLiteral("%1 の「%2」は Shift_JIS で書けない文字です。\n"
                                             "名前を直してから出力してください。何も書き出していません。")
                                  .arg(where, bad));
            out += *bytes;
        }
        out += "\r\n";
    };
    if (layout.headerLine) {
        QStringList headers;
        for (const JournalColumn &c : layout.columns)
            headers << csvField(c.header);
        add(headers.join(u','), QStringLiteral("見出し"));
    }
    for (const JournalEntry &e : entries) {
        QStringList fields;
        for (const JournalColumn &c : layout.columns)
            fields << csvField(journalValue(c, e));
        add(fields.join(u','), QStringLiteral("伝票 %1 (%2)").arg(e.slip).arg(e.summary));
    }
    return out;
}

// ---------------------------------------------------------------- writing

void writeOutputFiles(const QList<OutputFile> &files)
{
    QStringList works;
    const auto dropWorks = [&] {
        for (const QString &w : works)
            QFile::remove(w);
    };
    for (const OutputFile &f : files) {
        const QFileInfo info(f.path);
        if (f.path.isEmpty())
            throw DbError(QStringLiteral("保存先を指定してください"));
        if (!info.absoluteDir().exists()) {
            dropWorks();
            throw DbError(QStringLiteral("保存先のフォルダーがありません: %1").arg(native(info.absolutePath())));
        }
        if (info.isDir()) {
            dropWorks();
            throw DbError(
                QStringLiteral("保存先はフォルダーです。ファイル名を指定してください: %1").arg(native(f.path)));
        }
        const QString work = f.path + QStringLiteral(".work");
        QFile out(work);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            dropWorks();
            throw DbError(QStringLiteral("ファイルに書き込めません: %1\n%2").arg(native(f.path), out.errorString()));
        }
        works << work;
        if (out.write(f.bytes) != f.bytes.size() || !out.flush()) {
            const QString reason = out.errorString();
            out.close();
            dropWorks();
            throw DbError(QStringLiteral("ファイルに書き込めません: %1\n%2").arg(native(f.path), reason));
        }
        out.close();
    }
    for (qsizetype i = 0; i < files.size(); ++i) {
        std::error_code ec;
        std::filesystem::rename(std::filesystem::path(works.at(i).toStdU16String()),
                                std::filesystem::path(files.at(i).path.toStdU16String()), ec);
        if (ec) {
            for (qsizetype k = i; k < works.size(); ++k)
                QFile::remove(works.at(k));
            throw DbError(QStringLiteral("ファイルを保存できません: %1\n%2")
                              .arg(native(files.at(i).path), QString::fromLocal8Bit(ec.message().c_str())));
        }
    }
}

} // namespace sorvane::book
