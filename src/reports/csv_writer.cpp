#include "csv_writer.h"

#include "base/ini_file.h"
#include "base/opl_string.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "base/vb.h"
#include "common/sys_settings.h"

#include <QFile>

QString csGetReportLayout(const QString& section, const QString& key)
{
    clsOplIniFile ini;
    if (ini.iInit(pathInFolder(csGetDataFolder(), QStringLiteral("帳票Format.ini"))) != 0)
        return QString();
    return vb::rtrim(csCutNull(ini.csGetProfileString(section, key)));
}

void CsvRow::separate()
{
    if (!m_empty)
        m_line += u',';
    m_empty = false;
}

CsvRow& CsvRow::text(const QString& value)
{
    separate();
    m_line += u'"';
    // A quote inside a text is written unchanged, except where the viewer would take it for
    // the end of the field (before a comma or a line end): there it becomes "＂".
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const QChar next = i + 1 < value.size() ? value.at(i + 1) : QChar();
        m_line += (c == u'"' && (next == u',' || next == u'\r' || next == u'\n')) ? QChar(0xFF02) : c;
    }
    m_line += u'"';
    return *this;
}

CsvRow& CsvRow::number(qint64 value)
{
    separate();
    m_line += QString::number(value);
    return *this;
}

bool CsvWriter::open(const QString& path, VbError* error)
{
    m_path = nativePath(path);
    m_lines.clear();
    m_rows = 0;
    if (bFileExists(m_path) && !QFile::remove(m_path)) {
        if (error)
            *error = vberr::permissionDenied();
        return false;
    }
    return true;
}

void CsvWriter::header(const QStringList& names)
{
    CsvRow r;
    for (const QString& n : names)
        r.text(n);
    m_lines << r.line();
}

void CsvWriter::row(const CsvRow& row)
{
    m_lines << row.line();
    ++m_rows;
}

bool CsvWriter::close(VbError* error) { return writeFileReplacing(m_path, cp932Lines(m_lines), error); }

namespace {
std::optional<QDateTime> g_fixedNow;
}

QDateTime reportNow() { return g_fixedNow ? *g_fixedNow : QDateTime::currentDateTime(); }

ScopedFixedReportClock::ScopedFixedReportClock(const QDateTime& at) : m_previous(g_fixedNow) { g_fixedNow = at; }

ScopedFixedReportClock::~ScopedFixedReportClock() { g_fixedNow = m_previous; }
