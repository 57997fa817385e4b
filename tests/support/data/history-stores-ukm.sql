CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE urls(url_id INTEGER PRIMARY KEY NOT NULL,url TEXT NOT NULL,last_timestamp INTEGER NOT NULL,counter INTEGER,title TEXT,profile_id TEXT);
CREATE TABLE metrics(id INTEGER PRIMARY KEY, event_timestamp INTEGER, ukm_source_id INTEGER, url_id INTEGER, event_id INTEGER, event_hash INTEGER, metric_hash INTEGER, metric_value INTEGER);
CREATE TABLE uma_metrics(id INTEGER PRIMARY KEY, type INTEGER, profile_id TEXT, metric_hash INTEGER, metric_value INTEGER);
INSERT INTO urls VALUES(-7345,'https://kept.example/account',1,1,'Kept title',''),(88811,'https://gone.example/secret-page',1,1,'Secret title','');
INSERT INTO metrics VALUES(1,1,1,-7345,1,1,1,1),(2,1,1,88811,1,1,1,1),(3,1,1,0,1,1,1,1);
INSERT INTO uma_metrics VALUES(1,1,'',5,5);
