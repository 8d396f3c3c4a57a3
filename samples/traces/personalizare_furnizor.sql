select max(id) id from qiva_p_provider
GO
 insert into QIVA_P_PROVIDER (CODE,NAME,UIC) values ('CJ0417','CENTRUL MEDICAL SFÂNTA PARASCHEVA S.R.L.','RO14356782')
GO
delete from QIVA_P_CONTRACTS
GO
 insert into QIVA_P_CONTRACTS (contractNo,contractDate,validFrom,validTo,orgUnitCode,categoryCode)						values ('A1234/2022','2022-03-28','2022-04-01','2023-03-31','CJ0417-01','AMB')
GO
 insert into QIVA_P_CONTRACTS (contractNo,contractDate,validFrom,validTo,orgUnitCode,categoryCode)						values ('P0877/2023','2023-03-30','2023-04-01','','CJ0417-02','PARA')
GO
delete from QIVA_P_EMPLOYEES
GO
insert into QIVA_P_EMPLOYEES (pid,firstName,lastName,stencilNo) values ('2750312125791','ANA MARIA','POPESCU','A12345')
GO
delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid='2750312125791'
GO
insert into QIVA_P_EMPLOYEES_SPECIALITIES (employeePid,code,increasePercentProfDegree) values ('2750312125791','M01',10)
GO
insert into QIVA_P_EMPLOYEES_SPECIALITIES (employeePid,code,increasePercentProfDegree) values ('2750312125791','M15',12.5)
GO
insert into QIVA_P_EMPLOYEES (pid,firstName,lastName,stencilNo) values ('1680923400125','ŞTEFAN','POPA','B23456')
GO
delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid='1680923400125'
GO
insert into QIVA_P_EMPLOYEES_SPECIALITIES (employeePid,code,increasePercentProfDegree) values ('1680923400125','M20',0)
GO
insert into QIVA_P_EMPLOYEES (pid,firstName,lastName,stencilNo) values ('2810101123456','IOANA','O''BRIEN','D45678')
GO
delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid='2810101123456'
GO
insert into QIVA_P_EMPLOYEES (pid,firstName,lastName,stencilNo) values ('2900418224466','CĂTĂLINA','ŢIGĂNUŞ','')
GO
delete from QIVA_P_EMPLOYEES_SPECIALITIES where employeePid='2900418224466'
GO
delete from QIVA_P_SERVICES
GO
insert into QIVA_P_SERVICES (code,tariff,quantity,validfrom,validTo) values ('C001',55.50,1200,'2023-04-01','2024-03-31')
GO
insert into QIVA_P_SERVICES (code,tariff,quantity,validfrom,validTo) values ('C002',80.00,350,'2023-04-01','')
GO
insert into QIVA_P_SERVICES (code,tariff,quantity,validfrom,validTo) values ('L2.1',12.50,0,'2023-04-01','')
GO
insert into QIVA_P_SERVICES (code,tariff,quantity,validfrom,validTo) values ('E015',150.75,40,'2023-04-01','')
GO
