-- Typed (0x32000001: typed, from the address bar), searched from the address bar and followed visits of a kept, a
-- typed, a linked and a searched address, and the search terms typed.
INSERT INTO meta VALUES('version','70');
INSERT INTO urls VALUES(1,'https://kept.example/page','Kept title',3,2,1,0),
  (2,'https://typed.example/secret-path','Typed title',2,2,2,0),(3,'https://linked.example/','Linked title',1,0,3,0),
  (4,'https://search.example/?q=typed+wish','typed wish - Search',1,1,4,0);
INSERT INTO visits(id,url,visit_time,transition) VALUES(1,1,1,838860801),(2,2,2,838860801),(3,2,3,805306368),
  (4,3,4,0),(5,4,5,838860805);
INSERT INTO keyword_search_terms VALUES(2,4,'Typed Wish','typed wish'),(2,1,'kept term','kept term');
