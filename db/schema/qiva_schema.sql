-- qiva_schema.sql: the clinic database tables and procedure that the imports expect to exist.
-- Runs on SQL Server (sqlcmd or Management Studio, GO separates batches) and creates every new
-- embedded database. The tables that the imports create themselves are not here.
SET NOCOUNT ON
GO

-- General catalogues
CREATE TABLE [dbo].[QIVA_LABORATORIES_SERVICES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[name] [varchar](1024) NULL,
	[highLevel] [bit] NOT NULL DEFAULT 0,
	[recByPC] [bit] NOT NULL DEFAULT 0,
	[Formula] [bit] NOT NULL DEFAULT 0,
	[InClinic] [bit] NOT NULL DEFAULT 0,
	[ValidFrom] [datetime] NULL,
	[validTo] [datetime] NULL,
	[ServiceType] [int] NULL,
	CONSTRAINT [PK_QIVA_LABORATORIES_SERVICES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_PERSON_STATES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[description] [varchar](1024) NULL,
	CONSTRAINT [PK_QIVA_PERSON_STATES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_PERSON_TYPES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[description] [varchar](1024) NULL,
	[isForeign] [bit] NOT NULL DEFAULT 0,
	CONSTRAINT [PK_QIVA_PERSON_TYPES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_PERSON_CATEGORY] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[description] [varchar](1024) NULL,
	[restrictedMinAge] [int] NULL,
	[supportsOverlapping] [bit] NOT NULL DEFAULT 0,
	[definedByAge] [bit] NOT NULL DEFAULT 0,
	[maxDuration] [int] NULL,
	[maxDurationRoundType] [varchar](120) NULL,
	[personState] [varchar](120) NULL,
	[priority] [int] NULL,
	[isOptional] [bit] NOT NULL DEFAULT 0,
	[canBeReported] [int] NULL,
	[validFrom] [datetime] NULL,
	CONSTRAINT [PK_QIVA_PERSON_CATEGORY] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_MED_SRV_PACKS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[name] [varchar](1024) NULL,
	CONSTRAINT [PK_QIVA_MED_SRV_PACKS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_INSURANCE_HOUSE] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[name] [varchar](1024) NULL,
	[type] [varchar](120) NULL,
	[validFrom] [datetime] NULL,
	CONSTRAINT [PK_QIVA_INSURANCE_HOUSE] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_SPECIALITIES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[name] [varchar](1024) NULL,
	[validFrom] [datetime] NULL,
	CONSTRAINT [PK_QIVA_SPECIALITIES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_CLINIC_SERVICES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[name] [varchar](1024) NULL,
	[serviceGroup] [varchar](120) NULL,
	[isExam] [bit] NOT NULL DEFAULT 0,
	[opRoom] [bit] NOT NULL DEFAULT 0,
	[isConnectedService] [bit] NOT NULL DEFAULT 0,
	[validFrom] [datetime] NULL,
	[validTo] [datetime] NULL,
	CONSTRAINT [PK_QIVA_CLINIC_SERVICES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_CLIN_SRV_MED_PACK] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[service] [varchar](120) NULL,
	[medSrvPack] [varchar](120) NULL,
	[validFrom] [datetime] NULL,
	[points] [decimal](18, 2) NULL,
	[pointsCtrl] [decimal](18, 2) NULL,
	[validTo] [datetime] NULL,
	[valueLei] [decimal](18, 2) NULL,
	[pointsSrg] [decimal](18, 2) NULL,
	CONSTRAINT [PK_QIVA_CLIN_SRV_MED_PACK] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_CLIN_SRV_GRP_SPECIALITIES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[SERVICEGROUP] [varchar](120) NULL,
	[SPECIALITY] [varchar](120) NULL,
	[validFrom] [datetime] NULL,
	[validTo] [datetime] NULL,
	CONSTRAINT [PK_QIVA_CLIN_SRV_GRP_SPECIALITIES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_ERRORS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[text] [varchar](1024) NULL,
	[validFrom] [datetime] NULL,
	[validTo] [datetime] NULL,
	CONSTRAINT [PK_QIVA_ERRORS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_CHRONIC_DISEASES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[Description] [varchar](1024) NULL,
	[displayOrder] [int] NULL,
	[validFrom] [datetime] NULL,
	[validTo] [datetime] NULL,
	CONSTRAINT [PK_QIVA_CHRONIC_DISEASES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_REC_SERVICES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[name] [varchar](1024) NULL,
	[tariff] [float] NULL,
	[serviceType] [varchar](120) NULL,
	[validFrom] [datetime] NULL,
	[validTo] [datetime] NULL,
	CONSTRAINT [PK_QIVA_REC_SERVICES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_MEDICAL_FORM_TYPES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[name] [varchar](1024) NULL,
	[VALIDFROM] [datetime] NULL,
	[validTo] [datetime] NULL,
	CONSTRAINT [PK_QIVA_MEDICAL_FORM_TYPES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_THERAPEUTICAL_SCHEMAS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[VALIDFROM] [datetime] NULL,
	[validTo] [datetime] NULL,
	[description] [varchar](1024) NULL,
	[diseaseCategory] [varchar](120) NULL,
	[nhpCode] [varchar](120) NULL,
	[formType] [varchar](120) NULL,
	CONSTRAINT [PK_QIVA_THERAPEUTICAL_SCHEMAS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_ICD10] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[description] [varchar](1024) NULL,
	[VALID_FROM] [datetime] NULL,
	[valid_To] [datetime] NULL,
	[diseasecategory] [varchar](120) NULL,
	CONSTRAINT [PK_QIVA_ICD10] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO

-- Referring physicians, and the record of each activation of a new physicians list
CREATE TABLE [dbo].[QIVA_PHYSICIANS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[PID] [varchar](120) NULL,
	[NAME] [varchar](1024) NULL,
	[LASTNAME] [varchar](1024) NULL,
	[FIRSTNAME] [varchar](1024) NULL,
	[STENCIL] [varchar](120) NULL,
	[VALIDFROM] [datetime] NULL,
	[VALIDTO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_PHYSICIANS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_PHYSICIAN_SPECIALITIES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[STENCIL] [varchar](120) NULL,
	[CONTRACTNO] [varchar](120) NULL,
	[INSURANCEHOUSE] [varchar](120) NULL,
	[CONTRACTTYPE] [varchar](120) NULL,
	[PHYSICIANTYPE] [varchar](120) NULL,
	[SPECIALITYCODE] [varchar](120) NULL,
	[VALIDFROM] [datetime] NULL,
	[VALIDTO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_PHYSICIAN_SPECIALITIES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_PHYSICIANS_ACTIVATIONS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[ActivatedAt] [datetime] NOT NULL DEFAULT (getdate()),
	[PhysicianCount] [int] NULL,
	[SpecialityCount] [int] NULL,
	CONSTRAINT [PK_QIVA_PHYSICIANS_ACTIVATIONS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO

-- The provider's personalisation
CREATE TABLE [dbo].[QIVA_P_PROVIDER] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[CODE] [varchar](120) NULL,
	[NAME] [varchar](1024) NULL,
	[UIC] [varchar](120) NULL,
	CONSTRAINT [PK_QIVA_P_PROVIDER] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_P_CONTRACTS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[contractNo] [varchar](120) NULL,
	[contractDate] [datetime] NULL,
	[validFrom] [datetime] NULL,
	[validTo] [datetime] NULL,
	[orgUnitCode] [varchar](120) NULL,
	[categoryCode] [varchar](120) NULL,
	CONSTRAINT [PK_QIVA_P_CONTRACTS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_P_EMPLOYEES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[pid] [varchar](120) NULL,
	[firstName] [varchar](1024) NULL,
	[lastName] [varchar](1024) NULL,
	[stencilNo] [varchar](120) NULL,
	CONSTRAINT [PK_QIVA_P_EMPLOYEES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_P_EMPLOYEES_SPECIALITIES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[employeePid] [varchar](120) NULL,
	[code] [varchar](120) NULL,
	[increasePercentProfDegree] [float] NULL,
	CONSTRAINT [PK_QIVA_P_EMPLOYEES_SPECIALITIES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_P_SERVICES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[tariff] [decimal](18, 2) NULL,
	[quantity] [int] NULL,
	[validfrom] [datetime] NULL,
	[validTo] [datetime] NULL,
	CONSTRAINT [PK_QIVA_P_SERVICES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO

-- Pharmaceutical catalogues
CREATE TABLE [dbo].[QIVA_DISEASE_CATEGORIES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[CODE] [varchar](120) NULL,
	[DESCRIPTION] [varchar](1024) NULL,
	[isChronicDisease] [bit] NOT NULL DEFAULT 0,
	[isAuctioned] [bit] NOT NULL DEFAULT 0,
	[VALIDFROM] [datetime] NULL,
	[VALIDTO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_DISEASE_CATEGORIES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_COPAYMENT_LIST_TYPES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[CODE] [varchar](120) NULL,
	[DESCRIPTION] [varchar](1024) NULL,
	[percent] [int] NULL,
	[VALIDFROM] [datetime] NULL,
	[drugMaxNo] [int] NULL,
	[maxValue] [int] NULL,
	[VALIDTO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_COPAYMENT_LIST_TYPES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_COPAYMENT_LIST_TYPE_PERS_STATE] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[copaymentListType] [varchar](120) NULL,
	[personState] [varchar](120) NULL,
	[percent] [int] NULL,
	[VALIDFROM] [datetime] NULL,
	[VALIDTO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_COPAYMENT_LIST_TYPE_PERS_STATE] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_COPAYMENT_LIST_DRUGS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[copaymentListType] [varchar](120) NULL,
	[drug] [varchar](120) NULL,
	[maxPrice] [decimal](18, 2) NULL,
	[maxPriceUT] [decimal](18, 6) NULL,
	[copaymentValue] [decimal](18, 6) NULL,
	[copaymentValue90] [decimal](18, 6) NULL,
	[wholeSalePrice] [decimal](18, 2) NULL,
	[referencePrice] [decimal](18, 6) NULL,
	[specialLaw] [bit] NOT NULL DEFAULT 0,
	[needApproval] [varchar](120) NULL,
	[overValue] [decimal](18, 2) NULL,
	[needSpecialty] [int] NULL,
	[classifInsulin] [int] NULL,
	[hgDci] [varchar](120) NULL,
	[hgAtc] [varchar](120) NULL,
	[diseaseCode] [varchar](120) NULL,
	[validFrom] [datetime] NULL,
	[validTo] [datetime] NULL,
	CONSTRAINT [PK_QIVA_COPAYMENT_LIST_DRUGS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_PHARMACEUTICAL_FORMS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](1024) NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_PHARMACEUTICAL_FORMS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_CONCENTRATIONS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[concentration] [varchar](1024) NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_CONCENTRATIONS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_PRESCRIPTION_TYPES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[description] [varchar](1024) NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	[For_Narcotics] [bit] NULL,
	CONSTRAINT [PK_QIVA_PRESCRIPTION_TYPES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_NHPS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[description] [varchar](1024) NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	[has_Ambulatory_Budget] [int] NULL,
	[has_Hospital_Budget] [int] NULL,
	CONSTRAINT [PK_QIVA_NHPS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_ACTIVE_SUBSTANCES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](1024) NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_ACTIVE_SUBSTANCES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_ATCS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[description] [varchar](1024) NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	[PARENT_ATC] [varchar](120) NULL,
	CONSTRAINT [PK_QIVA_ATCS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_GOODS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[name] [varchar](1024) NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_GOODS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_PACKAGE_MODES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](1024) NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_PACKAGE_MODES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_NHP_CATEGORIES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[name] [varchar](1024) NULL,
	[NHPCode] [varchar](120) NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_NHP_CATEGORIES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_NHP_DRUG_TYPES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[description] [varchar](1024) NULL,
	CONSTRAINT [PK_QIVA_NHP_DRUG_TYPES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_NHP_DRUGS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[type] [varchar](120) NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	[nhp] [int] NULL,
	CONSTRAINT [PK_QIVA_NHP_DRUGS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_DRUGS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[code] [varchar](120) NULL,
	[name] [varchar](1024) NULL,
	[presentation_mode] [varchar](1024) NULL,
	[is_narcotic] [int] NULL,
	[is_fractional] [bit] NULL,
	[is_special] [bit] NULL,
	[has_bio_echiv] [bit] NULL,
	[qty_per_package] [int] NULL,
	[price_per_package] [int] NULL,
	[whole_sale_price_per_package] [int] NULL,
	[prescription_mode] [varchar](120) NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	[active_substance] [varchar](1024) NULL,
	[concentration] [varchar](1024) NULL,
	[pharmaceutical_form] [varchar](1024) NULL,
	[company] [varchar](1024) NULL,
	[country] [varchar](120) NULL,
	[atc] [varchar](120) NULL,
	CONSTRAINT [PK_QIVA_DRUGS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO

-- Day-hospital tariffs (per location after qiva_locations.sql)
CREATE TABLE [dbo].[QIVA_DAILY_CASES_TARIFFS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[SERVICE_CODE] [varchar](120) NULL,
	[NAME] [varchar](1024) NULL,
	[DEPARTMENT_CODE] [varchar](120) NULL,
	[TARIFF] [float] NULL,
	[NO_CONTRACTED_DAILY_CASES] [int] NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_DAILY_CASES_TARIFFS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_DAILY_SERVICES_TARIFFS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[CODE] [varchar](120) NULL,
	[TARIFF] [float] NULL,
	[NOCONTRACTEDDAILYSERVICES] [int] NULL,
	[VALID_FROM] [datetime] NULL,
	[VALID_TO] [datetime] NULL,
	CONSTRAINT [PK_QIVA_DAILY_SERVICES_TARIFFS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO

-- Hospital pharmacy register errors
CREATE TABLE [dbo].[QIVA_STOCKS_ERRORS_RETURNED] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[appID] [int] NULL,
	[ErrorCode] [varchar](120) NULL,
	[Comments] [varchar](1024) NULL,
	CONSTRAINT [PK_QIVA_STOCKS_ERRORS_RETURNED] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO

-- Hospital feedback (per location after qiva_locations.sql)
CREATE TABLE [dbo].[QIVA_FEEDBACK] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[StartDate] [datetime] NULL,
	[EndDate] [datetime] NULL,
	[ReportType] [int] NULL,
	CONSTRAINT [PK_QIVA_FEEDBACK] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_FEEDBACK_HOSPITAL_CONTINUE] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[FeedbackID] [int] NULL,
	[AppID] [int] NULL,
	[MedicalSheetNo] [varchar](120) NULL,
	[CaseId] [varchar](120) NULL,
	[DrgGroupCode] [varchar](120) NULL,
	[DrgRelativeValue] [float] NULL,
	[ReleasedCaseType] [int] NULL,
	[StateCNAS] [int] NULL,
	[StateSNSPMS] [int] NULL,
	CONSTRAINT [PK_QIVA_FEEDBACK_HOSPITAL_CONTINUE] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[FeedbackHospitalContinueID] [int] NULL,
	[ErrorCode] [varchar](120) NULL,
	[ErrorName] [varchar](1024) NULL,
	[ErrorType] [varchar](120) NULL,
	CONSTRAINT [PK_QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_FEEDBACK_HOSPITAL_DAY] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[FeedbackID] [int] NULL,
	[AppID] [int] NULL,
	[MedicalSheetNo] [varchar](120) NULL,
	[CaseId] [varchar](120) NULL,
	[StateCNAS] [varchar](120) NULL,
	[StateSNSPMS] [int] NULL,
	[TariffType] [int] NULL,
	CONSTRAINT [PK_QIVA_FEEDBACK_HOSPITAL_DAY] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[FeedbackHospitalDayID] [int] NULL,
	[AppID] [int] NULL,
	[VisitID] [varchar](120) NULL,
	[ServiceCode] [varchar](120) NULL,
	[StateCNAS] [int] NULL,
	[StateSNSPMS] [int] NULL,
	CONSTRAINT [PK_QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[feedbackDayServiceID] [int] NULL,
	[ErrorCode] [varchar](120) NULL,
	[ErrorName] [varchar](1024) NULL,
	[ErrorType] [varchar](120) NULL,
	CONSTRAINT [PK_QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO
CREATE TABLE [dbo].[QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[FeedbackHospitalDayID] [int] NULL,
	[ErrorCode] [varchar](120) NULL,
	[ErrorName] [varchar](1024) NULL,
	[ErrorType] [varchar](120) NULL,
	CONSTRAINT [PK_QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO

-- The provider's locations
CREATE TABLE [dbo].[n_locations] (
	[id] [int] IDENTITY(1,1) NOT NULL,
	[locationName] [varchar](255) NOT NULL,
	CONSTRAINT [PK_n_locations] PRIMARY KEY CLUSTERED ([id] ASC)
) ON [PRIMARY]
GO

-- Run by the referring physicians import once the new list is loaded: records when the list was
-- activated and how many physicians and specialities it holds.
CREATE PROCEDURE [dbo].[QIVA_PHYSICIANS_ACTIVATE]
AS
	INSERT INTO QIVA_PHYSICIANS_ACTIVATIONS (ActivatedAt) VALUES (getdate())
	UPDATE QIVA_PHYSICIANS_ACTIVATIONS
		SET PhysicianCount = (SELECT count(*) FROM QIVA_PHYSICIANS),
		    SpecialityCount = (SELECT count(*) FROM QIVA_PHYSICIAN_SPECIALITIES)
		WHERE id = (SELECT max(id) FROM QIVA_PHYSICIANS_ACTIVATIONS)
GO
