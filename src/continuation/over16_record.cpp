#include "over16_record.h"

#include "base/globals.h"
#include "base/vb.h"
#include "base/vb_error.h"
#include "db/connection_recipe.h"
#include "db/sql_text.h"
#include "db/table_checks.h"
#include "db/treatment_queries.h"
#include "platform/platform.h"

namespace {

QString num(long v) { return QString::number(v); }

// The month of a "yyyy/mm/01" text; a text that is no date raises a type mismatch.
QDate monthOf(const QString& month)
{
    const auto d = vb::toDate(month);
    if (!d)
        vbRaise(vberr::typeMismatch());
    return d->date();
}

// A text value of the insert. N'…' keeps characters outside the server's code page in the
// nvarchar columns; the embedded engine reads it as a plain literal.
QString textValue(const QString& text) { return u'N' + sqlQuote(text); }

const QString kSymptoms16 = QStringLiteral(" ,OVER16COUNT.iKoushuku AS iKoushuku_16")
    + QStringLiteral(" ,OVER16COUNT.iMahi AS iMahi_16")
    + QStringLiteral(" ,OVER16COUNT.iSyoujouSonota AS iSyoujouSonota_16")
    + QStringLiteral(" ,OVER16COUNT.cSyoujouSonota AS cSyoujouSonota_16");

// The symptom and acupuncture-diagnosis columns both reads select, by the presence flags.
QString symptomAndDiagnosisColumns()
{
    QString sql;
    if (iHasSyoujouSonota == 1)
        sql += QStringLiteral(" ,RIYOUSHA_SUB.iSyoujouSonota,RIYOUSHA_SUB.cSyoujouSonota");
    else
        sql += kSymptoms16;
    sql += diagnosisColumns(iHasHKSyobyou07Flg == 1);
    return sql;
}

const QString kEvaluationColumns = QStringLiteral(" ,OVER16COUNT.iNegaeri") + QStringLiteral(" ,OVER16COUNT.iOkiagari")
    + QStringLiteral(" ,OVER16COUNT.iZai") + QStringLiteral(" ,OVER16COUNT.iTachiagari")
    + QStringLiteral(" ,OVER16COUNT.iRitsui") + QStringLiteral(" ,OVER16COUNT.iNRS")
    + QStringLiteral(" ,OVER16COUNT.iZenkaiHyoukaUmu") + QStringLiteral(" ,OVER16COUNT.iZenkaiHyoukaHenaka")
    + QStringLiteral(" ,OVER16COUNT.cRiyuu") + QStringLiteral(" ,OVER16COUNT.cHyoukaDay")
    + QStringLiteral(" ,OVER16COUNT.nStaffID") + QStringLiteral(" ,OVER16COUNT.cSyoumeiDay")
    + QStringLiteral(" ,STAFF.cName as cSTAFFName ");

QString branchCondition()
{
    return QStringLiteral(" WHERE 月間実績.iKyotenCd = ") + num(gKyotenCd)
        + QStringLiteral(" AND   月間実績.iKyotenEb = ") + num(gKyotenEb);
}

// The row of a query as texts; a Null is told apart from every text.
QStringList rowTexts(const AdoRecordset& rs)
{
    QStringList values;
    for (int i = 0; i < rs.fieldCount(); ++i) {
        const QVariant v = rs.field(i);
        values << (v.isNull() || !v.isValid() ? QString(QChar(0)) + QStringLiteral("NULL") : v.toString());
    }
    return values;
}

// The stored row by over16RowQuery on an open connection; false when the query failed.
bool readStored(cT_ADODB& db, const QString& sql, Over16Stored& stored)
{
    AdoRecordset rs;
    if (db.iOpenRecSet(rs, sql) != 0)
        return false;
    stored = rs.EOF_() ? Over16Stored() : Over16Stored(rowTexts(rs));
    return true;
}

// storedSql, when given, reads the stored row first on the same connection: a save made
// between the two reads then shows as a change rather than going unnoticed.
Over16Read readEntry(const QString& sql, const QString& routine, const QString& storedSql = QString())
{
    Over16Read out;
    auto db = openRecipeConnection(routine);
    if (!db) {
        out.failed = true;
        return out;
    }
    AdoRecordset rs;
    bool read = true;
    if (!storedSql.isEmpty()) {
        read = openRecipeQuery(*db, rs, storedSql, routine);
        if (read && !rs.EOF_())
            out.stored = rowTexts(rs);
    }
    if (!read || !openRecipeQuery(*db, rs, sql, routine)) {
        out.status = 1;
        out.failed = true;
        return out;
    }
    db->iDisConnect();
    if (!rs.EOF_())
        out.row = std::move(rs);
    return out;
}

QString rowCondition(long userId, const QDate& m)
{
    return QStringLiteral(" WHERE iKyotenCd = ") + num(gKyotenCd) + QStringLiteral(" AND iKyotenEb = ") + num(gKyotenEb)
        + QStringLiteral(" AND nKanjaID = ") + num(userId) + QStringLiteral(" AND iYear = ")
        + vb::format(m, QStringLiteral("yyyy")) + QStringLiteral(" AND iMonth = ") + vb::format(m, QStringLiteral("m"));
}

struct SaveStatements {
    QString lock, row, remove, insert;
};

enum class Attempt { Ended, Changed };

// One transaction: the row taken for writing first (an update that changes nothing; SQLite then
// waits for another writer here instead of failing when a read wants to become a write), read
// and compared with seen, then deleted and inserted. Changed: rolled back, found holds the row.
Attempt attemptSave(const SaveStatements& sql, Over16Stored& seen, Over16Stored& found, Over16SaveResult& out)
{
    std::unique_ptr<cT_ADODB> db;
    bool inTransaction = false;
    try {
        db = openRecipeConnection(QStringLiteral("iDataLoad"));
        if (!db)
            return Attempt::Ended;
        if (db->iBeginTrans() != 0) {
            out.unshownError = db->sErrMsg();
            db->iDisConnect();
            return Attempt::Ended;
        }
        inTransaction = true;
        auto statementFailed = [&] {
            platform().messageBox(db->sErrMsg(), MsgButtons::Ok, MsgIcon::None, QStringLiteral("確認"));
            db->iRollback();
            db->iDisConnect();
            return Attempt::Ended;
        };
        if (db->iExecSQL(sql.lock) != 0 || !readStored(*db, sql.row, found))
            return statementFailed();
        if (found != seen) {
            db->iRollback();
            db->iDisConnect();
            return Attempt::Changed;
        }
        Over16Stored written;
        if (db->iExecSQL(sql.remove) != 0 || db->iExecSQL(sql.insert) != 0 || !readStored(*db, sql.row, written))
            return statementFailed();
        if (db->iCommitTrans() != 0) {
            // The stored row must stay as it was: roll the open transaction back.
            out.unshownError = db->sErrMsg();
            db->iRollback();
            db->iDisConnect();
            return Attempt::Ended;
        }
        db->iDisConnect();
        seen = written;
        out.status = 0;
        return Attempt::Ended;
    } catch (const VbRuntimeError& e) {
        out.unshownError = QStringLiteral("iDataSaveでエラー\r\n") + QString::number(e.err.number)
            + QStringLiteral("\r\n") + e.err.description;
        if (db) {
            if (inTransaction)
                db->iRollback();
            db->iDisConnect();
        }
        return Attempt::Ended;
    }
}

} // namespace

const QString kOver16ChangedQuestion =
    QStringLiteral("この利用者の当月の記録は、画面を開いた後に他の端末で変更されています。上書きしますか？");

QString over16EntryProblem(const Over16Entry& v, Over16Field* field)
{
    const bool symptoms = iHasSyoujouSonota != 1;
    auto about = [field](Over16Field f, const QString& text) {
        if (field)
            *field = f;
        return text;
    };
    if (v.cRiyuu.size() > kRiyuuMaxLength)
        return about(
            Over16Field::Riyuu,
            QStringLiteral("施術が必要な理由が長すぎます。改行を含めて%1文字以内で入力してください。（現在%2文字）")
                .arg(kRiyuuMaxLength)
                .arg(v.cRiyuu.size()));
    if (symptoms && v.cSyoujouSonota.size() > kSyoujouSonotaMaxLength)
        return about(Over16Field::SyoujouSonota,
                     QStringLiteral("症状その他の内容が長すぎます。%1文字以内で入力してください。（現在%2文字）")
                         .arg(kSyoujouSonotaMaxLength)
                         .arg(v.cSyoujouSonota.size()));
    // A NUL (pasted, never typed) would end the statement's text in the engine: refused, so
    // nothing after it is lost unseen.
    if (v.cRiyuu.contains(QChar(0)))
        return about(
            Over16Field::Riyuu,
            QStringLiteral("施術が必要な理由に使えない文字（NUL）が含まれています。取り除いてから保存してください。"));
    if (symptoms && v.cSyoujouSonota.contains(QChar(0)))
        return about(
            Over16Field::SyoujouSonota,
            QStringLiteral("症状その他の内容に使えない文字（NUL）が含まれています。取り除いてから保存してください。"));
    return QString();
}

QString over16DeleteStatement(long userId, const QString& month)
{
    return QStringLiteral(" delete from OVER16COUNT ") + rowCondition(userId, monthOf(month));
}

QString over16RowQuery(long userId, const QString& month)
{
    return QStringLiteral("SELECT * FROM OVER16COUNT ") + rowCondition(userId, monthOf(month));
}

QString over16InsertStatement(long userId, const QString& month, const Over16Entry& v)
{
    const QDate m = monthOf(month);
    const bool symptoms = iHasSyoujouSonota != 1;
    QString sql = QStringLiteral(" insert into ") + QStringLiteral("   OVER16COUNT (");
    sql += QStringLiteral("      iKyotenCd");
    for (const char* c :
         {"iKyotenEb", "nKanjaID", "iYear", "iMonth", "iNegaeri", "iOkiagari", "iZai", "iTachiagari", "iRitsui", "iNRS",
          "iZenkaiHyoukaUmu", "iZenkaiHyoukaHenaka", "cRiyuu", "cHyoukaDay", "nStaffID", "cSyoumeiDay"})
        sql += QStringLiteral("     ,") + QString::fromLatin1(c);
    if (symptoms)
        sql += QStringLiteral("     ,iKoushuku ") + QStringLiteral("     ,iMahi")
            + QStringLiteral("     ,iSyoujouSonota") + QStringLiteral("     ,cSyoujouSonota");
    sql += QStringLiteral(" )values( ");
    sql += QStringLiteral("      ") + num(gKyotenCd);
    auto number = [&sql](long value) { sql += QStringLiteral("     ,") + num(value); };
    auto text = [&sql](const QString& value) { sql += QStringLiteral("     ,") + textValue(value); };
    number(gKyotenEb);
    number(userId);
    number(m.year());
    number(m.month());
    for (short value :
         {v.iNegaeri, v.iOkiagari, v.iZai, v.iTachiagari, v.iRitsui, v.iNRS, v.iZenkaiHyoukaUmu, v.iZenkaiHyoukaHenaka})
        number(value);
    text(v.cRiyuu);
    text(v.cHyoukaDay);
    number(v.nStaffID);
    text(v.cSyoumeiDay);
    if (symptoms) {
        number(v.iKoushuku);
        number(v.iMahi);
        number(v.iSyoujouSonota);
        text(v.cSyoujouSonota);
    }
    sql += QStringLiteral(" )");
    return sql;
}

Over16SaveResult saveOver16Entry(long userId, const QString& month, const Over16Entry& v, Over16Stored& seen)
{
    Over16SaveResult out;
    out.status = -1;
    try {
        // Checked before anything is sent: SQL Server refuses an over-long value, SQLite
        // would store it whole, and neither must lose the entry silently.
        if (const QString problem = over16EntryProblem(v); !problem.isEmpty()) {
            out.unshownError = problem;
            return out;
        }
        const QDate m = monthOf(month);
        const SaveStatements sql{QStringLiteral(" UPDATE OVER16COUNT SET iNegaeri = iNegaeri ")
                                     + rowCondition(userId, m),
                                 over16RowQuery(userId, month), over16DeleteStatement(userId, month),
                                 over16InsertStatement(userId, month, v)};
        Over16Stored found;
        while (attemptSave(sql, seen, found, out) == Attempt::Changed) {
            // Another terminal saved since the window read the row. The question waits with
            // no transaction open, so it holds up nobody; the row is compared again after it.
            if (platform().messageBox(kOver16ChangedQuestion, MsgButtons::YesNo, MsgIcon::Exclamation,
                                      QStringLiteral("確認"), MsgDefault::Second)
                != MsgResult::Yes) {
                out.status = 1;
                return out;
            }
            seen = found;
        }
        return out;
    } catch (const VbRuntimeError& e) {
        out.unshownError = QStringLiteral("iDataSaveでエラー\r\n") + QString::number(e.err.number)
            + QStringLiteral("\r\n") + e.err.description;
        return out;
    }
}

QString monthEntryQuery(long userId, const QString& month)
{
    const QDate m = monthOf(month);
    QString sql = QStringLiteral("SELECT 月間実績.患者IDNo, 月間実績.施術回数, RIYOUSHA.*  ");
    sql += QStringLiteral(" ,cByoumei,nHKSyobyouCd");
    sql += symptomAndDiagnosisColumns();
    sql += QStringLiteral(" ,OVER16COUNT.nKanjaID");
    sql += kEvaluationColumns;
    sql += QStringLiteral(" ,TANTOU.cName as cTANTOUName ");
    sql += monthTotalsWithUserJoins();
    sql += over16EntryJoin(true);
    sql += certifierJoin();
    sql += QStringLiteral(" LEFT JOIN STAFF AS TANTOU ");
    sql += QStringLiteral(" ON RIYOUSHA.iKyotenCd = TANTOU.iKyotenCd ");
    sql += QStringLiteral(" AND RIYOUSHA.iKyotenEb = TANTOU.iKyotenEb ");
    sql += QStringLiteral(" AND RIYOUSHA.nTantou = TANTOU.nIDNo ");
    sql += branchCondition();
    sql += QStringLiteral(" AND   実績年 = ") + vb::format(m, QStringLiteral("yyyy"));
    sql += QStringLiteral(" AND   実績月 = ") + vb::format(m, QStringLiteral("m"));
    sql += QStringLiteral(" AND   患者IDno = ") + num(userId);
    return sql;
}

QString previousEntryQuery(long userId, const QString& month)
{
    const QDate before = vb::dateAddMonths(monthOf(month), -1);
    const bool exactId = gTZSVer == 1;
    QString sql = QStringLiteral(
        "SELECT TOP 1 月間実績.患者IDNo, 月間実績.実績年, 月間実績.実績月, 月間実績.施術回数, RIYOUSHA.*");
    sql += QStringLiteral(" ,cByoumei,nHKSyobyouCd");
    sql += symptomAndDiagnosisColumns();
    sql += kEvaluationColumns;
    sql += monthTotalsWithUserJoins();
    sql += over16EntryJoin(exactId);
    sql += certifierJoin();
    sql += branchCondition();
    sql += QStringLiteral(" AND   実績年 * 100 + 実績月 <= ") + num(before.year() * 100 + before.month());
    sql += QStringLiteral(" AND   患者IDno = ") + num(userId);
    sql += QStringLiteral(" AND   OVER16COUNT.nKanjaID IS NOT NULL ");
    sql += QStringLiteral(" ORDER BY 実績年 * 100 + 実績月 DESC ");
    // Several rows of one month tie under the hundreds rule, and the engines break the tie
    // differently: the user's own ID first, then the lowest.
    if (!exactId)
        sql += QStringLiteral(" ,CASE WHEN OVER16COUNT.nKanjaID = ") + num(userId)
            + QStringLiteral(" THEN 0 ELSE 1 END, OVER16COUNT.nKanjaID ");
    return sql;
}

Over16Read readMonthEntry(long userId, const QString& month)
{
    return readEntry(monthEntryQuery(userId, month), QStringLiteral("iDataLoad"), over16RowQuery(userId, month));
}

Over16Read readPreviousEntry(long userId, const QString& month)
{
    return readEntry(previousEntryQuery(userId, month), QStringLiteral("iDataLoad_Zenkai"));
}
