CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE values_mapping(context_origin TEXT NOT NULL,key BLOB NOT NULL,value BLOB NOT NULL,last_used_time INTEGER NOT NULL,PRIMARY KEY(context_origin,key)) WITHOUT ROWID;
CREATE TABLE per_origin_mapping(context_origin TEXT NOT NULL PRIMARY KEY,creation_time INTEGER NOT NULL,num_bytes INTEGER NOT NULL) WITHOUT ROWID;
CREATE TABLE budget_mapping(id INTEGER NOT NULL PRIMARY KEY,context_site TEXT NOT NULL,time_stamp INTEGER NOT NULL,bits_debit REAL NOT NULL);
INSERT INTO values_mapping VALUES('https://www.bank.example','kept-key','kept-value',1),('https://gone.example','gone-key','gone-value',1),
  ('chrome-extension://abcdefghijklmnop','ext-key','ext-value',1);
INSERT INTO per_origin_mapping VALUES('https://www.bank.example',1,20),('https://gone.example',1,20);
INSERT INTO budget_mapping VALUES(1,'https://bank.example',1,1.0),(2,'https://gone.example',1,1.0);
