delete from QIVA_LABORATORIES_SERVICES
GO
insert into QIVA_LABORATORIES_SERVICES (code,name,highLevel,recByPC,Formula,InClinic,ValidFrom,validTo,ServiceType)						values ('2.1','Hemoleucogramă completă',0,1,0,1,'2018-01-01','',1)
GO
insert into QIVA_LABORATORIES_SERVICES (code,name,highLevel,recByPC,Formula,InClinic,ValidFrom,validTo,ServiceType)						values ('2.2','Viteză de sedimentare a hematiilor',0,1,0,1,'2018-01-01','2030-12-31',1)
GO
insert into QIVA_LABORATORIES_SERVICES (code,name,highLevel,recByPC,Formula,InClinic,ValidFrom,validTo,ServiceType)						values ('2.3','Glicemie (pe nemâncate)',0,1,0,1,'2018-01-01','2019-12-31',1)
GO
insert into QIVA_LABORATORIES_SERVICES (code,name,highLevel,recByPC,Formula,InClinic,ValidFrom,validTo,ServiceType)						values ('2.4','Testul Papanicolau &lt; 30 ani',1,0,0,0,'2018-01-01','',2)
GO
update qiva_laboratories_services set validto=null where validto='1900-01-01 00:00:00.000'
GO
delete from qiva_laboratories_services where getdate() not between validfrom and isnull(validto,getdate())
GO
 update qiva_laboratories_services set name=replace(name,'ă','a')
				update qiva_laboratories_services set name=replace(name,'ş','s')
				update qiva_laboratories_services set name=replace(name,'ţ','t')
				update qiva_laboratories_services set name=replace(name,'&lt;','<')
				update qiva_laboratories_services set name=replace(name,'î','i')
				update qiva_laboratories_services set name=replace(name,'â','a')
GO
delete from QIVA_PERSON_STATES
GO
insert into QIVA_PERSON_STATES (code,description) values ('1','Asigurat')
GO
insert into QIVA_PERSON_STATES (code,description) values ('2','Neasigurat')
GO
insert into QIVA_PERSON_STATES (code,description) values ('3','Asigurat pe bază de card european')
GO
delete from QIVA_PERSON_TYPES
GO
insert into QIVA_PERSON_TYPES (code,description,isForeign) values ('CNP','Cetățean român',0)
GO
insert into QIVA_PERSON_TYPES (code,description,isForeign) values ('CE','Cetățean străin UE',1)
GO
insert into QIVA_PERSON_TYPES (code,description,isForeign) values ('PASS','Pașaport',0)
GO
delete from QIVA_PERSON_CATEGORY
GO
insert into QIVA_PERSON_CATEGORY (code,description,restrictedMinAge,supportsOverlapping,definedByAge,maxDuration,maxDurationRoundType,personState,priority,isOptional,canBeReported,validFrom)								values ('1','Salariat',18,1,0,0,'','1',10,0,1,'2010-01-01')
GO
insert into QIVA_PERSON_CATEGORY (code,description,restrictedMinAge,supportsOverlapping,definedByAge,maxDuration,maxDurationRoundType,personState,priority,isOptional,canBeReported,validFrom)								values ('2','Copil (< 18 ani)',0,0,1,18,'Y','1',1,1,1,'2010-01-01')
GO
insert into QIVA_PERSON_CATEGORY (code,description,restrictedMinAge,supportsOverlapping,definedByAge,maxDuration,maxDurationRoundType,personState,priority,isOptional,canBeReported,validFrom)								values ('3','Pensionar',0,0,0,0,'','',0,0,0,'')
GO
delete from QIVA_MED_SRV_PACKS
GO
insert into QIVA_MED_SRV_PACKS (code,name) values ('P1','Pachet de bază')
GO
insert into QIVA_MED_SRV_PACKS (code,name) values ('P2','Pachet minimal')
GO
select id from QIVA_INSURANCE_HOUSE where code='CJ'
GO
insert into QIVA_INSURANCE_HOUSE (code,name,type,validFrom) values ('CJ','Casa de Asigurări de Sănătate Cluj','J','2002-01-01')
GO
select id from QIVA_INSURANCE_HOUSE where code='B'
GO
insert into QIVA_INSURANCE_HOUSE (code,name,type,validFrom) values ('B','Casa de Asigurări de Sănătate a Municipiului București','J','2002-01-01')
GO
select id from QIVA_INSURANCE_HOUSE where code='OPSNAJ'
GO
insert into QIVA_INSURANCE_HOUSE (code,name,type,validFrom) values ('OPSNAJ','Casa OPSNAJ','','')
GO
select id from QIVA_SPECIALITIES where code='M01'
GO
insert into QIVA_SPECIALITIES (code,name,validFrom) values ('M01','Medicină internă','2005-01-01')
GO
select id from QIVA_SPECIALITIES where code='M02'
GO
insert into QIVA_SPECIALITIES (code,name,validFrom) values ('M02','Cardiologie','2005-01-01')
GO
select id from QIVA_SPECIALITIES where code='M03'
GO
insert into QIVA_SPECIALITIES (code,name,validFrom) values ('M03','Obstetrică-ginecologie','')
GO
delete from QIVA_CLINIC_SERVICES
GO
insert into QIVA_CLINIC_SERVICES (code,name,serviceGroup,isExam,opRoom,isConnectedService,validFrom,validTo) values ('C01','Consultaţie de specialitate','G1',1,0,0,'2019-01-01','')
GO
insert into QIVA_CLINIC_SERVICES (code,name,serviceGroup,isExam,opRoom,isConnectedService,validFrom,validTo) values ('C02','Ecografie abdominală şi pelvină','G2',0,0,1,'2019-01-01','2031-12-31')
GO
insert into QIVA_CLINIC_SERVICES (code,name,serviceGroup,isExam,opRoom,isConnectedService,validFrom,validTo) values ('C03','Mică chirurgie – sutură','G3',0,1,0,'2015-01-01','2016-12-31')
GO
insert into QIVA_CLINIC_SERVICES (code,name,serviceGroup,isExam,opRoom,isConnectedService,validFrom,validTo) values ('C04','Consultaţie la domiciliu','G1',0,0,0,'2040-01-01','')
GO
 update QIVA_CLINIC_SERVICES set validTo=NULL where validto='19000101 00:00'
GO
 delete from QIVA_CLINIC_SERVICES where getdate() not between validFrom and ISNULL(validto,getdate())
GO
 update QIVA_CLINIC_SERVICES set name=replace(name,'ă','a')				update QIVA_CLINIC_SERVICES set name=replace(name,'ş','s')				update QIVA_CLINIC_SERVICES set name=replace(name,'ţ','t')				update QIVA_CLINIC_SERVICES set name=replace(name,'&lt;','<')				update QIVA_CLINIC_SERVICES set name=replace(name,'î','i')				update QIVA_CLINIC_SERVICES set name=replace(name,'â','a')
GO
delete from QIVA_CLIN_SRV_MED_PACK
GO
insert into QIVA_CLIN_SRV_MED_PACK (service,medSrvPack,validFrom,points,pointsCtrl,validTo,valueLei,pointsSrg) values ('C01','P1','2019-01-01',1.12,0.50,'',12.75,0.00)
GO
insert into QIVA_CLIN_SRV_MED_PACK (service,medSrvPack,validFrom,points,pointsCtrl,validTo,valueLei,pointsSrg) values ('C02','P1','2019-01-01',3.00,1.25,'2031-12-31',0.00,0.00)
GO
 update QIVA_CLIN_SRV_MED_PACK set validTo=NULL where validto='19000101 00:00'
GO
delete from QIVA_CLIN_SRV_GRP_SPECIALITIES 
GO
insert into QIVA_CLIN_SRV_GRP_SPECIALITIES (SERVICEGROUP,SPECIALITY,validFrom,validTo) values ('G1','M01','2019-01-01',NULL)
GO
insert into QIVA_CLIN_SRV_GRP_SPECIALITIES (SERVICEGROUP,SPECIALITY,validFrom,validTo) values ('G2','M02','2019-01-01','2030-01-01')
GO
delete from QIVA_ERRORS 
GO
insert into QIVA_ERRORS (code,text,validFrom,validTo) values ('E001','CNP-ul pacientului nu este valid','2015-01-01',NULL)
GO
insert into QIVA_ERRORS (code,text,validFrom,validTo) values ('E002','Serviciul nu este în contract','2015-01-01','2030-01-01')
GO
insert into QIVA_ERRORS (code,text,validFrom,validTo) values ('E003','Data serviciului este în afara perioadei de raportare','',NULL)
GO
select id from QIVA_CHRONIC_DISEASES where code='1'
GO
insert into QIVA_CHRONIC_DISEASES (code,Description,displayOrder,validFrom,validTo) values ('1','Afectiuni cardiovasculare',1,'2010-01-01',NULL)
GO
select id from QIVA_CHRONIC_DISEASES where code='2'
GO
insert into QIVA_CHRONIC_DISEASES (code,Description,displayOrder,validFrom,validTo) values ('2','Boala cronica de rinichi',2,'2010-01-01','2030-12-31')
GO
delete from QIVA_REC_SERVICES
GO
insert into QIVA_REC_SERVICES (code,name,tariff,serviceType,validFrom,validTo) values ('R01','Radiografie toracică – o incidenţă',45.50,'R','2019-01-01','19000101 00:00')
GO
insert into QIVA_REC_SERVICES (code,name,tariff,serviceType,validFrom,validTo) values ('R02','Tomografie computerizată',320,'I','2019-01-01','2031-06-30')
GO
 update QIVA_REC_SERVICES set validTo=NULL where validto='19000101 00:00'
GO
delete from QIVA_REC_SERVICES where getdate() not between validfrom and isnull(validto,getdate())
GO
 update QIVA_REC_SERVICES set name=replace(name,'ă','a')				update QIVA_REC_SERVICES set name=replace(name,'ş','s')				update QIVA_REC_SERVICES set name=replace(name,'ţ','t')				update QIVA_REC_SERVICES set name=replace(name,'&lt;','<')				update QIVA_REC_SERVICES set name=replace(name,'î','i')				update QIVA_REC_SERVICES set name=replace(name,'â','a')				update QIVA_REC_SERVICES set name=replace(name,'–','-')
GO
delete from QIVA_MEDICAL_FORM_TYPES 
GO
insert into QIVA_MEDICAL_FORM_TYPES (code,name,VALIDFROM,validTo) values ('BT','Bilet de trimitere','2014-01-01','19000101 00:00')
GO
 update QIVA_MEDICAL_FORM_TYPES set validTo=NULL where validto='19000101 00:00'
GO
insert into QIVA_MEDICAL_FORM_TYPES (code,name,VALIDFROM,validTo) values ('PR','Prescripţie medicală','2014-01-01','2030-01-01')
GO
 update QIVA_MEDICAL_FORM_TYPES set validTo=NULL where validto='19000101 00:00'
GO
insert into QIVA_MEDICAL_FORM_TYPES (code,name,VALIDFROM,validTo) values ('','Formular fără cod','','19000101 00:00')
GO
 update QIVA_MEDICAL_FORM_TYPES set validTo=NULL where validto='19000101 00:00'
GO
delete from QIVA_THERAPEUTICAL_SCHEMAS 
GO
insert into QIVA_THERAPEUTICAL_SCHEMAS (code,VALIDFROM,validTo,description,diseaseCategory,nhpCode,formType) 								values ('TS1','2020-01-01','19000101 00:00','Schemă de tratament pentru diabet','5','P5','FT1')
GO
 update QIVA_THERAPEUTICAL_SCHEMAS set validTo=NULL where validto='19000101 00:00'
GO
insert into QIVA_THERAPEUTICAL_SCHEMAS (code,VALIDFROM,validTo,description,diseaseCategory,nhpCode,formType) 								values ('TS2','2020-01-01','2030-01-01','Schemă oncologică',null,null,null)
GO
 update QIVA_THERAPEUTICAL_SCHEMAS set validTo=NULL where validto='19000101 00:00'
GO
delete from QIVA_ICD10
GO
insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) values ('A00','Holeră','2000-01-01','19000101 00:00','1')
GO
insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) values ('I10','Hipertensiunea esenţială (primară)','2000-01-01','2035-12-31','3')
GO
insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) values ('J45','Astmul bronşic al lui O''Brien','2000-01-01','19000101 00:00',null)
GO
insert into QIVA_ICD10 (code,description,VALID_FROM,valid_To,diseasecategory) values ('Z99','Cod retras','2000-01-01','2010-01-01',null)
GO
 update QIVA_ICD10 set valid_To=NULL where valid_to='19000101 00:00'
GO
 delete from QIVA_ICD10 where convert(datetime,convert(varchar(10),getdate(),103),103) not between valid_from and ISNULL(valid_to,getdate()) 
GO
