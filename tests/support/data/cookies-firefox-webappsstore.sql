CREATE TABLE webappsstore2 (originAttributes TEXT, originKey TEXT, scope TEXT, key TEXT, value TEXT);
CREATE UNIQUE INDEX origin_key_index ON webappsstore2(originAttributes, originKey, key);
INSERT INTO webappsstore2 VALUES('','elpmaxe.knab.:https:443','','k','bank-local-value'),
 ('','elpmaxe.knab.www.:https:443','','k','www-local-value'),
 ('','elpmaxe.enog.:https:443','','k','gone-local-value'),
 ('^partitionKey=%28https%2Cbank.example%29','elpmaxe.enog.:https:443','','k2','gone-local-partitioned'),
 ('','1234-abcd.:moz-extension','','k','extension-local-value');
