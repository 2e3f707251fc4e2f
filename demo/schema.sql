-- The suite's tables as this program reads them (current layout). T-SQL: runs on SQL Server
-- as it stands and on the embedded database through the program's T-SQL layer.
-- OVER16COUNT is not here: the program creates and widens it at start-up.

CREATE TABLE [dbo].[CORP](
    [iKyotenCd] [int] NOT NULL,
    [iKyotenEb] [int] NOT NULL,
    [iType] [int] NOT NULL,
    [cShamei1] [nvarchar](60) NULL,
    [cShamei2] [nvarchar](60) NULL,
    [cTel] [nvarchar](20) NULL,
    CONSTRAINT [PK_CORP] PRIMARY KEY CLUSTERED ([iKyotenCd] ASC, [iKyotenEb] ASC, [iType] ASC) ON [PRIMARY]
) ON [PRIMARY]
GO

CREATE TABLE [dbo].[STAFF](
    [iKyotenCd] [int] NOT NULL,
    [iKyotenEb] [int] NOT NULL,
    [nIDNo] [int] NOT NULL,
    [cName] [nvarchar](40) NULL,
    [cNameRyaku] [nvarchar](20) NULL,
    [cNameKana] [nvarchar](40) NULL,
    [iChusiFlg] [int] NULL,
    CONSTRAINT [PK_STAFF] PRIMARY KEY CLUSTERED ([iKyotenCd] ASC, [iKyotenEb] ASC, [nIDNo] ASC) ON [PRIMARY]
) ON [PRIMARY]
GO

-- The user master. The disease columns (cByoumei, nHKSyobyouCd, cHKSyobyouName) live here only;
-- the flag and symptom columns live in RIYOUSHA_SUB only (the program selects them unqualified).
CREATE TABLE [dbo].[RIYOUSHA](
    [iKyotenCd] [int] NOT NULL,
    [iKyotenEb] [int] NOT NULL,
    [nIDNo] [int] NOT NULL,
    [cName] [nvarchar](40) NULL,
    [cNameKana] [nvarchar](40) NULL,
    [iSex] [int] NULL,
    [tBirthDay] [datetime] NULL,
    [tSyoryoDay] [datetime] NULL,
    [iSejutsuKubun] [int] NULL,
    [iKaigoLv] [int] NULL,
    [nTantou] [int] NULL,
    [iHinkaiKeikaku] [int] NULL,
    [cHinkaiKeikakuYM] [nvarchar](7) NULL,
    [cByoumei] [nvarchar](100) NULL,
    [nHKSyobyouCd] [int] NULL,
    [cHKSyobyouName] [nvarchar](100) NULL,
    [iMahi] [int] NULL,
    [iKoushuku] [int] NULL,
    [iHoseUmu] [int] NULL,
    [nLenFix] [int] NULL,
    CONSTRAINT [PK_RIYOUSHA] PRIMARY KEY CLUSTERED ([iKyotenCd] ASC, [iKyotenEb] ASC, [nIDNo] ASC) ON [PRIMARY]
) ON [PRIMARY]
GO

CREATE TABLE [dbo].[RIYOUSHA_SUB](
    [iKyotenCd] [int] NOT NULL,
    [iKyotenEb] [int] NOT NULL,
    [nIDNo] [int] NOT NULL,
    [iHKSyobyou01Flg] [int] NULL,
    [iHKSyobyou02Flg] [int] NULL,
    [iHKSyobyou03Flg] [int] NULL,
    [iHKSyobyou04Flg] [int] NULL,
    [iHKSyobyou05Flg] [int] NULL,
    [iHKSyobyou06Flg] [int] NULL,
    [iHKSyobyou07Flg] [int] NULL,
    [iSyoujouSonota] [int] NULL,
    [cSyoujouSonota] [nvarchar](24) NULL,
    [cBikou] [nvarchar](200) NULL,
    CONSTRAINT [PK_RIYOUSHA_SUB] PRIMARY KEY CLUSTERED ([iKyotenCd] ASC, [iKyotenEb] ASC, [nIDNo] ASC) ON [PRIMARY]
) ON [PRIMARY]
GO

-- Consent records; nDate is the record's date as yyyymmdd.
CREATE TABLE [dbo].[RIYOUSHA_DOUI_REC](
    [iKyotenCd] [int] NOT NULL,
    [iKyotenEb] [int] NOT NULL,
    [nIDNo] [int] NOT NULL,
    [nDate] [int] NOT NULL,
    [tDouiKaryoS] [datetime] NULL,
    [tDouiKaryoE] [datetime] NULL,
    [iHenkeiFlg] [int] NULL,
    [cByoumeiM] [nvarchar](100) NULL,
    [iHKSyobyou01Flg] [int] NULL,
    [iHKSyobyou02Flg] [int] NULL,
    [iHKSyobyou03Flg] [int] NULL,
    [iHKSyobyou04Flg] [int] NULL,
    [iHKSyobyou05Flg] [int] NULL,
    [iHKSyobyou06Flg] [int] NULL,
    [iHKSyobyou07Flg] [int] NULL,
    [cByoumeiH] [nvarchar](100) NULL,
    CONSTRAINT [PK_RIYOUSHA_DOUI_REC] PRIMARY KEY CLUSTERED
        ([iKyotenCd] ASC, [iKyotenEb] ASC, [nIDNo] ASC, [nDate] ASC) ON [PRIMARY]
) ON [PRIMARY]
GO

-- Treatment records.
CREATE TABLE [dbo].[JISSEKI](
    [iKyotenCd] [int] NOT NULL,
    [iKyotenEb] [int] NOT NULL,
    [nJissekiNo] [int] NOT NULL,
    [nRiyoushaIDNo] [int] NOT NULL,
    [nStaffIDNo] [int] NULL,
    [tServicyDayStart] [datetime] NULL,
    [tServicyDayEnd] [datetime] NULL,
    [iSeikyuKbn] [int] NULL,
    [iSejutuBui1] [int] NULL,
    [iSejutuBui2] [int] NULL,
    [iSejutuBui3] [int] NULL,
    [iSejutuBui4] [int] NULL,
    [iSejutuBui5] [int] NULL,
    [iHariUmu] [int] NULL,
    [iKyuuUmu] [int] NULL,
    [iDenkiHariKyuuUmu] [int] NULL,
    [iHoseUmu] [int] NULL,
    [nLenFix] [int] NULL,
    [iDelFlg_Henrei] [int] NULL,
    CONSTRAINT [PK_JISSEKI] PRIMARY KEY CLUSTERED ([iKyotenCd] ASC, [iKyotenEb] ASC, [nJissekiNo] ASC) ON [PRIMARY]
) ON [PRIMARY]
GO

CREATE NONCLUSTERED INDEX [IX_JISSEKI_RIYOUSHA] ON [dbo].[JISSEKI]
    ([iKyotenCd] ASC, [iKyotenEb] ASC, [nRiyoushaIDNo] ASC, [tServicyDayStart] ASC) ON [PRIMARY]
GO

-- The month's totals per user.
CREATE TABLE [dbo].[月間実績](
    [iKyotenCd] [int] NOT NULL,
    [iKyotenEb] [int] NOT NULL,
    [患者IDNo] [int] NOT NULL,
    [実績年] [int] NOT NULL,
    [実績月] [int] NOT NULL,
    [施術回数] [int] NULL,
    CONSTRAINT [PK_月間実績] PRIMARY KEY CLUSTERED
        ([iKyotenCd] ASC, [iKyotenEb] ASC, [患者IDNo] ASC, [実績年] ASC, [実績月] ASC) ON [PRIMARY]
) ON [PRIMARY]
GO

-- Scheduled treatments; nDate is yyyymmdd.
CREATE TABLE [dbo].[SCHEDULE](
    [iKyotenCd] [int] NOT NULL,
    [iKyotenEb] [int] NOT NULL,
    [nScheduleNo] [int] NOT NULL,
    [nIDRiyoushaNo] [int] NOT NULL,
    [nIDStaffNo] [int] NULL,
    [nDate] [int] NULL,
    [iSeikyuKbn] [int] NULL,
    [iHoseUmu] [int] NULL,
    [nLenFix] [int] NULL,
    CONSTRAINT [PK_SCHEDULE] PRIMARY KEY CLUSTERED ([iKyotenCd] ASC, [iKyotenEb] ASC, [nScheduleNo] ASC) ON [PRIMARY]
) ON [PRIMARY]
GO

-- Schedules as seen when practitioners are shared between branches.
CREATE VIEW [dbo].[SCHEDULE_JOIN] AS
SELECT SCHEDULE.iKyotenCd, SCHEDULE.iKyotenEb, SCHEDULE.nScheduleNo, SCHEDULE.nIDRiyoushaNo,
       SCHEDULE.nIDStaffNo, SCHEDULE.nDate, SCHEDULE.iSeikyuKbn, SCHEDULE.iHoseUmu, SCHEDULE.nLenFix
  FROM [dbo].[SCHEDULE]
GO
