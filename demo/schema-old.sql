-- Run after schema.sql: turns the current layout into the oldest one the program supports.
-- No RIYOUSHA_DOUI_REC; RIYOUSHA_SUB without the disease flags and symptom columns; JISSEKI
-- without iHoseUmu, nLenFix and iDelFlg_Henrei; OVER16COUNT of the first layout (no symptom
-- columns, cRiyuu of 1000 bytes).

DROP TABLE [dbo].[RIYOUSHA_DOUI_REC]
GO

DROP TABLE [dbo].[RIYOUSHA_SUB]
GO

CREATE TABLE [dbo].[RIYOUSHA_SUB](
    [iKyotenCd] [int] NOT NULL,
    [iKyotenEb] [int] NOT NULL,
    [nIDNo] [int] NOT NULL,
    [cBikou] [nvarchar](200) NULL,
    CONSTRAINT [PK_RIYOUSHA_SUB] PRIMARY KEY CLUSTERED ([iKyotenCd] ASC, [iKyotenEb] ASC, [nIDNo] ASC) ON [PRIMARY]
) ON [PRIMARY]
GO

DROP TABLE [dbo].[JISSEKI]
GO

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
    CONSTRAINT [PK_JISSEKI] PRIMARY KEY CLUSTERED ([iKyotenCd] ASC, [iKyotenEb] ASC, [nJissekiNo] ASC) ON [PRIMARY]
) ON [PRIMARY]
GO

CREATE NONCLUSTERED INDEX [IX_JISSEKI_RIYOUSHA] ON [dbo].[JISSEKI]
    ([iKyotenCd] ASC, [iKyotenEb] ASC, [nRiyoushaIDNo] ASC, [tServicyDayStart] ASC) ON [PRIMARY]
GO

CREATE TABLE [dbo].[OVER16COUNT](
    [iKyotenCd] [int] NOT NULL,
    [iKyotenEb] [int] NOT NULL,
    [nKanjaID] [int] NOT NULL,
    [iYear] [int] NOT NULL,
    [iMonth] [int] NOT NULL,
    [iNegaeri] [int] NULL,
    [iOkiagari] [int] NULL,
    [iZai] [int] NULL,
    [iTachiagari] [int] NULL,
    [iRitsui] [int] NULL,
    [iNRS] [int] NULL,
    [iZenkaiHyoukaUmu] [int] NULL,
    [iZenkaiHyoukaHenaka] [int] NULL,
    [cRiyuu] [nvarchar](500) NULL,
    [cHyoukaDay] [nvarchar](10) NULL,
    [nStaffID] [int] NULL,
    [cSyoumeiDay] [nvarchar](10) NULL,
    CONSTRAINT [PK_OVER16COUNT] PRIMARY KEY CLUSTERED
        ([iKyotenCd] ASC, [iKyotenEb] ASC, [nKanjaID] ASC, [iYear] ASC, [iMonth] ASC) ON [PRIMARY]
) ON [PRIMARY]
GO
