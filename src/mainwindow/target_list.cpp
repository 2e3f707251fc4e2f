#include "target_list.h"

#include "common/globals.h"
#include "common/opl_string.h"
#include "common/vb.h"
#include "common/vb_error.h"
#include "db/connection_recipe.h"
#include "db/sql_text.h"
#include "db/table_checks.h"
#include "platform/platform.h"

namespace {

QString num(long v) { return QString::number(v); }

const QString kJoinOver16 =
    QStringLiteral(" LEFT JOIN OVER16COUNT ")
    + QStringLiteral(" ON 月間実績.iKyotenCd = OVER16COUNT.iKyotenCd ")
    + QStringLiteral(" AND 月間実績.iKyotenEb = OVER16COUNT.iKyotenEb ")
    + QStringLiteral(" AND 月間実績.患者IDNo = OVER16COUNT.nKanjaID ")
    + QStringLiteral(" AND 月間実績.実績年 = OVER16COUNT.iYear ")
    + QStringLiteral(" AND 月間実績.実績月 = OVER16COUNT.iMonth ");

const QString kJoinSyoumeisha =
    QStringLiteral(" LEFT JOIN STAFF AS SYOUMEISHA ")
    + QStringLiteral(" ON OVER16COUNT.iKyotenCd = SYOUMEISHA.iKyotenCd ")
    + QStringLiteral(" AND OVER16COUNT.iKyotenEb = SYOUMEISHA.iKyotenEb ")
    + QStringLiteral(" AND OVER16COUNT.nStaffID = SYOUMEISHA.nIDNo ");

// The list query's conditions on the month and the branch (the one-row refresh shares them).
QString monthAndBranch(const QDate& month)
{
    return QStringLiteral(" WHERE 実績年 = ") + vb::format(month, QStringLiteral("yyyy"))
           + QStringLiteral(" AND   実績月 = ") + vb::format(month, QStringLiteral("m"))
           + QStringLiteral(" and   月間実績.iKyotenCd = ") + num(gKyotenCd)
           + QStringLiteral(" and   月間実績.iKyotenEb = ") + num(gKyotenEb);
}

QString keizokuText(const QVariant& kanjaId) { return nNullToLong(kanjaId) == 0 ? QStringLiteral("なし") : QStringLiteral("あり"); }

QString eraDate(const QVariant& v)
{
    if (vb::trim(csNullToStr(v)).isEmpty())
        return QString();
    return vb::formatValue(v, QStringLiteral("gggee年mm月dd日"));
}

// The "###ヶ月" format of the elapsed months.
QString elapsedText(int e) { return (e == 0 ? QString() : QString::number(e)) + QStringLiteral("ヶ月"); }

} // namespace

int findHinkaiEntry(long userNo)
{
    for (int i = 0; i < gHinkaiCount && i < static_cast<int>(gHinkaiList.size()); ++i)
        if (gHinkaiList[static_cast<size_t>(i)].userNo == userNo)
            return i;
    return -1;
}

QString listTitle(const QDate& month)
{
    return QStringLiteral("施術継続理由・状態記入を必要とする対象者一覧（") + vb::format(month, QStringLiteral("gggee年m月"))
           + QStringLiteral("分）");
}

QString buildListQuery(const ListConditions& c)
{
    QString sql;
    sql += QStringLiteral("SELECT 月間実績.患者IDNo, RIYOUSHA.cName, RIYOUSHA.iSejutsuKubun, RIYOUSHA.tBirthDay, tSyoryoDay, 月間実績.施術回数, cByoumei,OVER16COUNT.nKanjaID ");
    if (iHasHKSyobyou07Flg != 0)
        sql += QStringLiteral(" ,iHKSyobyou01Flg ,iHKSyobyou02Flg ,iHKSyobyou03Flg ,iHKSyobyou04Flg ,iHKSyobyou05Flg ,iHKSyobyou06Flg ,iHKSyobyou07Flg ,cHKSyobyouName  ");
    else
        sql += QStringLiteral(" ,nHKSyobyouCd ,cHKSyobyouName");
    sql += QStringLiteral(" ,STAFF.cName as cStaffName ");
    sql += QStringLiteral(" ,SYOUMEISHA.cName as cSyoumeiStaffName ");
    sql += QStringLiteral(" FROM 月間実績 ");
    sql += QStringLiteral(" LEFT JOIN RIYOUSHA ");
    sql += QStringLiteral(" ON 月間実績.iKyotenCd = RIYOUSHA.iKyotenCd ");
    sql += QStringLiteral(" AND 月間実績.iKyotenEb = RIYOUSHA.iKyotenEb ");
    sql += QStringLiteral(" AND 月間実績.患者IDNo = RIYOUSHA.nIDNo ");
    sql += QStringLiteral(" LEFT JOIN RIYOUSHA_SUB ");
    sql += QStringLiteral(" ON 月間実績.iKyotenCd = RIYOUSHA_SUB.iKyotenCd ");
    sql += QStringLiteral(" AND 月間実績.iKyotenEb = RIYOUSHA_SUB.iKyotenEb ");
    sql += QStringLiteral(" AND 月間実績.患者IDNo = RIYOUSHA_SUB.nIDNo ");
    sql += kJoinOver16;
    sql += QStringLiteral(" LEFT JOIN STAFF ");
    sql += QStringLiteral(" ON RIYOUSHA.iKyotenCd = STAFF.iKyotenCd ");
    sql += QStringLiteral(" AND RIYOUSHA.iKyotenEb = STAFF.iKyotenEb ");
    sql += QStringLiteral(" AND RIYOUSHA.nTantou = STAFF.nIDNo ");
    sql += kJoinSyoumeisha;
    sql += monthAndBranch(c.month);
    if (c.condition == 3)
        sql += QStringLiteral(" AND   施術回数 >= 16");
    if (!c.searchNo.isEmpty())
        sql += QStringLiteral(" AND   患者IDno = ") + num(nNullToLong(c.searchNo));
    if (!c.searchName.isEmpty())
        sql += QStringLiteral(" AND   RIYOUSHA.cName LIKE ") + likeContains(c.searchName);
    if (!c.searchKana.isEmpty())
        sql += QStringLiteral(" AND   RIYOUSHA.cNamekana LIKE ") + likeContains(c.searchKana);
    sql += QStringLiteral(" order by 月間実績.患者IDNo");
    return sql;
}

QString diseaseText(const QVariant& kubun, const QVariant& byoumei, bool flagColumns,
                    const std::array<QVariant, 7>& flags, const QVariant& code, const QVariant& otherName)
{
    if (nNullToLong(kubun) == 0)
        return csNullToStr(byoumei);
    if (flagColumns) {
        static const char* const names[6] = {"神経痛", "リウマチ", "頸腕症候群", "五十肩", "腰痛症", "頸椎捻挫後遺症"};
        QStringList parts;
        for (int i = 0; i < 6; ++i)
            if (nNullToLong(flags[static_cast<size_t>(i)]) == 1)
                parts.append(QString::fromUtf8(names[i]));
        const QString other = csNullToStr(otherName);
        if (nNullToLong(flags[6]) == 1 && !other.isEmpty())
            parts.append(other);
        return parts.join(u',');
    }
    switch (nNullToLong(code)) {
    case 1: return csNullToStr(otherName);
    case 2: return QStringLiteral("神経痛");
    case 3: return QStringLiteral("リウマチ");
    case 4: return QStringLiteral("頸腕症候群");
    case 5: return QStringLiteral("五十肩");
    case 6: return QStringLiteral("腰痛症");
    case 7: return QStringLiteral("頸推捻挫後遺症");
    default: return QString();
    }
}

short iCountJisseki(long userNo, const QString& startDate)
{
    const QString routine = QStringLiteral("csInpKey_Isi");
    try {
        const auto start = vb::toDate(startDate);
        if (!start)
            vbRaise(vberr::typeMismatch());
        const QDate next = vb::dateAddMonths(QDate(start->date().year(), start->date().month(), 1), 1);
        QString sql = QStringLiteral("SELECT count(*) as cnt ");
        sql += QStringLiteral(" FROM JISSEKI");
        sql += QStringLiteral(" WHERE nRiyoushaidno = ") + num(userNo);
        sql += QStringLiteral(" and iKyotenCd = ") + num(gKyotenCd);
        sql += QStringLiteral(" and iKyotenEb = ") + num(gKyotenEb);
        sql += QStringLiteral(" AND   tServicyDayStart >= '") + startDate + u'\'';
        sql += QStringLiteral(" AND   tServicyDayStart < '") + vb::format(next, QStringLiteral("yyyy/mm/dd")) + u'\'';
        sql += QStringLiteral(" and  iSeikyuKbn = 0");
        if (iHasDelFlgHenrei == 1)
            sql += QStringLiteral(" and  (JISSEKI.iDelFlg_Henrei = 0 or JISSEKI.iDelFlg_Henrei is null)");
        const auto rs = recipeQuery(sql, routine);
        if (!rs || rs->EOF_())
            return 0;
        return static_cast<short>(nNullToLong(rs->field(QStringLiteral("cnt"))));
    } catch (const VbRuntimeError& e) {
        platform().messageBox(QStringLiteral("Error : ") + e.err.description, MsgButtons::Ok, MsgIcon::Critical);
        return 0;
    }
}

short iGetHinkaiCount(long userNo, const QString& month, short* frequency, short* planFlag)
{
    const QString routine = QStringLiteral("csInpKey_Isi");
    const auto m = vb::toDate(month + QStringLiteral("/01"));
    if (!m)
        return 1;
    const QDate last = m->date();
    const QDate first = vb::dateAddMonths(last, -23);
    const QString firstYM = vb::format(first, QStringLiteral("yyyymm"));
    const QString lastYM = vb::format(last, QStringLiteral("yyyymm"));

    QString sql = QStringLiteral("SELECT 月間実績.iKyotenCd, 月間実績.iKyotenEb, 患者IDNo, 実績年 * 100 + 実績月 AS JissekiYM ");
    sql += QStringLiteral(" , RIYOUSHA.cName, RIYOUSHA.iSejutsuKubun");
    sql += QStringLiteral(" , MAX(RIYOUSHA.iHinkaiKeikaku) AS iHinkaiKeikaku, MAX(RIYOUSHA.cHinkaiKeikakuYM) AS cHinkaiKeikakuYM");
    sql += QStringLiteral(" , SUM(施術回数) AS 施術回数");
    sql += QStringLiteral(" FROM 月間実績");
    sql += QStringLiteral(" INNER JOIN RIYOUSHA");
    sql += QStringLiteral("   ON  RIYOUSHA.iKyotenCd = 月間実績.iKyotenCd ");
    sql += QStringLiteral("   AND RIYOUSHA.iKyotenEb = 月間実績.iKyotenEb ");
    sql += QStringLiteral("   AND RIYOUSHA.nIDNo = 月間実績.患者IDNo ");
    sql += QStringLiteral(" WHERE 患者IDNo/100 = ") + num(userNo / 100);
    sql += QStringLiteral("   AND 月間実績.iKyotenCd = ") + num(gKyotenCd);
    sql += QStringLiteral("   AND 月間実績.iKyotenEb = ") + num(gKyotenEb);
    sql += QStringLiteral("   AND 実績年 * 100 + 実績月 >= '") + firstYM + u'\'';
    sql += QStringLiteral("   AND 実績年 * 100 + 実績月 <= '") + lastYM + u'\'';
    sql += QStringLiteral(" GROUP BY ");
    sql += QStringLiteral("   月間実績.iKyotenCd, 月間実績.iKyotenEb, 月間実績.患者IDNo, 実績年 * 100 + 実績月 ");
    sql += QStringLiteral("   , RIYOUSHA.cName, RIYOUSHA.iSejutsuKubun ");

    auto rs = recipeQuery(sql, routine);
    if (!rs)
        return 1;

    if (gHinkaiList.size() < static_cast<size_t>(gHinkaiCount) + 1)
        gHinkaiList.resize(static_cast<size_t>(gHinkaiCount) + 1);
    HinkaiRecord& e = gHinkaiList[static_cast<size_t>(gHinkaiCount)];
    e = HinkaiRecord{};
    e.userNo = userNo;
    for (int k = 0; k < 24; ++k)
        e.months[static_cast<size_t>(k)] = vb::format(vb::dateAddMonths(first, k), QStringLiteral("yyyymm"));

    short f = 0;
    for (; !rs->EOF_(); rs->MoveNext()) {
        e.name = csNullToStr(rs->field(QStringLiteral("cName")));
        e.kind = static_cast<short>(nNullToLong(rs->field(QStringLiteral("iSejutsuKubun"))));
        e.planFlag = static_cast<short>(nNullToLong(rs->field(QStringLiteral("iHinkaiKeikaku"))));
        e.planMonth = csNullToStr(rs->field(QStringLiteral("cHinkaiKeikakuYM")));
        const long ym = nNullToLong(rs->field(QStringLiteral("JissekiYM")));
        size_t k = 0;
        for (size_t i = 0; i < 24; ++i)
            if (e.months[i].toLong() == ym) {
                k = i;
                break;
            }
        const long count = nNullToLong(rs->field(QStringLiteral("施術回数")));
        e.counts[k] = static_cast<short>(qBound(-32768L, count, 32767L));
        if (count >= 16)
            ++f;
    }
    e.frequency = f;
    if (frequency)
        *frequency = f;
    if (planFlag)
        *planFlag = e.planFlag;
    ++gHinkaiCount;
    return 0;
}

ListLoad iDataLoad(const ListConditions& c)
{
    ListLoad out;
    const QString routine = QStringLiteral("iDataLoad");
    auto db = openRecipeConnection(routine);
    if (!db)
        return out;
    AdoRecordset rs;
    if (!openRecipeQuery(*db, rs, buildListQuery(c), routine)) {
        out.status = 1;
        return out;
    }
    out.replaced = true;
    gHinkaiCount = 0;
    gHinkaiList.assign(1, HinkaiRecord{});

    const QString monthYM = vb::format(c.month, QStringLiteral("yyyy/mm"));
    const QDate monthFirst(c.month.year(), c.month.month(), 1);
    const bool flagColumns = iHasHKSyobyou07Flg != 0;
    try {
        for (; !rs.EOF_(); rs.MoveNext()) {
            const QVariant syoryo = rs[QStringLiteral("tSyoryoDay")];
            const QString s = vb::trim(csNullToStr(syoryo));
            if (s.isEmpty())
                continue;
            const auto start = vb::toDate(syoryo.typeId() == QMetaType::QString ? QVariant(s) : syoryo);
            if (!start)
                vbRaise(vberr::typeMismatch());
            const long userNo = nNullToLong(rs[QStringLiteral("患者IDNo")]);
            const QDate anniversary = vb::dateAddMonths(start->date(), 12);
            const QString annivYM = vb::format(anniversary, QStringLiteral("yyyy/mm"));
            bool countComputed = false;
            short annivCount = 0;
            if (monthYM == annivYM) {
                annivCount = iCountJisseki(userNo, vb::format(anniversary, QStringLiteral("yyyy/mm/dd")));
                countComputed = true;
                if (c.condition == 3 && annivCount < 16)
                    continue;
            } else if (monthYM < annivYM) {
                if (c.condition == 3)
                    continue;
            }
            const int elapsed = vb::dateDiffMonths(start->date(), monthFirst) + 1;
            short f = 0, plan = 0;
            bool hinkaiOk = false;
            if (elapsed < 24) {
                if (c.condition == 2)
                    continue;
            } else {
                hinkaiOk = iGetHinkaiCount(userNo, monthYM, &f, &plan) == 0;
                if (c.condition == 2 && !(hinkaiOk && f >= c.threshold))
                    continue;
            }

            ListRow row;
            row[colSel] = 0;
            row[colIDNo] = static_cast<qlonglong>(userNo);
            row[colName] = csNullToStr(rs[QStringLiteral("cName")]);
            row[colKubun] = nNullToLong(rs[QStringLiteral("iSejutsuKubun")]) == 0 ? QStringLiteral("マッサ") : QStringLiteral("鍼灸");
            row[colBirthDay] = eraDate(rs[QStringLiteral("tBirthDay")]);
            row[colKeizoku] = keizokuText(rs[QStringLiteral("nKanjaID")]);
            row[colSyoryo] = eraDate(syoryo);
            row[colElapsed] = elapsedText(elapsed);
            const long monthCount = nNullToLong(rs[QStringLiteral("施術回数")]);
            row[colCount] = static_cast<qlonglong>((c.countWholeMonth || !countComputed) ? monthCount : annivCount);
            if (elapsed < 24) {
                row[colHinkai] = QStringLiteral("-");
            } else {
                // The row's own count gives the table a second entry of the same content, as
                // the list always had; it is copied rather than queried again.
                if (hinkaiOk) {
                    gHinkaiList.resize(static_cast<size_t>(gHinkaiCount) + 1);
                    gHinkaiList[static_cast<size_t>(gHinkaiCount)] = gHinkaiList[static_cast<size_t>(gHinkaiCount) - 1];
                    ++gHinkaiCount;
                } else {
                    hinkaiOk = iGetHinkaiCount(userNo, monthYM, &f, &plan) == 0;
                }
                if (hinkaiOk)
                    row[colHinkai] = plan >= 1 ? QVariant(QStringLiteral("計画済")) : QVariant(static_cast<qlonglong>(f));
                else
                    row[colHinkai] = QString(); // unknown: the failure was reported
            }
            row[colHinkaiButton] = QStringLiteral("頻回確認");
            row[colStaff] = csNullToStr(rs[QStringLiteral("cStaffName")]);
            row[colSyoumei] = csNullToStr(rs[QStringLiteral("cSyoumeiStaffName")]);
            std::array<QVariant, 7> flags;
            if (flagColumns)
                for (int i = 0; i < 7; ++i)
                    flags[static_cast<size_t>(i)] = rs[QStringLiteral("iHKSyobyou0%1Flg").arg(i + 1)];
            row[colByoumei] = diseaseText(rs[QStringLiteral("iSejutsuKubun")], rs[QStringLiteral("cByoumei")], flagColumns,
                                          flags, rs[QStringLiteral("nHKSyobyouCd")], rs[QStringLiteral("cHKSyobyouName")]);
            row[colKoushin] = QString();
            row[colYMD] = vb::format(c.month, QStringLiteral("yyyy/mm/01"));
            out.rows.push_back(std::move(row));
        }
    } catch (const VbRuntimeError& e) {
        platform().messageBox(QStringLiteral("Error : ") + e.err.description, MsgButtons::Ok, MsgIcon::Critical);
    }
    rs.Close();
    db->iDisConnect();
    return out;
}

RowRefresh iDataLoad_16OVER_UMU(long userNo, const QDate& month)
{
    RowRefresh out;
    const QString routine = QStringLiteral("iDataLoad_16OVER_UMU");
    QString sql = QStringLiteral("SELECT 月間実績.患者IDNo ,OVER16COUNT.nKanjaID");
    sql += QStringLiteral(" ,SYOUMEISHA.cName as cSyoumeiStaffName ");
    sql += QStringLiteral(" FROM 月間実績 ");
    sql += kJoinOver16;
    sql += kJoinSyoumeisha;
    sql += monthAndBranch(month);
    sql += QStringLiteral(" AND   患者IDno = ") + num(userNo);
    sql += QStringLiteral(" order by 月間実績.患者IDNo");
    auto db = openRecipeConnection(routine);
    if (!db)
        return out;
    AdoRecordset rs;
    if (!openRecipeQuery(*db, rs, sql, routine)) {
        out.status = 1;
        return out;
    }
    db->iDisConnect();
    for (; !rs.EOF_(); rs.MoveNext()) {
        out.found = true;
        out.keizoku = keizokuText(rs[QStringLiteral("nKanjaID")]);
        out.syoumei = csNullToStr(rs[QStringLiteral("cSyoumeiStaffName")]);
    }
    return out;
}
