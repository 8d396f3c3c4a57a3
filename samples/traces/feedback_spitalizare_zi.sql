 select column_name from information_schema.columns where table_name = 'QIVA_DAILY_CASES_TARIFFS' and column_name='locationid'
GO
insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType)VALUES (CONVERT(datetime,'2021-03-01',120),CONVERT(datetime,'2021-03-31',120),2 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, AppID,MedicalSheetNo,CaseId,StateCNAS,StateSNSPMS,TariffType)VALUES (2,2209114,'FSZ 2103/0412','Z21-000412','1',1,-1 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, AppID,MedicalSheetNo,CaseId,StateCNAS,StateSNSPMS,TariffType)VALUES (2,2209117,'FSZ 2103/0415','Z21-000415','2',1,-2 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID, AppID,VisitID,ServiceCode,StateCNAS,StateSNSPMS)VALUES (2,3310452,'V21-008812','S.03.09',1,1 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID, AppID,VisitID,ServiceCode,StateCNAS,StateSNSPMS)VALUES (2,3310453,'V21-008813','S.03.11',2,1 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS] (feedbackDayServiceID,ErrorCode,ErrorName,ErrorType)VALUES (2,'E4011','Serviciul nu este contractat pentru specialitatea secției','E' )
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID, AppID,VisitID,ServiceCode,StateCNAS,StateSNSPMS)VALUES (2,3310454,'V21-008820','S.03.11',2,2 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS] (feedbackDayServiceID,ErrorCode,ErrorName,ErrorType)VALUES (3,'E4020','Vizita se suprapune cu o internare în spitalizare continuă','E' )
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS] (feedbackDayServiceID,ErrorCode,ErrorName,ErrorType)VALUES (3,'W4002','Serviciul a fost raportat de două ori în aceeași zi','W' )
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS] (FeedbackHospitalDayID,ErrorCode,ErrorName,ErrorType)VALUES (2,'E5001','Numărul de servicii depășește numărul maxim pentru tipul de tarif','E' )
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, AppID,MedicalSheetNo,CaseId,StateCNAS,StateSNSPMS,TariffType)VALUES (2,2209121,'FSZ 2103/0421','Z21-000421','1',0,-1 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID, AppID,VisitID,ServiceCode,StateCNAS,StateSNSPMS)VALUES (3,3310470,'V21-008901','C.02.01',NULL,NULL )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY] (FeedbackID, AppID,MedicalSheetNo,CaseId,StateCNAS,StateSNSPMS,TariffType)VALUES (2,2209130,'FSZ 2103/0430','Z21-000430','2',2,-2 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_ERRORS] (FeedbackHospitalDayID,ErrorCode,ErrorName,ErrorType)VALUES (4,'E5010','Cazul nu are nicio vizită validată','E' )
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES] (FeedbackHospitalDayID, AppID,VisitID,ServiceCode,StateCNAS,StateSNSPMS)VALUES (4,3310488,'V21-009004','S.01.02',2,2 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_DAY_SERVICES_ERRORS] (feedbackDayServiceID,ErrorCode,ErrorName,ErrorType)VALUES (5,'E4031','Codul de serviciu nu este valabil la data efectuării','E' )
GO
