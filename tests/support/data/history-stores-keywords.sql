-- The engines a profile holds: a prepopulated one, the default (named by Preferences), one
-- the user added, a starter-pack keyword, one Web Data's meta names the default, and two
-- the browser added from sites visited, one of a kept site.
INSERT INTO meta VALUES('Default Search Provider ID','7');
INSERT INTO keywords(id,short_name,keyword,favicon_url,url,safe_for_autoreplace,originating_url,prepopulate_id,sync_guid,starter_pack_id) VALUES
 (1,'Google','google.com','','https://www.google.com/search?q={searchTerms}',1,'',1,'g-guid',0),
 (2,'Mine default','md','','https://default.example/?q={searchTerms}',1,'',0,'default-guid',0),
 (3,'My own','own','','https://own.example/?q={searchTerms}',0,'',0,'own-guid',0),
 (4,'Gone shop','gone.example','','https://gone.example/search?q={searchTerms}',1,'https://gone.example/opensearch.xml',0,'gone-guid',0),
 (5,'Kept bank','kept.example','','https://kept.example/find?q={searchTerms}',1,'https://kept.example/',0,'kept-guid',0),
 (6,'Bookmarks','@bookmarks','','chrome://bookmarks/?q={searchTerms}',1,'',0,'sp-guid',1),
 (7,'Legacy default','legacy','','https://legacy.example/?q={searchTerms}',1,'',0,'legacy-guid',0);
