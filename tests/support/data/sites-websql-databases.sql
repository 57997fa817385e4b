CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE Databases (id INTEGER PRIMARY KEY AUTOINCREMENT, origin TEXT NOT NULL, name TEXT NOT NULL, description TEXT NOT NULL, estimated_size INTEGER NOT NULL);
INSERT INTO Databases VALUES(1,'https_www.bank.example_0','kept-db','',100),(2,'https_gone.example_0','gone-db','',100),
  (3,'http_gone.example_8080','gone-db-2','',100),(4,'chrome-extension_abcdefghijklmnop_0','ext-db','',100);
