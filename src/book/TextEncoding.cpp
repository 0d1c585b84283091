#include "book/TextEncoding.h"

#include <cerrno>
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
    Iconv() : m_cd(iconv_open("CP932", "UTF-8")) {}
    ~Iconv()
    {
        if (m_cd != iconv_t(-1))
            iconv_close(m_cd);
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;
    bool ok() const { return m_cd != iconv_t(-1); }

    // One character (as UTF-8) in code page 932; false when it has none.
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

} // namespace

std::optional<QByteArray> toShiftJis(const QString &text, QString *bad)
{
    static thread_local Iconv conv;
    if (!conv.ok()) {
        // No converter on this system: nothing can be written faithfully.
        if (bad)
            *bad = text;
        return std::nullopt;
    }
    QByteArray out;
    out.reserve(text.size() * 2);
    QString missing;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            out.append(char(c.unicode()));
            continue;
        }
        QString one(cp932Form(c));
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            one = text.mid(i++, 2);
        // A lone surrogate is no character at all; iconv refuses its bytes.
        if (!conv.convert(one.toUtf8(), out) && !missing.contains(one))
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
        else if (u > 0x20 && u < 0x7F)
            out += QChar(char16_t(u - 0x21 + 0xFF01));
        else
            out += c;
    }
    flushKana();
    return out;
}

} // namespace sorvane::book
