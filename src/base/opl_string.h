#pragma once
// Null-safe conversions of database field values (module OplString).
#include <QString>
#include <QVariant>

QString csCutNull(const QString& text);
// Empty for Null; otherwise CStr of the value without trailing blanks.
QString csNullToStr(const QVariant& value);
// 0 for Null or an unconvertible value; otherwise CLng (an exact half to the even neighbour).
long nNullToLong(const QVariant& value);
