CREATE TABLE database(cache_version INTEGER NOT NULL DEFAULT 0);
CREATE TABLE cache(valid INTEGER NOT NULL DEFAULT 0, build_id TEXT NOT NULL DEFAULT '');
CREATE TABLE repository(id INTEGER PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE origin(repository_id INTEGER NOT NULL, suffix TEXT, group_ TEXT NOT NULL, origin TEXT NOT NULL, client_usages TEXT NOT NULL, usage INTEGER NOT NULL, last_access_time INTEGER NOT NULL, last_maintenance_date INTEGER NOT NULL, accessed INTEGER NOT NULL, persisted INTEGER NOT NULL, PRIMARY KEY (repository_id, origin), FOREIGN KEY (repository_id) REFERENCES repository(id));
INSERT INTO database VALUES(3); INSERT INTO cache VALUES(1,'20261201');
INSERT INTO repository VALUES(0,'persistent'),(1,'temporary'),(2,'default'),(3,'private');
INSERT INTO origin VALUES(2,'','bank.example','https://www.bank.example','I1',1,1,1,0,0),
 (2,'','gone.example','https://gone.example','I1',1,1,1,0,0),
 (2,'^userContextId=1','gone.example','https://gone.example^userContextId=1','I1',1,1,1,0,0),
 (2,'','moz-extension://1234','moz-extension://1234-abcd','I1',1,1,1,0,0),
 (0,'','chrome','chrome','I1',1,1,1,0,0);
