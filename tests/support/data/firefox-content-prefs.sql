CREATE TABLE groups (id INTEGER PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE settings (id INTEGER PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE prefs (id INTEGER PRIMARY KEY, groupID INTEGER REFERENCES groups(id), settingID INTEGER NOT NULL REFERENCES settings(id), value BLOB, timestamp INTEGER NOT NULL DEFAULT 0);
CREATE UNIQUE INDEX groups_idx ON groups(name);
CREATE UNIQUE INDEX settings_idx ON settings(name);
CREATE INDEX prefs_idx ON prefs(timestamp, groupID, settingID);
