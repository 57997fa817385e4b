INSERT INTO moz_formhistory VALUES(1,'nickname','ffnicksecret',1,1796720234344000,1796720234344000,'KPyOZKNrQH'),
  (2,'searchbar-history','ffsearchsecret',3,1796720234344000,1796720234344000,'dbdR3AmxQu');
INSERT INTO moz_sources VALUES(1,'https://sourcesecret.example');
INSERT INTO moz_history_to_sources VALUES(1,1);
INSERT INTO moz_deleted_formhistory VALUES(1,1796720234344000,'kept-tombstone-guid');
