CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE icon_mapping(id INTEGER PRIMARY KEY,page_url LONGVARCHAR NOT NULL,icon_id INTEGER,page_url_type INTEGER DEFAULT 0);
CREATE TABLE favicons(id INTEGER PRIMARY KEY,url LONGVARCHAR NOT NULL,icon_type INTEGER DEFAULT 1);
CREATE TABLE favicon_bitmaps(id INTEGER PRIMARY KEY,icon_id INTEGER NOT NULL,last_updated INTEGER DEFAULT 0,image_data BLOB,width INTEGER DEFAULT 0,height INTEGER DEFAULT 0,last_requested INTEGER DEFAULT 0);
CREATE INDEX icon_mapping_page_url_idx ON icon_mapping(page_url);
INSERT INTO icon_mapping VALUES(1,'https://bookmarked.example/',1,0),(2,'https://gone.example/secret-a',2,0),
  (3,'https://kept.example/page',3,0),(4,'https://gone.example/other',1,0),(5,'https://nested.example/deep',4,0),(6,'https://gone.example/none',NULL,0);
INSERT INTO favicons VALUES(1,'https://bookmarked.example/favicon.ico',1),(2,'https://gone.example/favicon.ico',1),
  (3,'https://kept.example/favicon.ico',1),(4,'https://nested.example/favicon.ico',1),(5,'https://orphan.example/favicon.ico',1);
INSERT INTO favicon_bitmaps(id,icon_id,image_data) VALUES(1,1,X'01'),(2,2,X'02'),(3,3,X'03'),(4,4,X'04'),(5,5,X'05');
