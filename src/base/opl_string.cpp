#include "opl_string.h"

#include "vb.h"

#include <cmath>

QString csCutNull(const QString& text)
{
    const qsizetype i = text.indexOf(QChar(u'\0'));
    return i < 0 ? text : text.left(i);
}

QString csNullToStr(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        if (auto d = vb::toDate(value))
            return vb::cstrDate(*d);
        return QString();
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(static_cast<long long>(d));
        return QString::number(d, 'g', 15);
    }
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default: break;
    }
    return vb::rtrim(value.toString());
}

long nNullToLong(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return 0;
    try {
        return vb::clng(value);
    } catch (...) {
        return 0;
    }
}
