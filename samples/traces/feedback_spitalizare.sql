 select column_name from information_schema.columns where table_name = 'QIVA_DAILY_CASES_TARIFFS' and column_name='locationid'
GO
insert into QIVA_FEEDBACK (StartDate,EndDate,ReportType)VALUES (CONVERT(datetime,'2021-03-01 02:00',120),CONVERT(datetime,'2021-03-31 03:00',120),1 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,CaseId,DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS)VALUES (1,1840312,'FO 2103/1245','21-0001245','G1011',1.3475,1,1,1 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,CaseId,DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS)VALUES (1,1840313,'FO 2103/1246','21-0001246','F3022',0.8912,1,2,1 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS] (FeedbackHospitalContinueID,ErrorCode,ErrorName,ErrorType)VALUES (2,'E1007','Diagnosticul principal nu este valid pentru grupa DRG raportată','E' )
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS] (FeedbackHospitalContinueID,ErrorCode,ErrorName,ErrorType)VALUES (2,'W2031','Durata de spitalizare depășește durata medie națională','W' )
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,CaseId,DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS)VALUES (1,1840320,'FO 2103/1251','21-0001251','O1062',0.5521,3,1,null )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,CaseId,DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS)VALUES (1,1840327,'FO 2103/1260','21-0001260','',null,2,2,2 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS] (FeedbackHospitalContinueID,ErrorCode,ErrorName,ErrorType)VALUES (4,'E1102','Pacientul nu figurează în SIUI ca ''asigurat'' la data internării','E' )
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,CaseId,DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS)VALUES (1,1840331,'FO 2103/1266','21-0001266','E3041',1.0210,1,2,1 )
select scope_identity() UID
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE_ERRORS] (FeedbackHospitalContinueID,ErrorCode,ErrorName,ErrorType)VALUES (5,'E3005','Card european de asigurări expirat la data internării','E' )
GO
INSERT INTO [QIVA_FEEDBACK_HOSPITAL_CONTINUE] (FeedbackID, AppID,MedicalSheetNo,CaseId,DrgGroupCode,DrgRelativeValue,ReleasedCaseType,StateCNAS,StateSNSPMS)VALUES (1,1840338,'FO 2103/1270','21-0001270','A1020',2.4107,1,1,1 )
select scope_identity() UID
GO
