-- bank.example is kept: its cookies, its subdomains' and its storage stay. A host that
-- only ends in its name, and a site partitioned under it, go.
INSERT INTO meta VALUES('version','24');
INSERT INTO cookies VALUES(1,'.bank.example','','session','bank-session-value',X'',  '/',0,1,1,1,1,1,1,0,2,443,1,0,0);
INSERT INTO cookies VALUES(2,'www.bank.example','','pref','www-bank-value',X'',     '/',0,1,1,1,1,1,1,0,2,443,1,0,0);
INSERT INTO cookies VALUES(3,'bank.example','https://shop.example','chips','partitioned-kept',X'','/',0,1,1,1,1,1,1,0,2,443,1,0,1);
INSERT INTO cookies VALUES(4,'.gone.example','','track','gone-cookie-value',X'',   '/',0,1,1,1,1,1,1,0,2,443,1,0,0);
INSERT INTO cookies VALUES(5,'gone.example','https://bank.example','chips','gone-partitioned',X'','/',0,1,1,1,1,1,1,0,2,443,1,0,1);
INSERT INTO cookies VALUES(6,'bank.example.evil.example','','lookalike','evil-value',X'','/',0,1,1,1,1,1,1,0,2,443,1,0,0);
