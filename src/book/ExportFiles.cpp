#include "book/ExportFiles.h"

#include "book/Era.h"
#include "book/TextEncoding.h"
#include "data/Engine.h"
#include "data/Formats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>
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

bool isCorporateNumber(const QString &number)
{
    return number.size() == 13 && !number.startsWith(u'T');
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
    case EtaxSource::Receiver:
        return l.receiver;
    case EtaxSource::Note:
        return l.note;
    default:
        return {};
    }
}

// The two dates of a bill, each as four fields.
using S = EtaxSource;
QList<EtaxField> dateFields(const QString &name, S era, S year, S month, S day)
{
    return {{name + QStringLiteral("（元号）"), era, 1, {}},
            {name + QStringLiteral("（年）"), year, 2, {}},
            {name + QStringLiteral("（月）"), month, 2, {}},
            {name + QStringLiteral("（日）"), day, 2, {}}};
}

QList<EtaxField> billDates()
{
    return dateFields(QStringLiteral("振出年月日"), S::IssuedEra, S::IssuedYear, S::IssuedMonth, S::IssuedDay) +
           dateFields(QStringLiteral("支払期日"), S::DueEra, S::DueYear, S::DueMonth, S::DueDay);
}

EtaxField field(const char16_t *name, S source, int length, const char16_t *constant = u"")
{
    return {QString::fromUtf16(name), source, length, QString::fromUtf16(constant)};
}

// The forms gained the party's 登録番号 (法人番号) for years ending on or
// after this day.
const QDate kVersion4 = QDate(2024, 3, 1);

} // namespace

QString EtaxLayout::fileName() const
{
    return QStringLiteral("%1_%2_%3.csv").arg(formId, version, formName);
}

int EtaxLayout::lengthOf(EtaxSource source) const
{
    for (const EtaxField &f : fields)
        if (f.source == source)
            return f.length;
    return 0;
}

QStringList etaxDate(const QDate &date)
{
    const auto era = eraOf(date);
    if (!era || era->year > 99)
        return QStringList(4, QString());
    return {QString::number(era->code), pad2(era->year), pad2(date.month()), pad2(date.day())};
}

QString etaxText(const QString &text, int length, bool *cut)
{
    const QString value = toFullWidth(jisLookAlikes(oneLine(text).trimmed()));
    const bool tooLong = fmt::charCount(value) > length;
    if (cut)
        *cut = tooLong;
    return tooLong ? cutTo(value, length) : value;
}

const QList<EtaxLayout> &etaxLayouts()
{
    const QList<EtaxField> numbers{field(u"登録番号", S::RegistrationNumber, 13),
                                   field(u"法人番号", S::CorporateNumber, 13)};
    const QList<EtaxField> bank{field(u"支払銀行名", S::Bank, 11), field(u"支払銀行支店名", S::Branch, 11),
                                field(u"金額", S::Amount, 16)};
    static const QList<EtaxLayout> layouts{
        {QStringLiteral("HOI020"), QStringLiteral("3.0"), QStringLiteral("受取手形"), Side::Receivable, QDate(),
         QList<EtaxField>{field(u"フォーマット区分", S::FormatCode, 1, u"2"), field(u"行区分", S::LineKind, 1),
                          field(u"振出人", S::Party, 30)} +
             billDates() + bank +
             QList<EtaxField>{field(u"割引銀行名", S::Receiver, 11), field(u"割引銀行支店名", S::Empty, 11),
                              field(u"摘要", S::Note, 20)}},
        {QStringLiteral("HOI020"), QStringLiteral("4.0"), QStringLiteral("受取手形"), Side::Receivable, kVersion4,
         QList<EtaxField>{field(u"フォーマット区分", S::FormatCode, 1, u"2"), field(u"行区分", S::LineKind, 1)} +
             numbers + QList<EtaxField>{field(u"振出人", S::Party, 30)} + billDates() + bank +
             QList<EtaxField>{field(u"割引銀行名及び支店名等", S::Receiver, 22), field(u"摘要", S::Note, 50)}},
        {QStringLiteral("HOI080"), QStringLiteral("3.0"), QStringLiteral("支払手形"), Side::Payable, QDate(),
         QList<EtaxField>{field(u"フォーマット区分", S::FormatCode, 1, u"8"), field(u"行区分", S::LineKind, 1),
                          field(u"支払先", S::Party, 30)} +
             billDates() + bank + QList<EtaxField>{field(u"摘要", S::Note, 20)}},
        {QStringLiteral("HOI080"), QStringLiteral("4.0"), QStringLiteral("支払手形"), Side::Payable, kVersion4,
         QList<EtaxField>{field(u"フォーマット区分", S::FormatCode, 1, u"8"), field(u"行区分", S::LineKind, 1)} +
             numbers + QList<EtaxField>{field(u"支払先", S::Party, 30)} + billDates() + bank +
             QList<EtaxField>{field(u"摘要", S::Note, 50)}},
    };
    return layouts;
}

const EtaxLayout &etaxLayout(Side side, const QDate &yearEnd)
{
    const EtaxLayout *found = nullptr;
    for (const EtaxLayout &l : etaxLayouts())
        if (l.side == side && (!l.firstYearEnd.isValid() || (yearEnd.isValid() && l.firstYearEnd <= yearEnd)))
            found = &l;
    return found ? *found : etaxLayouts().first();
}

QByteArray etaxCsv(const EtaxLayout &layout, const QList<StatementLine> &lines, QStringList *cuts)
{
    QByteArray out;
    int record = 0;
    for (const StatementLine &l : lines) {
        ++record;
        const bool total = l.kind == StatementLine::Kind::Total;
        const bool bill = l.kind == StatementLine::Kind::Bill;
        const QStringList issued = etaxDate(bill ? l.issued : QDate());
        const QStringList due = etaxDate(bill ? l.due : QDate());
        QStringList fields;
        for (const EtaxField &f : layout.fields) {
            QString value;
            switch (f.source) {
            case S::FormatCode:
                value = f.constant;
                break;
            case S::LineKind:
                value = total ? QStringLiteral("1") : QStringLiteral("0");
                break;
            case S::RegistrationNumber:
                // One of the two numbers, and only the one the book knows.
                if (bill && l.number.startsWith(u'T'))
                    value = l.number.mid(1);
                break;
            case S::CorporateNumber:
                if (bill && isCorporateNumber(l.number))
                    value = l.number;
                break;
            case S::IssuedEra:
            case S::IssuedYear:
            case S::IssuedMonth:
            case S::IssuedDay:
                value = issued.at(int(f.source) - int(S::IssuedEra));
                break;
            case S::DueEra:
            case S::DueYear:
            case S::DueMonth:
            case S::DueDay:
                value = due.at(int(f.source) - int(S::DueEra));
                break;
            case S::Amount:
                value = QString::number(l.amount);
                if (l.amount < 0 || value.size() > f.length)
                    throw DbError(QStringLiteral("%1 行目の金額 %2 は %3 の欄に書けません")
                                      .arg(record)
                                      .arg(fmt::amount(l.amount), f.name));
                break;
            case S::Empty:
                break;
            default: {
                // A total line holds only its amount and its note.
                if (total && f.source != S::Note)
                    break;
                bool cut = false;
                const QString whole = etaxText(textOf(l, f.source), INT_MAX);
                value = etaxText(textOf(l, f.source), f.length, &cut);
                if (cut && cuts)
                    *cuts << QStringLiteral("%1 %2 行目 %3: 「%4」を %5 文字「%6」に切りました")
                                 .arg(layout.formName)
                                 .arg(record)
                                 .arg(f.name, whole)
                                 .arg(f.length)
                                 .arg(value);
                break;
            }
            }
            fields << value;
        }
        QString bad;
        const auto bytes = toShiftJis(fields.join(u','), &bad);
        if (!bytes)
            throw DbError(QStringLiteral("%1 %2 行目 (%3) の「%4」は JIS の文字 (Shift_JIS) で書けません。\n"
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
    using J = JournalSource;
    const auto c = [](const char16_t *header, J source, const char16_t *constant = u"") {
        return JournalColumn{QString::fromUtf16(header), source, QString::fromUtf16(constant)};
    };
    static const QList<JournalLayout> layouts{
        {QStringLiteral("yayoi"),
         QStringLiteral("弥生会計 インポート形式"),
         true,
         false,
         {c(u"識別フラグ", J::Constant, u"2000"),
          c(u"伝票No", J::Slip),
          c(u"決算", J::Empty),
          c(u"取引日付", J::Date),
          c(u"借方勘定科目", J::Debit),
          c(u"借方補助科目", J::DebitSub),
          c(u"借方部門", J::Empty),
          c(u"借方税区分", J::Constant, u"対象外"),
          c(u"借方金額", J::Amount),
          c(u"借方税金額", J::Constant, u"0"),
          c(u"貸方勘定科目", J::Credit),
          c(u"貸方補助科目", J::CreditSub),
          c(u"貸方部門", J::Empty),
          c(u"貸方税区分", J::Constant, u"対象外"),
          c(u"貸方金額", J::Amount),
          c(u"貸方税金額", J::Constant, u"0"),
          c(u"摘要", J::Summary),
          c(u"番号", J::Number),
          c(u"期日", J::Due),
          c(u"タイプ", J::Constant, u"0"),
          c(u"生成元", J::Empty),
          c(u"仕訳メモ", J::Empty),
          c(u"付箋1", J::Constant, u"0"),
          c(u"付箋2", J::Constant, u"0"),
          c(u"調整", J::Constant, u"no")},
         // 借方金額 and 貸方金額 are whole numbers of up to nine digits.
         9},
        {QStringLiteral("mf"),
         QStringLiteral("マネーフォワード クラウド会計 インポート形式"),
         false,
         true,
         {c(u"取引No", J::Slip),
          c(u"取引日", J::Date),
          c(u"借方勘定科目", J::Debit),
          c(u"借方補助科目", J::DebitSub),
          c(u"借方部門", J::Empty),
          c(u"借方取引先", J::Empty),
          c(u"借方税区分", J::Constant, u"対象外"),
          c(u"借方インボイス", J::Empty),
          c(u"借方金額(円)", J::Amount),
          c(u"借方税額", J::Empty),
          c(u"貸方勘定科目", J::Credit),
          c(u"貸方補助科目", J::CreditSub),
          c(u"貸方部門", J::Empty),
          c(u"貸方取引先", J::Empty),
          c(u"貸方税区分", J::Constant, u"対象外"),
          c(u"貸方インボイス", J::Empty),
          c(u"貸方金額(円)", J::Amount),
          c(u"貸方税額", J::Empty),
          c(u"摘要", J::Summary),
          c(u"仕訳メモ", J::Memo),
          c(u"タグ", J::Empty),
          c(u"MF仕訳タイプ", J::Empty),
          c(u"決算整理仕訳", J::Empty),
          c(u"作成日時", J::Empty),
          c(u"作成者", J::Empty),
          c(u"最終更新日時", J::Empty),
          c(u"最終更新者", J::Empty)}},
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
                throw DbError(QStringLiteral("%1 の「%2」は JIS の文字 (Shift_JIS) で書けません。\n"
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
        const QString amount = QString::number(e.amount);
        if (layout.amountDigits > 0 && (e.amount < 0 || amount.size() > layout.amountDigits))
            throw DbError(QStringLiteral("手形 %1 (%2、%3 円) の金額は %4 の金額の欄 (%5 桁まで) に書けません。\n"
                                         "何も書き出していません。")
                              .arg(e.number.isEmpty() ? QStringLiteral("(番号なし)") : e.number, e.party,
                                   fmt::amount(e.amount), layout.caption)
                              .arg(layout.amountDigits));
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
