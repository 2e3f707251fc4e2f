#include "table_checks.h"

#include "connection_recipe.h"

#include "base/vb_error.h"
#include "common/error_message.h"
#include "platform/platform.h"

#include <functional>

namespace {

const QString kRoutine = QStringLiteral("csInpKey_Isi");

// " SELECT * From sys.Columns" + condition + object; the flag is 1 when a row comes back.
// A query that cannot be opened leaves the flag as it was.
bool presence(cT_ADODB& db, const QString& condition, const QString& object, short& flag)
{
    const QString sql = QStringLiteral(" SELECT *") + QStringLiteral(" From sys.Columns") + condition + object;
    AdoRecordset rs;
    if (!openRecipeQuery(db, rs, sql, kRoutine))
        return false;
    flag = rs.EOF_() ? 0 : 1;
    rs.Close();
    return true;
}

// A check on a connection of its own: 0, or -1 when the connection, the check (which has shown
// its message and disconnected) or anything unexpected fails.
short runCheck(const std::function<bool(cT_ADODB&)>& check)
{
    try {
        auto db = openRecipeConnection(kRoutine);
        if (!db || !check(*db))
            return -1;
        db->iDisConnect();
        return 0;
    } catch (const VbRuntimeError& e) {
        showErrorDescription(e.err);
        return -1;
    }
}

short presenceCheck(const QString& condition, const QString& object, short& flag)
{
    return runCheck([&](cT_ADODB& db) { return presence(db, condition, object, flag); });
}

} // namespace

QStringList over16CountStatements()
{
    QStringList create;
    create << QStringLiteral(" IF NOT EXISTS (") << QStringLiteral("     SELECT *")
           << QStringLiteral("     From sys.Columns")
           << QStringLiteral("     WHERE object_id = Object_ID('[dbo].[OVER16COUNT]'))") << QStringLiteral(" BEGIN")
           << QStringLiteral("     CREATE TABLE [dbo].[OVER16COUNT](")
           << QStringLiteral("         [iKyotenCd] [int] NOT NULL,")
           << QStringLiteral("         [iKyotenEb] [int] NOT NULL,")
           << QStringLiteral("         [nKanjaID] [int] NOT NULL,")
           << QStringLiteral("         [iYear] [int] NOT NULL,") << QStringLiteral("         [iMonth] [int] NOT NULL,")
           << QStringLiteral("         [iNegaeri] [int] NULL,") << QStringLiteral("         [iOkiagari] [int] NULL,")
           << QStringLiteral("         [iZai] [int] NULL,") << QStringLiteral("         [iTachiagari] [int] NULL,")
           << QStringLiteral("         [iRitsui] [int] NULL,") << QStringLiteral("         [iNRS] [int] NULL,")
           << QStringLiteral("         [iZenkaiHyoukaUmu] [int] NULL,")
           << QStringLiteral("         [iZenkaiHyoukaHenaka] [int] NULL,")
           << QStringLiteral("         [cRiyuu] [nvarchar](1000) NULL,")
           << QStringLiteral("         [cHyoukaDay] [nvarchar](10) NULL,")
           << QStringLiteral("         [nStaffID] [int] NULL,")
           << QStringLiteral("         [cSyoumeiDay] [nvarchar](10) NULL") << QStringLiteral(" ")
           << QStringLiteral("      CONSTRAINT [PK_OVER16COUNT] PRIMARY KEY CLUSTERED") << QStringLiteral("     (")
           << QStringLiteral("         [iKyotenCd] ASC,") << QStringLiteral("         [iKyotenEb] ASC,")
           << QStringLiteral("         [nKanjaID] ASC,") << QStringLiteral("         [iYear] ASC,")
           << QStringLiteral("         [iMonth] Asc")
           << QStringLiteral("     )WITH (PAD_INDEX  = OFF, STATISTICS_NORECOMPUTE  = OFF, IGNORE_DUP_KEY = OFF, "
                             "ALLOW_ROW_LOCKS  = ON, ALLOW_PAGE_LOCKS  = ON) ON [PRIMARY]")
           << QStringLiteral("     ) ON [PRIMARY]") << QStringLiteral(" End");
    QStringList add;
    add << QStringLiteral(" IF NOT EXISTS (") << QStringLiteral("     SELECT *")
        << QStringLiteral("     From sys.Columns") << QStringLiteral("     WHERE name = 'iSyoujouSonota'")
        << QStringLiteral("     AND object_id = Object_ID('[dbo].[OVER16COUNT]'))") << QStringLiteral(" BEGIN")
        << QStringLiteral("     ALTER TABLE [dbo].[OVER16COUNT] ADD iKoushuku int NULL")
        << QStringLiteral("             ,iMahi int NULL") << QStringLiteral("             ,iSyoujouSonota int NULL")
        << QStringLiteral("             ,cSyoujouSonota nvarchar(24) NULL") << QStringLiteral(" End");
    QStringList widen;
    widen << QStringLiteral(" IF NOT EXISTS (") << QStringLiteral("     SELECT *")
          << QStringLiteral("     From sys.Columns")
          << QStringLiteral("     WHERE name = 'cRiyuu' and max_length = 2000")
          << QStringLiteral("     AND object_id = Object_ID('[dbo].[OVER16COUNT]'))") << QStringLiteral(" BEGIN")
          << QStringLiteral("     ALTER TABLE [dbo].[OVER16COUNT] alter column cRiyuu varchar(2000)")
          << QStringLiteral(" End");
    return {create.join(QString()), add.join(QString()), widen.join(QString())};
}

short iChkOver16Count()
{
    return runCheck([](cT_ADODB& db) {
        // No transaction: statements that ran before a failure stay applied.
        for (const QString& sql : over16CountStatements()) {
            if (db.iExecSQL(sql) != 0) {
                platform().messageBox(QStringLiteral("setDouiNewestFlg() でエラー\r\n") + db.sErrMsg(), MsgButtons::Ok,
                                      MsgIcon::Critical);
                db.iDisConnect();
                return false;
            }
        }
        return true;
    });
}

short iChkDouiRec()
{
    return presenceCheck(QStringLiteral(" WHERE object_id = Object_ID('[dbo].[RIYOUSHA_DOUI_REC]')"), QString(),
                         iHasDouiRec);
}

short iChkHKSyobyou07Flg()
{
    return presenceCheck(QStringLiteral(" WHERE name = 'iHKSyobyou07Flg'"),
                         QStringLiteral(" and   object_id = Object_ID('[dbo].[RIYOUSHA_SUB]')"), iHasHKSyobyou07Flg);
}

short iChkSyoujouSonota()
{
    return presenceCheck(QStringLiteral(" WHERE name = 'iSyoujouSonota'"),
                         QStringLiteral(" and   object_id = Object_ID('[dbo].[RIYOUSHA_SUB]')"), iHasSyoujouSonota);
}

short iChkJissekiField()
{
    const QString jisseki = QStringLiteral(" and   object_id = Object_ID('[dbo].[JISSEKI]')");
    return runCheck([&](cT_ADODB& db) {
        return presence(db, QStringLiteral(" WHERE name = 'iDelFlg_Henrei'"), jisseki, iHasDelFlgHenrei)
            && presence(db, QStringLiteral(" WHERE name = 'iHoseUmu'"), jisseki, iHasJissekiHoseUmu);
    });
}
