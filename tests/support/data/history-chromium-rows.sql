-- Three addresses: one the user keeps, one plain, one a search; a visit whose address row
-- is already gone; a cluster of removed visits and one shared with the kept page.
INSERT INTO meta VALUES('version','70');
INSERT INTO urls VALUES(1,'https://kept.example/page','Kept page title',2,1,13441187105542167,0);
INSERT INTO urls VALUES(2,'https://gone.example/secret-a','Secret A title',2,0,13441187105542168,0);
INSERT INTO urls VALUES(3,'https://search.example/?q=hidden+wish','hidden wish - Search',1,1,13441187105542169,0);
INSERT INTO visits(id,url,visit_time,from_visit,transition,segment_id) VALUES(1,1,1,0,805306368,1),(2,2,2,1,0,2),(3,2,3,0,0,2),(4,3,4,0,1,0),(5,99,5,0,0,0);
INSERT INTO visit_source VALUES(1,0),(2,0),(3,0),(5,1);
INSERT INTO keyword_search_terms VALUES(2,3,'Hidden Wish','hidden wish'),(2,1,'kept term','kept term');
INSERT INTO segments VALUES(1,'http://kept.example/',1),(2,'http://gone.example/',2);
INSERT INTO segment_usage VALUES(1,1,100,2),(2,2,100,2);
INSERT INTO content_annotations(visit_id,annotation_flags,search_terms,has_url_keyed_image) VALUES(1,0,'kept term',0),(4,0,'hidden wish',0);
INSERT INTO context_annotations(visit_id,context_annotation_flags) VALUES(1,0),(2,0),(3,0);
INSERT INTO clusters VALUES(1,1,'Gone cluster label','Gone cluster label',1,'',0),(2,1,'Kept cluster label','Kept cluster label',1,'',0);
INSERT INTO clusters_and_visits VALUES(1,2,0,0,'gone.example/secret-a','gone.example/secret-a','gone.example/secret-a',0),
  (1,3,0,0,'gone.example/secret-a','gone.example/secret-a','gone.example/secret-a',0),
  (2,1,0,0,'kept.example/page','kept.example/page','kept.example/page',0),
  (2,4,0,0,'search.example','search.example','search.example',0);
INSERT INTO cluster_keywords VALUES(1,'gonekeyword',0,1,''),(2,'keptkeyword',0,1,'');
INSERT INTO cluster_visit_duplicates VALUES(2,3),(1,4),(1,1);
INSERT INTO visited_links VALUES(1,1,'https://kept.example/','https://kept.example/',1),(2,2,'https://gone.example/','https://gone.example/',1);
INSERT INTO downloads VALUES(1,'guid','C:\dl\file.zip','C:\dl\file.zip',1,10,10,1,0,0,X'',2,0,0,0,'https://downloads.example/','https://downloads.example/','','','','GET','','','','','','application/zip','application/zip'),
  (2,'guid2','C:\dl\kept.pdf','C:\dl\kept.pdf',1,10,10,1,0,0,X'',2,0,0,0,'','','','','','GET','','','','','','application/pdf','application/pdf');
INSERT INTO downloads_url_chains VALUES(1,0,'https://downloads.example/file.zip'),(1,1,'https://cdn.example/secret-file.zip'),(2,0,'https://kept.example/page');
INSERT INTO downloads_slices VALUES(1,0,5,0),(2,0,5,1);
INSERT INTO history_sync_metadata VALUES(1,X'00');
