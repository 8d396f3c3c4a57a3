drop table QIVA_NHP_INDICATORS 
GO
SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_TYPE='BASE TABLE' and TABLE_NAME='QIVA_NHP_INDICATORS' 
GO
CREATE TABLE [dbo].[QIVA_NHP_INDICATORS](						[ID] [int] IDENTITY(1,1) NOT NULL,						[CODE] [varchar](20) NOT NULL,						[DESCRIPTION] [varchar](255) NOT NULL,						[VALID_FROM] [datetime] NOT NULL,						[VALID_TO] [datetime] NULL,						[NHPCode] [varchar](30) NOT NULL,						[HAS_BUDGET] [bit] NOT NULL,						[allowCorrection] bit NOT NULL default 0					 CONSTRAINT [PK_QIVA_NHP_INDICATORS] PRIMARY KEY CLUSTERED 					(						[ID] ASC					)WITH (PAD_INDEX  = OFF, STATISTICS_NORECOMPUTE  = OFF, IGNORE_DUP_KEY = OFF, ALLOW_ROW_LOCKS  = ON, ALLOW_PAGE_LOCKS  = ON) ON [PRIMARY]					) ON [PRIMARY] 
GO
SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_TYPE='BASE TABLE' and TABLE_NAME='QIVA_MEDICAL_SUPPLIES' 
GO
CREATE TABLE [dbo].[QIVA_MEDICAL_SUPPLIES]( 						[ID] [int] IDENTITY(1,1) NOT NULL,						[Code] [varchar](100) NOT NULL,						[Description] [varchar](500) NULL,						[ValidFrom] [datetime] NOT NULL,						[ValidTo] [datetime] NULL,					 CONSTRAINT [PK_QIVA_MEDICAL_SUPPLIES] PRIMARY KEY CLUSTERED 					(						[ID] ASC					)WITH (PAD_INDEX  = OFF, STATISTICS_NORECOMPUTE  = OFF, IGNORE_DUP_KEY = OFF, ALLOW_ROW_LOCKS  = ON, ALLOW_PAGE_LOCKS  = ON) ON [PRIMARY]					) ON [PRIMARY] 
GO
delete from QIVA_MEDICAL_SUPPLIES 
GO
 insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) VALUES ('MS-P6-01','Teste de automonitorizare a glicemiei (bandelete)',convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120) )
GO
 insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) VALUES ('MS-P6-02','Ace pentru stilou injector de insulină 4 mm',convert (datetime,'2019-01-01',120), null )
GO
 insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) VALUES ('MS-P6-03','Lancete sterile pentru înțepare',convert (datetime,'2019-01-01',120), null )
GO
 insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) VALUES ('MS-P9-01','Pungi colectoare pentru stomă (sistem de 2 piese)',convert (datetime,'2020-04-01',120), null )
GO
 insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) VALUES ('MS-P9-02','Sonde urinare de unică folosință, lubrifiate',convert (datetime,'2020-04-01',120), convert (datetime,'2021-03-31',120) )
GO
 insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) VALUES ('MS-P4-01','Pansament cu argint pentru epidermoliza buloasă',convert (datetime,'2021-07-01',120), null )
GO
 insert into QIVA_MEDICAL_SUPPLIES (CODE,DESCRIPTION,VALIDFROM, VALIDTO ) VALUES ('MS-P11-01','Set de administrare pentru pompa de insulină "Accu-Chek"',convert (datetime,'2021-07-01',120), null )
GO
delete from QIVA_NHP_INDICATORS 
GO
 insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,ALLOWCORRECTION,VALID_TO ) VALUES ('P6.1','Număr de bolnavi cu diabet zaharat tratați cu insulină',convert (datetime,'2019-01-01',120),'P6',1,1, null )
GO
 insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,ALLOWCORRECTION,VALID_TO ) VALUES ('P6.2','Număr de copii cu diabet zaharat evaluați prin HbA1c',convert (datetime,'2019-01-01',120),'P6',1,0, null )
GO
 insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,ALLOWCORRECTION,VALID_TO ) VALUES ('P6.3','Număr de bolnavi cu pompă de insulină',convert (datetime,'2019-01-01',120),'P6',1,0, convert (datetime,'2022-12-31',120) )
GO
 insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,ALLOWCORRECTION,VALID_TO ) VALUES ('P3.1','Număr de bolnavi cu afecțiuni oncologice tratați',convert (datetime,'2020-01-01',120),'P3',1,1, null )
GO
 insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,ALLOWCORRECTION,VALID_TO ) VALUES ('P3.2','Număr de investigații PET-CT efectuate',convert (datetime,'2020-01-01',120),'P3',0,0, null )
GO
 insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,ALLOWCORRECTION,VALID_TO ) VALUES ('P9.1','Număr de bolnavi cu hemofilie și talasemie tratați',convert (datetime,'2020-04-01',120),'P9.1',1,0, null )
GO
 insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,ALLOWCORRECTION,VALID_TO ) VALUES ('P12.1','Număr de bolnavi cu boli rare (mucoviscidoză) – copii',convert (datetime,'2021-07-01',120),'P12',1,0, null )
GO
 insert into QIVA_NHP_INDICATORS (CODE,DESCRIPTION,VALID_FROM,NHPCODE,HAS_BUDGET,ALLOWCORRECTION,VALID_TO ) VALUES ('P2.1','Număr de teste pentru infecția HIV la gravida de tip O''Neill',convert (datetime,'2021-07-01',120),'P2',0,1, null )
GO
