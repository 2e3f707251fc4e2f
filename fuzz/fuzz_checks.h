#pragma once
// Properties checked on arbitrary input, shared by the fuzz targets and the regression tests
// that replay their corpora. Each check returns an empty text when the input passed, else
// what went wrong.
#include <QByteArray>
#include <QString>
#include <vector>

namespace fuzzcheck {

QString ini(const QByteArray& data);
QString cp932(const QByteArray& data);
QString commandFile(const QByteArray& data);
QString csv(const QByteArray& data);
QString layout(const QByteArray& data);
QString tsql(const QByteArray& data);
QString connectionString(const QByteArray& data);

struct Target {
    const char* name; // also the corpus folder
    QString (*check)(const QByteArray&);
};
const std::vector<Target>& targets();

} // namespace fuzzcheck
