#include "book/TextEncoding.h"

#include <QHash>

#include <iconv.h>

namespace sorvane::book {

namespace {

// The characters that JIS X 0208 text in Unicode commonly carries but that
// code page 932 spells with another code point.
QChar cp932Form(QChar c)
{
    switch (c.unicode()) {
    case 0x301C:
        return QChar(0xFF5E); // 〜 wave dash
    case 0x2016:
        return QChar(0x2225); // ‖
    case 0x2212:
        return QChar(0xFF0D); // −
    case 0x00A2:
        return QChar(0xFFE0); // ¢
    case 0x00A3:
        return QChar(0xFFE1); // £
    case 0x00AC:
        return QChar(0xFFE2); // ¬
    case 0x2014:
        return QChar(0x2015); // —
    default:
        return c;
    }
}

class Iconv {
public:
    Iconv(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (m_cd != iconv_t(-1))
            iconv_close(m_cd);
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;
    bool ok() const { return m_cd != iconv_t(-1); }

    // One character converted and appended to out; false when it has no form.
    bool convert(const QByteArray &in, QByteArray &out)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buffer[16];
        char *src = const_cast<char *>(in.constData());
        size_t srcLeft = size_t(in.size());
        char *dst = buffer;
        size_t dstLeft = sizeof buffer;
        if (iconv(m_cd, &src, &srcLeft, &dst, &dstLeft) == size_t(-1) || srcLeft != 0)
            return false;
        out.append(buffer, qsizetype(sizeof buffer - dstLeft));
        return true;
    }

private:
    iconv_t m_cd;
};

// Code page 932 writes JIS X 0208 with the bytes of Shift_JIS and adds rows
// of its own (NEC and IBM signs and kanji) that a strict reader refuses: a
// character is taken only when plain Shift_JIS reads its bytes back.
class ShiftJis {
public:
    ShiftJis() : m_encode("CP932", "UTF-8"), m_check("UTF-8", "SHIFT_JIS") {}
    bool ok() const { return m_encode.ok() && m_check.ok(); }

    // One character (a surrogate pair counts as one) appended; false when it has no form.
    bool append(const QString &one, QByteArray &out)
    {
        if (one.size() == 1 && one.at(0).unicode() < 0x80) {
            out.append(char(one.at(0).unicode()));
            return true;
        }
        QByteArray bytes;
        QByteArray back;
        const QString cp = one.size() == 1 ? QString(cp932Form(one.at(0))) : one;
        // A lone surrogate is no character at all; iconv refuses its bytes.
        if (!m_encode.convert(cp.toUtf8(), bytes) || !m_check.convert(bytes, back))
            return false;
        out += bytes;
        return true;
    }

    bool encodable(const QString &text)
    {
        QByteArray scratch;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            if (!append(text.mid(i, n), scratch))
                return false;
            i += n - 1;
        }
        return true;
    }

private:
    Iconv m_encode;
    Iconv m_check;
};

ShiftJis &shiftJis()
{
    static thread_local ShiftJis converter;
    return converter;
}

// Stand-ins a clerk would write by hand; the compatibility forms that
// Unicode itself decomposes are left to the normalisation below.
const QHash<char32_t, QString> &standIns()
{
    static const QHash<char32_t, QString> table{
        {0xFF07, QStringLiteral("’")},      {0xFF02, QStringLiteral("”")},        {0xFFE4, QStringLiteral("｜")},
        {0x3231, QStringLiteral("（株）")}, {0x3232, QStringLiteral("（有）")},   {0x3233, QStringLiteral("（社）")},
        {0x3234, QStringLiteral("（名）")}, {0x3236, QStringLiteral("（財）")},   {0x3239, QStringLiteral("（代）")},
        {0x323B, QStringLiteral("（学）")}, {0x337F, QStringLiteral("株式会社")}, {0x2116, QStringLiteral("Ｎｏ．")},
        {0x2121, QStringLiteral("ＴＥＬ")}, {0x9AD9, QStringLiteral("高")},       {0xFA11, QStringLiteral("崎")},
        {0x5D5C, QStringLiteral("崎")},     {0x5FB7, QStringLiteral("徳")},       {0x6FF5, QStringLiteral("浜")},
        {0x6801, QStringLiteral("柳")},     {0x6852, QStringLiteral("桑")},       {0x663B, QStringLiteral("昂")},
        {0x6DF8, QStringLiteral("清")},     {0x7028, QStringLiteral("瀬")},       {0x9751, QStringLiteral("青")},
        {0xFA12, QStringLiteral("晴")},     {0xFA10, QStringLiteral("塚")},       {0x9B2D, QStringLiteral("闘")},
    };
    return table;
}

} // namespace

QString jisLookAlikes(const QString &text)
{
    ShiftJis &sjis = shiftJis();
    if (!sjis.ok())
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, n);
        i += n - 1;
        if (sjis.encodable(one)) {
            out += one;
            continue;
        }
        const char32_t code = one.toUcs4().value(0);
        if (const auto it = standIns().constFind(code); it != standIns().cend()) {
            out += *it;
            continue;
        }
        const QString plain = one.normalized(QString::NormalizationForm_KC);
        out += plain != one && sjis.encodable(plain) ? plain : one;
    }
    return out;
}

std::optional<QByteArray> toShiftJis(const QString &text, QString *bad)
{
    ShiftJis &sjis = shiftJis();
    if (!sjis.ok()) {
        // No converter on this system: nothing can be written faithfully.
        if (bad)
            *bad = text;
        return std::nullopt;
    }
    const QString mapped = jisLookAlikes(text);
    QByteArray out;
    out.reserve(mapped.size() * 2);
    QString missing;
    for (qsizetype i = 0; i < mapped.size(); ++i) {
        const qsizetype n = mapped.at(i).isHighSurrogate() && i + 1 < mapped.size() ? 2 : 1;
        const QString one = mapped.mid(i, n);
        i += n - 1;
        if (!sjis.append(one, out) && !missing.contains(one))
            missing += one;
    }
    if (!missing.isEmpty()) {
        if (bad)
            *bad = missing;
        return std::nullopt;
    }
    return out;
}

QString toFullWidth(const QString &text)
{
    QString out;
    out.reserve(text.size());
    QString kana; // a run of half-width katakana, composed at its end
    const auto flushKana = [&] {
        if (!kana.isEmpty()) {
            out += kana.normalized(QString::NormalizationForm_KC);
            kana.clear();
        }
    };
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0xFF61 && u <= 0xFF9F) {
            kana += c;
            continue;
        }
        flushKana();
        if (u == u' ')
            out += QChar(0x3000);
        else if (u == u'\'')
            out += QChar(0x2019); // ’: ＇ is an extension of code page 932 only
        else if (u == u'"')
            out += QChar(0x201D); // ”: likewise ＂
        else if (u > 0x20 && u < 0x7F)
            out += QChar(char16_t(u - 0x21 + 0xFF01));
        else
            out += c;
    }
    flushKana();
    return out;
}

std::optional<QString> fromShiftJis(const QByteArray &bytes)
{
    const iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == iconv_t(-1))
        return std::nullopt;
    QByteArray out(bytes.size() * 3 + 4, Qt::Uninitialized);
    char *src = const_cast<char *>(bytes.constData());
    size_t srcLeft = size_t(bytes.size());
    char *dst = out.data();
    size_t dstLeft = size_t(out.size());
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1) && srcLeft == 0;
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    out.truncate(out.size() - qsizetype(dstLeft));
    return QString::fromUtf8(out);
}

} // namespace sorvane::book
