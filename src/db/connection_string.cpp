#include "connection_string.h"

#include "base/paths.h"

#include <QRegularExpression>

namespace {

// The value quoted or braced at text[*at]: a doubled closing character stands for itself.
// *at moves past the closing character (or to the end when there is none).
QString quotedValue(const QString& text, qsizetype* at)
{
    qsizetype i = *at;
    const QChar close = text.at(i) == u'{' ? QChar(u'}') : text.at(i);
    QString value;
    for (++i; i < text.size();) {
        const QChar c = text.at(i++);
        if (c != close) {
            value += c;
        } else if (i < text.size() && text.at(i) == close) {
            value += close;
            ++i;
        } else {
            break;
        }
    }
    *at = i;
    return value;
}

} // namespace

QList<QPair<QString, QString>> splitConnectionString(const QString& text)
{
    QList<QPair<QString, QString>> out;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype eq = text.indexOf(u'=', i);
        const qsizetype semi = text.indexOf(u';', i);
        if (eq < 0 || (semi >= 0 && semi < eq)) { // a piece without '=': skipped
            if (semi < 0)
                break;
            i = semi + 1;
            continue;
        }
        const QString key = text.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < n && text.at(i).isSpace())
            ++i;
        QString value;
        if (i < n && (text.at(i) == u'"' || text.at(i) == u'\'' || text.at(i) == u'{')) {
            value = quotedValue(text, &i);
            const qsizetype next = text.indexOf(u';', i);
            i = next < 0 ? n : next + 1;
        } else {
            const qsizetype next = text.indexOf(u';', i);
            value = text.mid(i, (next < 0 ? n : next) - i).trimmed();
            i = next < 0 ? n : next + 1;
        }
        if (!key.isEmpty())
            out.append({key, value});
    }
    return out;
}

QString sqlServerOdbcDriver()
{
    const QString env = qEnvironmentVariable("MONTHLY_RECORDS_ODBC_DRIVER").trimmed();
    return env.isEmpty() ? QStringLiteral("FreeTDS") : env;
}

namespace {

// The value of the last matching key (OLE DB: a repeated keyword, the last one wins).
QString valueOf(const QList<QPair<QString, QString>>& pairs, std::initializer_list<const char*> keys,
                bool* found = nullptr)
{
    QString v;
    if (found)
        *found = false;
    for (const auto& [k, value] : pairs) {
        for (const char* key : keys) {
            if (k.compare(QLatin1String(key), Qt::CaseInsensitive) == 0) {
                v = value;
                if (found)
                    *found = true;
            }
        }
    }
    return v;
}

QString odbcValue(const QString& v)
{
    if (v.contains(u';') || v.contains(u'{') || v.contains(u'}') || v != v.trimmed())
        return u'{' + QString(v).replace(u'}', QStringLiteral("}}")) + u'}';
    return v;
}

bool isTrue(const QString& v)
{
    const QString t = v.trimmed().toLower();
    return t == u"sspi" || t == u"true" || t == u"yes";
}

ConnectionTarget invalid(const QString& why)
{
    ConnectionTarget t;
    t.error = why;
    return t;
}

// "host[\instance][,port]" (after any "tcp:") as the ODBC keywords Server and Port.
QString serverAndPort(QString source)
{
    QString port;
    if (const qsizetype comma = source.indexOf(u','); comma >= 0) {
        port = source.mid(comma + 1).trimmed();
        source = source.left(comma).trimmed();
    }
    QString host = source, instance;
    if (const qsizetype bs = source.indexOf(u'\\'); bs >= 0) {
        host = source.left(bs);
        instance = source.mid(bs + 1);
    }
    if (host == u"." || host.compare(QLatin1String("(local)"), Qt::CaseInsensitive) == 0)
        host = QStringLiteral("localhost");
    QString s = QStringLiteral("Server=") + odbcValue(instance.isEmpty() ? host : host + u'\\' + instance);
    if (!port.isEmpty())
        s += QStringLiteral(";Port=") + odbcValue(port);
    return s;
}

ConnectionTarget sqlServer(const QList<QPair<QString, QString>>& pairs)
{
    if (isTrue(valueOf(pairs, {"Integrated Security", "Trusted_Connection"})))
        return invalid(QStringLiteral("Windows 統合認証（Integrated Security）はこの環境では使えません。"
                                      "接続文字列に User ID と Password を指定してください。"));
    QString source = valueOf(pairs, {"Data Source", "Server", "Address", "Addr", "Network Address"}).trimmed();
    if (source.isEmpty())
        return invalid(QStringLiteral("接続文字列に Data Source（サーバー名）がありません。"));
    if (source.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
        source = source.mid(4).trimmed();
    if (source.startsWith(QLatin1String("np:"), Qt::CaseInsensitive)
        || source.startsWith(QLatin1String("lpc:"), Qt::CaseInsensitive)
        || source.startsWith(QLatin1String("(localdb)"), Qt::CaseInsensitive))
        return invalid(
            QStringLiteral("Data Source「%1」はこの環境では使えません（TCP/IP の接続だけが使えます）。").arg(source));
    QString s = QStringLiteral("Driver={") + sqlServerOdbcDriver() + QStringLiteral("};") + serverAndPort(source);
    bool found = false;
    const QString database = valueOf(pairs, {"Initial Catalog", "Database"}, &found);
    if (found && !database.isEmpty())
        s += QStringLiteral(";Database=") + odbcValue(database);
    const QString user = valueOf(pairs, {"User ID", "UID", "User"}, &found);
    if (found)
        s += QStringLiteral(";UID=") + odbcValue(user);
    const QString password = valueOf(pairs, {"Password", "PWD"}, &found);
    if (found)
        s += QStringLiteral(";PWD=") + odbcValue(password);
    const QString app = valueOf(pairs, {"Application Name"}, &found);
    if (found && !app.isEmpty())
        s += QStringLiteral(";APP=") + odbcValue(app);
    s += QStringLiteral(";TDS_Version=7.4;ClientCharset=UTF-8");

    ConnectionTarget t;
    t.kind = ConnectionTarget::Kind::Odbc;
    t.odbcString = s;
    t.mappedFromOleDb = true;
    bool ok = false;
    const int timeout = valueOf(pairs, {"Connect Timeout", "Connection Timeout"}).toInt(&ok);
    if (ok && timeout > 0)
        t.loginTimeoutSeconds = timeout;
    return t;
}

// A path of the connection string: absolute as given, else relative to the program folder.
QString pathFrom(const QString& programFolder, const QString& path)
{
    return path.startsWith(u'/') ? nativePath(path) : nativePath(programFolder + u'\\' + path);
}

// Provider=SQLite;Data Source=<file>
ConnectionTarget embedded(const QList<QPair<QString, QString>>& pairs, const QString& programFolder)
{
    const QString source = valueOf(pairs, {"Data Source"}).trimmed();
    if (source.isEmpty())
        return invalid(QStringLiteral("接続文字列に Data Source（データベースファイル）がありません。"));
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    if (drive.match(source).hasMatch() || source.startsWith(QLatin1String("\\\\")))
        return invalid(QStringLiteral("Data Source「%1」は Windows のパスです。プログラムフォルダからの相対パスか、"
                                      "この環境の絶対パスを指定してください。")
                           .arg(source));
    ConnectionTarget t;
    t.kind = ConnectionTarget::Kind::Sqlite;
    t.sqlitePath = pathFrom(programFolder, source);
    return t;
}

// OLE DB over ODBC: the rest is an ODBC string.
ConnectionTarget odbcOverOleDb(const QList<QPair<QString, QString>>& pairs)
{
    QStringList rest;
    for (const auto& [k, v] : pairs) {
        if (k.compare(QLatin1String("Provider"), Qt::CaseInsensitive) != 0)
            rest << k + u'=' + odbcValue(v);
    }
    ConnectionTarget t;
    t.kind = ConnectionTarget::Kind::Odbc;
    t.odbcString = rest.join(u';');
    return t;
}

// Driver=... or DSN=...: used as given; the database file of the SQLite ODBC driver is checked.
ConnectionTarget odbcAsGiven(const QString& text, const QList<QPair<QString, QString>>& pairs,
                             const QString& programFolder)
{
    ConnectionTarget t;
    t.kind = ConnectionTarget::Kind::Odbc;
    t.odbcString = text.trimmed();
    const QString database = valueOf(pairs, {"Database"}).trimmed();
    if (valueOf(pairs, {"Driver"}).contains(QLatin1String("SQLite"), Qt::CaseInsensitive) && !database.isEmpty())
        t.sqliteFile = pathFrom(programFolder, database);
    return t;
}

} // namespace

ConnectionTarget parseConnectionString(const QString& text, const QString& programFolder)
{
    if (text.trimmed().isEmpty())
        return invalid(QStringLiteral("接続文字列が空です。"));
    const auto pairs = splitConnectionString(text);
    bool hasProvider = false;
    const QString provider = valueOf(pairs, {"Provider"}, &hasProvider).trimmed();
    if (hasProvider) {
        if (provider.startsWith(QLatin1String("SQLite"), Qt::CaseInsensitive))
            return embedded(pairs, programFolder);
        static const QRegularExpression sqlServerProviders(QStringLiteral("^(SQLOLEDB|SQLNCLI|MSOLEDBSQL)"),
                                                           QRegularExpression::CaseInsensitiveOption);
        if (sqlServerProviders.match(provider).hasMatch())
            return sqlServer(pairs);
        if (provider.startsWith(QLatin1String("MSDASQL"), Qt::CaseInsensitive))
            return odbcOverOleDb(pairs);
        return invalid(
            QStringLiteral(
                "プロバイダ「%1」はこの環境では使えません。"
                "Provider=SQLite、SQL Server の OLE DB プロバイダ、または ODBC の接続文字列を指定してください。")
                .arg(provider));
    }
    bool odbc = false;
    valueOf(pairs, {"Driver", "DSN", "FILEDSN"}, &odbc);
    if (odbc)
        return odbcAsGiven(text, pairs, programFolder);
    return invalid(QStringLiteral("接続文字列の形式が分かりません（Provider=、Driver= または DSN= がありません）。"));
}
