#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString nativePath(const QString& p)
{
    QString out;
    out.reserve(p.size());
    for (QChar c : p) {
        if (c == u'\\')
            c = u'/';
        if (c == u'/' && out.endsWith(u'/'))
            continue;
        out.append(c);
    }
    return out;
}

namespace {

bool present(const QString& path)
{
    const QFileInfo fi(path);
    return fi.exists() || fi.isSymLink();
}

// The entry of `folder` whose name equals `name` but for case; empty when there is none.
QString entryInAnyCase(const QString& folder, const QString& name)
{
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return QString();
}

} // namespace

QString pathInFolder(const QString& folder, const QString& rest)
{
    // The folder is a native path already (a name in it may hold a backslash); `rest` is not.
    const QString tail = nativePath(rest);
    const QString exact = folder.endsWith(u'/') && tail.startsWith(u'/') ? folder + tail.mid(1) : folder + tail;
    if (present(exact))
        return exact;
    // The part taken as it is: the folder, or its parent when `rest` continues its last name.
    const qsizetype fixedEnd =
        folder.endsWith(u'/') || tail.startsWith(u'/') ? folder.size() : folder.lastIndexOf(u'/') + 1;
    QString out = exact.left(fixedEnd);
    bool matching = true;
    const QStringList parts = exact.mid(fixedEnd).split(u'/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QString part = parts.at(i);
        if (matching && !part.isEmpty() && part != u"." && part != u".." && !present(out + part)) {
            const QString other = entryInAnyCase(out.isEmpty() ? QStringLiteral(".") : out, part);
            if (other.isEmpty())
                matching = false; // nothing below it can exist either
            else
                part = other;
        }
        out += part;
        if (i + 1 < parts.size())
            out += u'/';
    }
    return out;
}

QString programFolder() { return QCoreApplication::applicationDirPath(); }

bool bFileExists(const QString& path) { return !path.isEmpty() && QFileInfo(nativePath(path)).isFile(); }
