CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE interest_groups(expiration INTEGER NOT NULL, owner TEXT NOT NULL, joining_origin TEXT NOT NULL, name TEXT NOT NULL, bidding_url TEXT NOT NULL, PRIMARY KEY(owner,name));
CREATE TABLE join_history(owner TEXT NOT NULL, name TEXT NOT NULL, join_time INTEGER NOT NULL, count INTEGER NOT NULL, PRIMARY KEY(owner, name, join_time));
CREATE TABLE bid_history(owner TEXT NOT NULL, name TEXT NOT NULL, bid_time INTEGER NOT NULL, count INTEGER NOT NULL, PRIMARY KEY(owner, name, bid_time));
CREATE TABLE win_history(owner TEXT NOT NULL, name TEXT NOT NULL, win_time INTEGER NOT NULL, ad TEXT NOT NULL);
CREATE TABLE joined_k_anon(hashed_key BLOB NOT NULL, last_reported_to_anon_server_time INTEGER NOT NULL, PRIMARY KEY(hashed_key));
CREATE TABLE cooldown_debugging_only_report(origin TEXT NOT NULL, starting_time INTEGER NOT NULL, type INTEGER NOT NULL, PRIMARY KEY(origin));
INSERT INTO interest_groups VALUES(1,'https://ads.bank.example','https://www.bank.example','kept-group','https://ads.bank.example/bid.js'),
  (1,'https://ads.bank.example','https://gone.example','joined-on-gone','https://ads.bank.example/bid.js'),
  (1,'https://gone.example','https://www.bank.example','gone-owner','https://gone.example/bid.js');
INSERT INTO join_history VALUES('https://ads.bank.example','kept-group',1,1),('https://ads.bank.example','joined-on-gone',1,1),('https://gone.example','gone-owner',1,1);
INSERT INTO bid_history VALUES('https://gone.example','gone-owner',1,1);
INSERT INTO win_history VALUES('https://ads.bank.example','kept-group',1,'https://ads.bank.example/ad'),('https://gone.example','gone-owner',1,'https://gone.example/ad');
INSERT INTO joined_k_anon VALUES(X'00ff',1);
INSERT INTO cooldown_debugging_only_report VALUES('https://gone.example',1,0),('https://bank.example',1,0);
