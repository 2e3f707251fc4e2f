#include "vb.h"

#include "vb_error.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace vb {

QDate dateAddMonths(const QDate& d, int months) { return d.addMonths(months); }

QDateTime dateAddMonths(const QDateTime& d, int months) { return QDateTime(d.date().addMonths(months), d.time()); }

int dateDiffMonths(const QDate& a, const QDate& b) { return (b.year() - a.year()) * 12 + (b.month() - a.month()); }

namespace {
const std::array<Era, 5>& eras()
{
    static const std::array<Era, 5> table{{
        {1, QDate(1868, 1, 1), QStringLiteral("M"), QStringLiteral("明"), QStringLiteral("明治")},
        {2, QDate(1912, 7, 30), QStringLiteral("T"), QStringLiteral("大"), QStringLiteral("大正")},
        {3, QDate(1926, 12, 25), QStringLiteral("S"), QStringLiteral("昭"), QStringLiteral("昭和")},
        {4, QDate(1989, 1, 8), QStringLiteral("H"), QStringLiteral("平"), QStringLiteral("平成")},
        {5, QDate(2019, 5, 1), QStringLiteral("R"), QStringLiteral("令"), QStringLiteral("令和")},
    }};
    return table;
}
} // namespace

const Era* eraOf(const QDate& d)
{
    if (!d.isValid())
        return nullptr;
    const Era* found = nullptr;
    for (const Era& e : eras())
        if (d >= e.start)
            found = &e;
    return found;
}

int eraCode(const QDate& d)
{
    const Era* e = eraOf(d);
    return e ? e->code : 0;
}

int eraCodeOfText(const QString& text)
{
    auto d = toDate(text);
    return d ? eraCode(d->date()) : 0;
}

QString format(const QDate& d, const QString& pattern) { return format(QDateTime(d, QTime(0, 0)), pattern); }

namespace {

// One or two digits, as one letter or a run of two or more asks.
QString digits(int v, qsizetype letters)
{
    return letters >= 2 ? QString::number(v).rightJustified(2, u'0') : QString::number(v);
}

// Appends the field that a run of n letters lc starts and returns the letters it takes, or
// nothing when lc names no field. afterHour: m / mm right after h / hh are minutes.
std::optional<qsizetype> appendField(QString& out, QChar lc, qsizetype n, const QDateTime& dt, const Era* era,
                                     bool& afterHour)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    const qsizetype upToTwo = std::min<qsizetype>(n, 2);
    switch (lc.unicode()) {
    case u'y':
        if (n < 3) { // yy: two-digit year
            out += QString::number(d.year() % 100).rightJustified(2, u'0');
            return n;
        }
        out += QString::number(d.year()).rightJustified(4, u'0');
        afterHour = false;
        return std::min<qsizetype>(n, 4);
    case u'm': out += digits(afterHour ? t.minute() : d.month(), n); break;
    case u'd': out += digits(d.day(), n); return upToTwo;
    case u'h':
        out += digits(t.hour(), n);
        afterHour = true;
        return upToTwo;
    case u'n': out += digits(t.minute(), n); break;
    case u's': out += digits(t.second(), n); break;
    case u'g':
        // Before the first era: no era name (the Gregorian year is used for e).
        if (era)
            out += n >= 3 ? era->ggg : (n == 2 ? era->gg : era->g);
        return std::min<qsizetype>(n, 3);
    case u'e': out += digits(era ? d.year() - era->start.year() + 1 : d.year(), n); return upToTwo;
    default: return std::nullopt;
    }
    // m, n and s end a run of hours.
    afterHour = false;
    return upToTwo;
}

} // namespace

QString format(const QDateTime& dt, const QString& p)
{
    const Era* era = eraOf(dt.date());
    QString out;
    bool afterHour = false;
    for (qsizetype i = 0; i < p.size();) {
        const QChar c = p.at(i);
        const QChar lc = c.toLower();
        if (c == u'\\' && i + 1 < p.size()) {
            out += p.at(i + 1);
            i += 2;
            continue;
        }
        qsizetype n = 0;
        while (i + n < p.size() && p.at(i + n).toLower() == lc)
            ++n;
        if (const auto taken = appendField(out, lc, n, dt, era, afterHour)) {
            i += *taken;
            continue;
        }
        if (c != u':')
            afterHour = afterHour && (c == u' ');
        out += c;
        ++i;
    }
    return out;
}

std::optional<QDateTime> toDate(const QVariant& v)
{
    if (v.isNull() || !v.isValid())
        return std::nullopt;
    switch (v.metaType().id()) {
    case QMetaType::QDateTime: {
        QDateTime dt = v.toDateTime();
        return dt.isValid() ? std::optional(dt) : std::nullopt;
    }
    case QMetaType::QDate: {
        QDate d = v.toDate();
        return d.isValid() ? std::optional(QDateTime(d, QTime(0, 0))) : std::nullopt;
    }
    default: break;
    }
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(\d{4})[/\-](\d{1,2})[/\-](\d{1,2})(?:[ T]+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?(?:\.\d+)?)?\s*$)"));
    const QRegularExpressionMatch m = re.match(v.toString());
    if (!m.hasMatch())
        return std::nullopt;
    QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    QTime t(0, 0);
    if (!m.captured(4).isEmpty())
        t = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!d.isValid() || !t.isValid())
        return std::nullopt;
    return QDateTime(d, t);
}

QString formatValue(const QVariant& v, const QString& pattern)
{
    if (auto d = toDate(v))
        return format(*d, pattern);
    return v.isNull() ? QString() : v.toString();
}

std::optional<double> toNumber(const QVariant& v)
{
    if (v.isNull() || !v.isValid())
        return std::nullopt;
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::Long: return v.toDouble();
    case QMetaType::Bool: return v.toBool() ? -1.0 : 0.0;
    default: break;
    }
    const QString s = v.toString().trimmed();
    static const QRegularExpression re(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    if (!re.match(s).hasMatch())
        return std::nullopt;
    bool ok = false;
    double d = s.toDouble(&ok);
    return ok ? std::optional(d) : std::nullopt;
}

bool isNumeric(const QVariant& v) { return toNumber(v).has_value(); }

static double roundEven(double x) { return std::nearbyint(x); } // default mode: to even

// The value rounded to even; a type mismatch when it is no number, an overflow outside low-high.
static double roundedWithin(const QVariant& v, double low, double high)
{
    auto n = toNumber(v);
    if (!n)
        vbRaise(vberr::typeMismatch());
    double r = roundEven(*n);
    if (r < low || r > high)
        vbRaise(vberr::overflow());
    return r;
}

short cint(const QVariant& v) { return static_cast<short>(roundedWithin(v, -32768, 32767)); }

long clng(const QVariant& v) { return static_cast<long>(roundedWithin(v, -2147483648.0, 2147483647.0)); }

double val(const QString& s)
{
    QString t;
    for (QChar c : s)
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            t += c;
    if (t.startsWith(QStringLiteral("&H"), Qt::CaseInsensitive)
        || t.startsWith(QStringLiteral("&O"), Qt::CaseInsensitive)) {
        const int base = t.at(1).toUpper() == u'H' ? 16 : 8;
        qsizetype i = 2;
        long long v = 0;
        while (i < t.size()) {
            int dgt = QStringLiteral("0123456789ABCDEF").indexOf(t.at(i).toUpper());
            if (dgt < 0 || dgt >= base)
                break;
            v = v * base + dgt;
            ++i;
        }
        return static_cast<double>(v);
    }
    static const QRegularExpression re(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)"));
    const auto m = re.match(t);
    return m.hasMatch() ? m.captured(0).toDouble() : 0.0;
}

QString rtrim(const QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == u' ')
        --n;
    return s.left(n);
}

QString ltrim(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == u' ')
        ++i;
    return s.mid(i);
}

QString trim(const QString& s) { return ltrim(rtrim(s)); }

QString cstrDate(const QDateTime& dt)
{
    QString s = format(dt, QStringLiteral("yyyy/mm/dd"));
    if (dt.time() != QTime(0, 0))
        s += u' ' + format(dt, QStringLiteral("h:nn:ss"));
    return s;
}

} // namespace vb
