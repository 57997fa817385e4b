-- Firefox: the same sites, in the forms Firefox 153 names them.
INSERT INTO moz_cookies(id,originAttributes,name,value,host,path,expiry) VALUES
 (1,'','session','bank-session-value','.bank.example','/',1),
 (2,'^userContextId=1','pref','www-bank-value','www.bank.example','/',1),
 (3,'','track','gone-cookie-value','.gone.example','/',1),
 (4,'^partitionKey=%28https%2Cbank.example%29','chips','gone-partitioned','gone.example','/',1),
 (5,'','lookalike','evil-value','bank.example.evil.example','/',1);
