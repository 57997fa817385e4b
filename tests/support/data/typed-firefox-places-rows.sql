INSERT INTO moz_places(id,url,title,typed,frecency) VALUES(1,'https://kept.example/page','Kept title',1,100),
  (2,'https://typed.example/secret-path','Typed title',1,100),(3,'https://linked.example/','Linked title',0,50);
INSERT INTO moz_historyvisits(id,place_id,visit_date,visit_type) VALUES(1,1,1,2),(2,2,2,2),(3,2,3,1),(4,3,4,1);
INSERT INTO moz_inputhistory VALUES(1,'kep',1.0),(2,'inputsecret',1.0);
INSERT INTO moz_bookmarks(id,type,fk,title) VALUES(1,1,2,'Kept bookmark');
