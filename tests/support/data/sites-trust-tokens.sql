-- Each store as Chromium lays it out, with rows of the kept bank.example (and its
-- subdomains), of gone.example and of an extension.
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE trust_tokens_issuer_config (key TEXT, proto BLOB, PRIMARY KEY(key));
CREATE TABLE trust_tokens_issuer_toplevel_pair_config (key TEXT, proto BLOB, PRIMARY KEY(key));
CREATE TABLE trust_tokens_toplevel_config (key TEXT, proto BLOB, PRIMARY KEY(key));
INSERT INTO trust_tokens_issuer_config VALUES('https://issuer.bank.example',X'0a01'),('https://gone.example',X'0a02');
INSERT INTO trust_tokens_toplevel_config VALUES('https://www.bank.example',X'0a03'),('https://gone.example',X'0a04');
INSERT INTO trust_tokens_issuer_toplevel_pair_config VALUES('https://issuer.bank.example https://www.bank.example',X'0a05'),
  ('https://issuer.bank.example https://gone.example',X'0a06');
