CREATE TABLE moz_formhistory (
      id INTEGER PRIMARY KEY, fieldname TEXT NOT NULL, value TEXT NOT NULL, timesUsed INTEGER, firstUsed INTEGER, lastUsed INTEGER, guid TEXT
    );
CREATE TABLE moz_deleted_formhistory (
      id INTEGER PRIMARY KEY, timeDeleted INTEGER, guid TEXT
    );
CREATE TABLE moz_sources (
      id INTEGER PRIMARY KEY, source TEXT NOT NULL
    );
CREATE TABLE moz_history_to_sources (
      history_id INTEGER, source_id INTEGER
      ,
        PRIMARY KEY (history_id, source_id),
        FOREIGN KEY (history_id) REFERENCES moz_formhistory(id) ON DELETE CASCADE,
        FOREIGN KEY (source_id) REFERENCES moz_sources(id) ON DELETE CASCADE
    ) WITHOUT ROWID;
CREATE INDEX moz_formhistory_index ON moz_formhistory(fieldname);
CREATE INDEX moz_formhistory_lastused_index ON moz_formhistory(lastUsed);
CREATE INDEX moz_formhistory_guid_index ON moz_formhistory(guid);
