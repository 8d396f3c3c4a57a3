delete from QIVA_DISEASE_CATEGORIES
GO
INSERT INTO QIVA_DISEASE_CATEGORIES (CODE,DESCRIPTION,isChronicDisease,isAuctioned,VALIDFROM,VALIDTO)						VALUES ('1','Boli cardiovasculare',1,0,convert (datetime,'2019-01-01',120), null )
GO
INSERT INTO QIVA_DISEASE_CATEGORIES (CODE,DESCRIPTION,isChronicDisease,isAuctioned,VALIDFROM,VALIDTO)						VALUES ('2','Diabet zaharat',1,1,convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120) )
GO
INSERT INTO QIVA_DISEASE_CATEGORIES (CODE,DESCRIPTION,isChronicDisease,isAuctioned,VALIDFROM,VALIDTO)						VALUES ('3','Boala Crohn''s',0,0,convert (datetime,'2020-04-01',120), null )
GO
delete from QIVA_COPAYMENT_LIST_TYPES
GO
INSERT INTO QIVA_COPAYMENT_LIST_TYPES (CODE,DESCRIPTION,[percent],VALIDFROM,drugMaxNo,maxValue,VALIDTO)						VALUES ('A','Sublista A - compensare 90%',90,convert (datetime,'2019-01-01',120), null,null,null )
GO
INSERT INTO QIVA_COPAYMENT_LIST_TYPES (CODE,DESCRIPTION,[percent],VALIDFROM,drugMaxNo,maxValue,VALIDTO)						VALUES ('B','Sublista B - compensare 50%',50,convert (datetime,'2019-01-01',120), 5,0,null )
GO
INSERT INTO QIVA_COPAYMENT_LIST_TYPES (CODE,DESCRIPTION,[percent],VALIDFROM,drugMaxNo,maxValue,VALIDTO)						VALUES ('C2','Programe nationale ''C2''',100,convert (datetime,'2019-01-01',120), 3,1500,convert (datetime,'2030-12-31',120) )
GO
delete from QIVA_COPAYMENT_LIST_TYPE_PERS_STATE
GO
INSERT INTO QIVA_COPAYMENT_LIST_TYPE_PERS_STATE (copaymentListType,personState,[percent],VALIDFROM,VALIDTO)						VALUES ('B','1',90,convert (datetime,'2019-01-01',120), null )
GO
INSERT INTO QIVA_COPAYMENT_LIST_TYPE_PERS_STATE (copaymentListType,personState,[percent],VALIDFROM,VALIDTO)						VALUES ('B','5',100,convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120) )
GO
delete from QIVA_COPAYMENT_LIST_DRUGS
GO
 SET NOCOUNT ON 

INSERT INTO QIVA_COPAYMENT_LIST_DRUGS (copaymentListType,drug,maxPrice,maxPriceUT,copaymentValue,copaymentValue90,wholeSalePrice,referencePrice,specialLaw,needApproval,overValue,needSpecialty,classifInsulin,hgDci,hgAtc,diseaseCode,validFrom,validTo)						VALUES ('A','W42001001',12.50,0.123457,11.250000,11.250000,10.40,0.123457,0,'NU',0.00,0,0,'D1','C10AA05','1',convert (datetime,'2021-01-01',120), null )
INSERT INTO QIVA_COPAYMENT_LIST_DRUGS (copaymentListType,drug,maxPrice,maxPriceUT,copaymentValue,copaymentValue90,wholeSalePrice,referencePrice,specialLaw,needApproval,overValue,needSpecialty,classifInsulin,hgDci,hgAtc,diseaseCode,validFrom,validTo)						VALUES ('B','W42002001',25.80,0.860000,12.900000,23.220000,21.50,0.860000,1,'DA',1.75,1,2,'D2','A10AB01','2',convert (datetime,'2021-01-01',120), convert (datetime,'2030-12-31',120) )
INSERT INTO QIVA_COPAYMENT_LIST_DRUGS (copaymentListType,drug,maxPrice,maxPriceUT,copaymentValue,copaymentValue90,wholeSalePrice,referencePrice,specialLaw,needApproval,overValue,needSpecialty,classifInsulin,hgDci,hgAtc,diseaseCode,validFrom,validTo)						VALUES ('C2','W42003001',340.00,0.000000,0.000000,0.000000,0.00,0.000000,0,'',0.00,0,0,'','','',convert (datetime,'2021-01-01',120), null )
GO
delete from QIVA_PHARMACEUTICAL_FORMS
GO
INSERT INTO QIVA_PHARMACEUTICAL_FORMS (code,VALID_FROM,VALID_TO)						VALUES ('COMPR. FILM.',convert (datetime,'2019-01-01',120), null )
GO
INSERT INTO QIVA_PHARMACEUTICAL_FORMS (code,VALID_FROM,VALID_TO)						VALUES ('SOL. INJ.',convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120) )
GO
delete from QIVA_CONCENTRATIONS
GO
 SET NOCOUNT ON 

INSERT INTO QIVA_CONCENTRATIONS (concentration,VALID_FROM,VALID_TO)						VALUES ('20mg',convert (datetime,'2019-01-01',120), null )
INSERT INTO QIVA_CONCENTRATIONS (concentration,VALID_FROM,VALID_TO)						VALUES ('100 UI/ml',convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120) )
GO
delete from QIVA_PRESCRIPTION_TYPES
GO
INSERT INTO QIVA_PRESCRIPTION_TYPES (code,description,VALID_FROM,VALID_TO,For_Narcotics)						VALUES ('P-RF','Prescriptie cu retinerea retetei',convert (datetime,'2019-01-01',120), null, '0')
GO
INSERT INTO QIVA_PRESCRIPTION_TYPES (code,description,VALID_FROM,VALID_TO,For_Narcotics)						VALUES ('P-6L','Reteta ''verde'' pentru stupefiante',convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120), '1')
GO
INSERT INTO QIVA_PRESCRIPTION_TYPES (code,description,VALID_FROM,VALID_TO,For_Narcotics)						VALUES ('OTC','Fara prescriptie',convert (datetime,'2019-01-01',120), null, null)
GO
delete from QIVA_NHPS
GO
INSERT INTO QIVA_NHPS (code,description,VALID_FROM,VALID_TO,has_Ambulatory_Budget,has_Hospital_Budget)						VALUES ('P3','Programul national de oncologie',convert (datetime,'2019-01-01',120), null, 1,1 )
GO
INSERT INTO QIVA_NHPS (code,description,VALID_FROM,VALID_TO,has_Ambulatory_Budget,has_Hospital_Budget)						VALUES ('P5','Programul national de diabet zaharat',convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120), 1,0 )
GO
delete from QIVA_ACTIVE_SUBSTANCES
GO
INSERT INTO QIVA_ACTIVE_SUBSTANCES (code,VALID_FROM,VALID_TO)						VALUES ('ATORVASTATINUM',convert (datetime,'2019-01-01',120), null )
GO
INSERT INTO QIVA_ACTIVE_SUBSTANCES (code,VALID_FROM,VALID_TO)						VALUES ('INSULINUM HUMANUM',convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120) )
GO
delete from QIVA_ATCS
GO
INSERT INTO QIVA_ATCS (code,description,VALID_FROM,VALID_TO,PARENT_ATC)						VALUES ('C10AA','Inhibitori de HMG CoA reductaza',convert (datetime,'2019-01-01',120), null, null )
GO
INSERT INTO QIVA_ATCS (code,description,VALID_FROM,VALID_TO,PARENT_ATC)						VALUES ('C10AA05','Atorvastatinum',convert (datetime,'2019-01-01',120), null, 'C10AA' )
GO
INSERT INTO QIVA_ATCS (code,description,VALID_FROM,VALID_TO,PARENT_ATC)						VALUES ('A10AB01','Insulina (umana) ''rapida''',convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120), 'A10AB' )
GO
delete from QIVA_GOODS
GO
INSERT INTO QIVA_GOODS(code,name,VALID_FROM,VALID_TO)						VALUES ('M1','Teste de automonitorizare a glicemiei',convert (datetime,'2019-01-01',120), null )
GO
INSERT INTO QIVA_GOODS(code,name,VALID_FROM,VALID_TO)						VALUES ('M2','Ace pentru pen',convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120) )
GO
delete from QIVA_PACKAGE_MODES
GO
 SET NOCOUNT ON 

INSERT INTO QIVA_PACKAGE_MODES (code,VALID_FROM,VALID_TO)						VALUES ('cutie x 30 compr. film.',convert (datetime,'2019-01-01',120), null )
INSERT INTO QIVA_PACKAGE_MODES (code,VALID_FROM,VALID_TO)						VALUES ('cutie x 5 cartuse x 3 ml',convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120) )
GO
delete from QIVA_NHP_CATEGORIES
GO
INSERT INTO QIVA_NHP_CATEGORIES(code,name,NHPCode,VALID_FROM,VALID_TO)						VALUES ('P3.1','Tratamentul bolnavilor cu afectiuni oncologice','P3',convert (datetime,'2019-01-01',120), null )
GO
INSERT INTO QIVA_NHP_CATEGORIES(code,name,NHPCode,VALID_FROM,VALID_TO)						VALUES ('P5.1','Diabet zaharat de tip 1','P5',convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120) )
GO
delete from QIVA_NHP_DRUG_TYPES
GO
INSERT INTO QIVA_NHP_DRUG_TYPES(code,description)						VALUES ('CV','Contract cost-volum' )
GO
INSERT INTO QIVA_NHP_DRUG_TYPES(code,description)						VALUES ('N','' )
GO
delete from QIVA_NHP_DRUGS
GO
INSERT INTO QIVA_NHP_DRUGS(code,type,VALID_FROM,VALID_TO,nhp)						VALUES ('W42002001','CV',convert (datetime,'2019-01-01',120), null, 5 )
GO
INSERT INTO QIVA_NHP_DRUGS(code,type,VALID_FROM,VALID_TO,nhp)						VALUES ('W42004001','N',convert (datetime,'2019-01-01',120), convert (datetime,'2030-12-31',120), 3 )
GO
delete from QIVA_DRUGS
GO
 SET NOCOUNT ON 

INSERT INTO QIVA_DRUGS(code,name,presentation_mode,is_narcotic,is_fractional,is_special,							has_bio_echiv,qty_per_package,price_per_package,whole_sale_price_per_package,prescription_mode,							VALID_FROM,VALID_TO,active_substance,concentration,pharmaceutical_form,company,country,atc)						VALUES ('W42001001','SORTIS 20 mg','Cutie x 30 compr. film.',0,'0','0','1',30,37,31,'P-RF',convert (datetime,'2021-01-01',120), null, 'ATORVASTATINUM','20mg','COMPR. FILM.','PFIZER EUROPE MA EEIG','BELGIA','C10AA05')
INSERT INTO QIVA_DRUGS(code,name,presentation_mode,is_narcotic,is_fractional,is_special,							has_bio_echiv,qty_per_package,price_per_package,whole_sale_price_per_package,prescription_mode,							VALID_FROM,VALID_TO,active_substance,concentration,pharmaceutical_form,company,country,atc)						VALUES ('W42002001','ACTRAPID 100 UI/ml','Cutie x 5 cartuse x 3 ml',0,'1','1','0',5,129,110,'P-RF',convert (datetime,'2021-01-01',120), convert (datetime,'2030-12-31',120), 'INSULINUM HUMANUM','100 UI/ml','SOL. INJ.','NOVO NORDISK A/S','DANEMARCA','A10AB01')
INSERT INTO QIVA_DRUGS(code,name,presentation_mode,is_narcotic,is_fractional,is_special,							has_bio_echiv,qty_per_package,price_per_package,whole_sale_price_per_package,prescription_mode,							VALID_FROM,VALID_TO,active_substance,concentration,pharmaceutical_form,company,country,atc)						VALUES ('W42004001','MORFINA 10 mg/ml','',1,'','','',10,0,0,'P-6L',convert (datetime,'2021-01-01',120), null, '','','','O''Neill Pharma','ROMANIA','')
GO
