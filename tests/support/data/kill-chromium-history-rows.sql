INSERT INTO meta VALUES('version','70');
INSERT INTO urls VALUES(1,'http://localhost:8732/','Kept page',1,0,13441187105542167,0);
INSERT INTO urls VALUES(2,'http://127.0.0.1:8731/secret','Gone page',1,0,13441187105542168,0);
INSERT INTO visits(id,url,visit_time,from_visit,transition,segment_id) VALUES(1,1,1,0,0,0),(2,2,2,0,0,0);
