INSERT INTO QIVA_STOCKS_ERRORS_RETURNED (appID,ErrorCode,Comments) values (7701,'FARM-031','Registrul lunii 03.2021 nu are semnatura farmacistului sef')
GO
INSERT INTO QIVA_STOCKS_ERRORS_RETURNED (appID,ErrorCode,Comments) values (7701,'FARM-044','')
GO
INSERT INTO QIVA_STOCKS_ERRORS_RETURNED (appID,ErrorCode,Comments) values (7701,'FARM-102','Stocul final nu corespunde cu stocul initial al lunii urmatoare pentru ''Paracetamol 500 mg''')
GO
INSERT INTO QIVA_STOCKS_ERRORS_RETURNED (appID,ErrorCode,Comments) values (7702,'FARM-117','Cantitatea consumata este mai mare decat stocul disponibil')
GO
INSERT INTO QIVA_STOCKS_ERRORS_RETURNED (appID,ErrorCode,Comments) values (7702,'FARM-120','Pretul unitar difera de pretul din nomenclator')
GO
