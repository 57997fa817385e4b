-- Automatic permissions go with a site that is not kept; the user's own stay whatever the site.
INSERT INTO moz_perms VALUES(1,'https://www.bank.example','storageAccessAPI',1,0,0,1),
 (2,'https://gone.example','storageAccessAPI',1,0,0,2),
 (3,'https://gone.example','cookie',1,0,0,3),
 (4,'https://gone.example^userContextId=1','desktop-notification',1,0,0,4),
 (5,'https://bank.example','3rdPartyStorage^https://tracker-gone.example',1,2,9,5),
 (6,'https://shop-gone.example','3rdPartyFrameStorage^https://bank.example',1,2,9,6),
 (7,'https://shop.bank.example^userContextId=1','3rdPartyStorage^https://login.bank.example',1,2,9,7),
 (8,'https://gone.example','camera',2,0,0,8),
 (9,'moz-extension://1234-abcd','storageAccessAPI',1,0,0,9);
INSERT INTO moz_hosts VALUES(1,'gone.example','storageAccessAPI',1,0,0,1,0),(2,'gone.example','popup',1,0,0,2,0);
INSERT INTO moz_origin_interactions VALUES('https://www.bank.example',1),('https://shop-gone.example',2),
 ('https://gone.example',3),('https://interacted-gone.example',4);
