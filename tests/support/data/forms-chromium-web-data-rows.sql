-- Entries typed into forms, and the user's saved data around them. Field and value texts that
-- must go all hold "secret".
INSERT INTO meta VALUES('version','158'),('last_compatible_version','158');
INSERT INTO autofill VALUES('nickname','nicknamesecret','nicknamesecret',1796720106,1796720106,1),
  ('city','citysecret','citysecret',1796720106,1796720106,2);
INSERT INTO autocomplete VALUES('email','Email','email','labelsecret@mail.example','labelsecret@mail.example',1,1,1);
INSERT INTO autofill_sync_metadata VALUES(31729,'synckeysecret',X'0a0b'),(63951,'kept-address-guid',X'0c');
INSERT INTO addresses(guid,use_count,use_date,date_modified,label) VALUES('kept-address-guid',1,1,1,'Home');
INSERT INTO address_type_tokens(guid,type,value) VALUES('kept-address-guid',77,'1 Kept Street');
INSERT INTO credit_cards(guid,name_on_card,expiration_month,expiration_year,card_number_encrypted)
  VALUES('card-1','Kept Cardholder',1,2030,X'763130');
INSERT INTO keywords(id,short_name,keyword,favicon_url,url) VALUES(2,'Kept Engine','kept.engine','','https://engine.example/?q={searchTerms}');
INSERT INTO token_service VALUES('AccountId-kept',X'7631',X'',0);
