INSERT INTO meta VALUES('version','2');
INSERT INTO omni_box_shortcuts VALUES('98c170ef','shortcutsecret','typed.example/secret-path','https://typed.example/secret-path',0,'typed.example/secret-path','0,1','Typed title','0,0',1,1,'',13441193711309722,2),
  ('1d2e3f40','kep','kept.example/page','https://kept.example/page',0,'kept.example/page','0,1','Kept title','0,0',1,1,'',13441193711309722,1);
