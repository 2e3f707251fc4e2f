#include "paths.h"

#include <QCoreApplication>
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

QString programFolder() { return QCoreApplication::applicationDirPath(); }

bool bFileExists(const QString& path) { return !path.isEmpty() && QFileInfo(nativePath(path)).isFile(); }
