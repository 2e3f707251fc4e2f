#include "odbc_diag.h"

#include <sql.h>
#include <sqlext.h>

namespace odbc {

namespace {
QString fromWide(const SQLWCHAR* s, qsizetype len)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(s), len);
}
} // namespace

void* handleOf(const QVariant& v)
{
    if (!v.isValid() || v.metaType().sizeOf() != static_cast<qsizetype>(sizeof(void*)))
        return nullptr;
    const char* name = v.typeName();
    if (!name || (qstrcmp(name, "void*") != 0 && qstrcmp(name, "SQLHANDLE") != 0))
        return nullptr;
    return *static_cast<void* const*>(v.constData());
}

std::vector<AdoError> diagnostics(short handleType, void* handle, const QString& source)
{
    std::vector<AdoError> out;
    if (!handle)
        return out;
    for (SQLSMALLINT i = 1; i < 64; ++i) {
        SQLWCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[SQL_MAX_MESSAGE_LENGTH + 1] = {};
        SQLSMALLINT len = 0;
        const SQLRETURN r = SQLGetDiagRecW(handleType, handle, i, state, &native, text, SQL_MAX_MESSAGE_LENGTH, &len);
        if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO)
            break;
        AdoError e;
        e.number = native;
        e.nativeError = native;
        e.sqlState = fromWide(state, SQL_SQLSTATE_SIZE);
        e.description = fromWide(text, qMin<qsizetype>(len, SQL_MAX_MESSAGE_LENGTH));
        e.source = source;
        out.push_back(e);
    }
    return out;
}

QString info(void* dbc, unsigned short what)
{
    if (!dbc)
        return QString();
    SQLWCHAR buf[512] = {};
    SQLSMALLINT len = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(dbc, what, buf, sizeof(buf) - sizeof(SQLWCHAR), &len)))
        return QString();
    return fromWide(buf, qMin<qsizetype>(len / static_cast<qsizetype>(sizeof(SQLWCHAR)), 511));
}

bool setQueryTimeout(void* stmt, int seconds)
{
    if (!stmt)
        return false;
    return SQL_SUCCEEDED(
        SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)), 0));
}

bool connectionDead(void* dbc)
{
    SQLUINTEGER dead = SQL_CD_FALSE;
    return dbc && SQL_SUCCEEDED(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr))
        && dead == SQL_CD_TRUE;
}

QString firstRecord(const QString& joined)
{
    const QString text = joined.trimmed();
    if (!text.startsWith(u'['))
        return text;
    const qsizetype close = text.indexOf(u']');
    if (close < 0)
        return text;
    const QString vendor = text.left(close + 1);
    const qsizetype next = text.indexOf(u' ' + vendor, close);
    return next < 0 ? text : text.left(next);
}

} // namespace odbc
