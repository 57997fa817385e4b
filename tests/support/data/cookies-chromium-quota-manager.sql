-- QuotaManager as Chromium 156 lays it out: a first-party default bucket has no folder of
-- its own, other buckets (named or partitioned) have "WebStorage\<id>".
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE buckets(id INTEGER PRIMARY KEY AUTOINCREMENT, storage_key TEXT NOT NULL, host TEXT NOT NULL, name TEXT NOT NULL, use_count INTEGER NOT NULL, last_accessed INTEGER NOT NULL, last_modified INTEGER NOT NULL, expiration INTEGER NOT NULL, quota INTEGER NOT NULL, persistent INTEGER NOT NULL, durability INTEGER NOT NULL) STRICT;
CREATE UNIQUE INDEX buckets_by_storage_key ON buckets(storage_key, name);
INSERT INTO buckets VALUES(1,'https://www.bank.example/','www.bank.example','_default',1,1,1,0,0,0,0);
INSERT INTO buckets VALUES(2,'https://gone.example/','gone.example','_default',1,1,1,0,0,0,0);
INSERT INTO buckets VALUES(3,'https://gone.example/','gone.example','mybucket',1,1,1,0,0,0,0);
INSERT INTO buckets VALUES(4,'https://gone.example/^0https://bank.example','gone.example','_default',1,1,1,0,0,0,0);
INSERT INTO buckets VALUES(5,'https://bank.example/^0https://shop.example','bank.example','_default',1,1,1,0,0,0,0);
INSERT INTO buckets VALUES(6,'chrome-extension://abcdefghijklmnop/','abcdefghijklmnop','_default',1,1,1,0,0,0,0);
