INSERT INTO meta VALUES('version','24');
INSERT INTO cookies VALUES(1,'.localhost','','session','kept-cookie-value',X'','/',0,1,1,1,1,1,1,0,2,443,1,0,0);
INSERT INTO cookies VALUES(2,'127.0.0.1','','track','gone-cookie-value',X'','/',0,1,1,1,1,1,1,0,2,443,1,0,0);
