// monthly-bench-db: the cost of what every data routine does, for both drivers: opening and
// closing a cT_ADODB (a fresh connection, and one handed out again from the idle ones), and
// one small query (the count of a user's records from a day).
//   monthly-bench-db [iterations]
#include "base/time_zone.h"
#include "db/adodb.h"
#include "db/suite_schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>

namespace {

double perCallMs(int n, const std::function<bool()>& f)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < n; ++i) {
        if (!f())
            return -1;
    }
    return static_cast<double>(t.nsecsElapsed()) / 1e6 / n;
}

const QString kQuery = QStringLiteral(
    "SELECT count(*) as cnt  FROM JISSEKI WHERE nRiyoushaidno = 10101 and iKyotenCd = 1 and iKyotenEb = 3"
    " AND   tServicyDayStart >= '2021/03/10' AND   tServicyDayStart < '2021/04/01' and  iSeikyuKbn = 0"
    " and  (JISSEKI.iDelFlg_Henrei = 0 or JISSEKI.iDelFlg_Henrei is null)");

// A suite database with 300 treatment records of one user.
bool prepareDatabase(const QString& path)
{
    QString error;
    if (!createSuiteDatabaseFile(path, SuiteLayout::Current, &error)) {
        QTextStream(stderr) << "cannot prepare the database: " << error << '\n';
        return false;
    }
    cT_ADODB db;
    db.iInit(sqliteConnectionString(path));
    QString rows;
    for (int i = 1; i <= 300; ++i)
        rows += QStringLiteral("%1(1, 3, %2, 10101, 1, '2021/03/%3 10:00:00', '2021/03/%3 10:30:00', 0, 0)")
                    .arg(i > 1 ? QStringLiteral(", ") : QString())
                    .arg(i)
                    .arg(i % 28 + 1);
    if (db.iConnect() != 0
        || db.iExecSQL(
               QStringLiteral("insert into JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, "
                              "tServicyDayStart, tServicyDayEnd, iSeikyuKbn, iDelFlg_Henrei) values ")
               + rows)
            != 0) {
        QTextStream(stderr) << db.sErrMsg() << '\n';
        return false;
    }
    return true;
}

QString ms(double v) { return QString::number(v, 'f', 3); }

// Open and close, open, query and close (fresh and reused connections), then the query alone.
void timeDriver(QTextStream& out, const char* name, const QString& connectionString, int n)
{
    for (const bool reuse : {false, true}) {
        setConnectionReuse(reuse);
        const double openClose = perCallMs(n, [&] {
            cT_ADODB db;
            db.iInit(connectionString);
            return db.iConnect() == 0 && db.iDisConnect() == 0;
        });
        const double routine = perCallMs(n, [&] {
            cT_ADODB db;
            db.iInit(connectionString);
            AdoRecordset rs;
            const bool ok = db.iConnect() == 0 && db.iOpenRecSet(rs, kQuery) == 0 && rs["cnt"].toLongLong() > 0;
            rs.Close();
            return db.iDisConnect() == 0 && ok;
        });
        out << name << (reuse ? ", reused:" : ", fresh: ") << " open+close " << ms(openClose) << ", open+query+close "
            << ms(routine) << '\n';
    }
    cT_ADODB open;
    open.iInit(connectionString);
    open.iConnect();
    const double query = perCallMs(n, [&] {
        AdoRecordset rs;
        return open.iOpenRecSet(rs, kQuery) == 0;
    });
    out << name << ": query on an open connection " << ms(query) << '\n';
}

} // namespace

int main(int argc, char** argv)
{
    pinLocalTimeZone(); // as the program does
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 500;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    if (n < 1) {
        QTextStream(stderr) << "usage: monthly-bench-db [iterations of 1 or more]\n";
        return 1;
    }
    if (!prepareDatabase(path))
        return 1;
    QTextStream out(stdout);
    out << "iterations: " << n << " (ms per call)\n";
    timeDriver(out, "QSQLITE (embedded)", sqliteConnectionString(path), n);
    timeDriver(out, "QODBC -> SQLite3", QStringLiteral("Driver=SQLite3;Database=") + path, n);
    return 0;
}
