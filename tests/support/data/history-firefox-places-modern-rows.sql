-- 1 bookmarked, 2 kept, 3 and 4 private, 5 has a keyword, 6 is another page of the
-- bookmarked site; in the modern layout 7 is counted as bookmarked by Firefox though no
-- bookmark row names it. Visits: 3, 2, 2, 1, 1, 1, 1.
-- It holds the tables Firefox 153 adds beside them, and one of a newer feature.
INSERT INTO moz_places (id, url, title, rev_host, visit_count, typed, frecency, last_visit_date, guid, url_hash, foreign_count, origin_id, alt_frecency) VALUES (1, 'https://bookmarked.example/page', 'title 1', 'elpmaxe.', 3, 1, 2000, 1765000000000000, 'guid1', 7, 1, 1, 3000);
INSERT INTO moz_places (id, url, title, rev_host, visit_count, typed, frecency, last_visit_date, guid, url_hash, foreign_count, origin_id, alt_frecency) VALUES (2, 'https://kept.example/account', 'title 2', 'elpmaxe.', 2, 1, 2000, 1765000000000000, 'guid2', 14, 0, 2, 3000);
INSERT INTO moz_places (id, url, title, rev_host, visit_count, typed, frecency, last_visit_date, guid, url_hash, foreign_count, origin_id, alt_frecency) VALUES (3, 'https://secret-one.example/private?q=swordfish', 'title 3', 'elpmaxe.', 2, 1, 2000, 1765000000000000, 'guid3', 21, 0, 3, 3000);
INSERT INTO moz_places (id, url, title, rev_host, visit_count, typed, frecency, last_visit_date, guid, url_hash, foreign_count, origin_id, alt_frecency) VALUES (4, 'https://secret-two.example/diary', 'title 4', 'elpmaxe.', 1, 1, 2000, 1765000000000000, 'guid4', 28, 0, 4, 3000);
INSERT INTO moz_places (id, url, title, rev_host, visit_count, typed, frecency, last_visit_date, guid, url_hash, foreign_count, origin_id, alt_frecency) VALUES (5, 'https://keyword.example/find?q=%s', 'title 5', 'elpmaxe.', 1, 1, 2000, 1765000000000000, 'guid5', 35, 1, 5, 3000);
INSERT INTO moz_places (id, url, title, rev_host, visit_count, typed, frecency, last_visit_date, guid, url_hash, foreign_count, origin_id, alt_frecency) VALUES (6, 'https://bookmarked.example/unbookmarked-neighbour', 'title 6', 'elpmaxe.', 1, 1, 2000, 1765000000000000, 'guid6', 42, 0, 1, 3000);
INSERT INTO moz_places (id, url, title, rev_host, visit_count, typed, frecency, last_visit_date, guid, url_hash, foreign_count, origin_id, alt_frecency) VALUES (7, 'https://tagged.example/synced', 'title 7', 'elpmaxe.', 1, 1, 2000, 1765000000000000, 'guid7', 49, 1, 6, 3000);
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session) VALUES (1, 0, 1, 1765000000000001, 1, 0);
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session) VALUES (2, 0, 1, 1765000000000002, 1, 0);
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session) VALUES (3, 0, 1, 1765000000000003, 1, 0);
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session) VALUES (4, 0, 2, 1765000000000004, 1, 0);
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session) VALUES (5, 0, 2, 1765000000000005, 1, 0);
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session) VALUES (6, 0, 3, 1765000000000006, 1, 0);
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session) VALUES (7, 0, 3, 1765000000000007, 1, 0);
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session) VALUES (8, 0, 4, 1765000000000008, 1, 0);
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session) VALUES (9, 0, 5, 1765000000000009, 1, 0);
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session) VALUES (10, 0, 6, 1765000000000010, 1, 0);
INSERT INTO moz_historyvisits (id, from_visit, place_id, visit_date, visit_type, session) VALUES (11, 0, 7, 1765000000000011, 1, 0);
INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, guid) VALUES (1, 2, NULL, 0, 0, '', 'root________'), (2, 1, 1, 1, 0, 'My bookmark', 'bookmarkguid');
INSERT INTO moz_keywords (id, keyword, place_id) VALUES (1, 'kw', 5);
INSERT INTO moz_inputhistory VALUES (1, 'bkmrk-typed', 1), (2, 'kep', 1), (3, 'swordf', 2);
INSERT INTO moz_anno_attributes VALUES (1, 'downloads/destinationFileURI'), (2, 'downloads/metaData'), (3, 'URIProperties/characterSet');
INSERT INTO moz_annos (id, place_id, anno_attribute_id, content) VALUES (1, 3, 1, 'file:///C:/Users/me/Downloads/swordfish-plans.pdf'), (2, 1, 1, 'file:///C:/bookmarked.pdf'), (3, 1, 2, '{"state":1,"fileSize":4711}'), (4, 1, 3, 'UTF-8'), (5, 2, 1, 'file:///C:/kept.pdf');
INSERT INTO moz_meta VALUES ('origin_frecency_count', 5);
CREATE TABLE moz_places_extra (place_id INTEGER PRIMARY KEY NOT NULL, sync_json TEXT, FOREIGN KEY (place_id) REFERENCES moz_places(id) ON DELETE CASCADE);
CREATE TABLE moz_historyvisits_extra (visit_id INTEGER PRIMARY KEY NOT NULL, sync_json TEXT, FOREIGN KEY (visit_id) REFERENCES moz_historyvisits(id) ON DELETE CASCADE);
CREATE TABLE moz_newtab_story_click (feature TEXT NOT NULL, timestamp_s INTEGER NOT NULL, card_format_enum INTEGER NOT NULL, position INTEGER NOT NULL, section_position INTEGER NOT NULL, feature_value REAL NOT NULL DEFAULT 1);
CREATE TABLE moz_newtab_story_impression (feature TEXT NOT NULL, timestamp_s INTEGER NOT NULL, card_format_enum INTEGER NOT NULL, position INTEGER NOT NULL, section_position INTEGER NOT NULL, feature_value REAL NOT NULL DEFAULT 1);
CREATE TABLE moz_newtab_shortcuts_interaction (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL REFERENCES moz_places(id) ON DELETE CASCADE, event_type INTEGER NOT NULL, timestamp_s INTEGER NOT NULL, pinned INTEGER NOT NULL CHECK (pinned IN (0, 1)), tile_position INTEGER NOT NULL);
CREATE INDEX moz_newtab_story_click_idx_newtab_click_timestamp ON moz_newtab_story_click(timestamp_s);
INSERT INTO moz_origins (id, prefix, host, frecency, alt_frecency) VALUES (1, 'https://', 'bookmarked.example', 40, 9), (2, 'https://', 'kept.example', 40, 9), (3, 'https://', 'secret-one.example', 40, 9), (4, 'https://', 'secret-two.example', 40, 9), (5, 'https://', 'keyword.example', 40, 9), (6, 'https://', 'tagged.example', 40, 9);
INSERT INTO moz_places_metadata_search_queries VALUES (1, 'xyzzy hidden terms');
INSERT INTO moz_places_metadata (id, place_id, referrer_place_id, search_query_id) VALUES (1, 3, NULL, 1), (2, 2, NULL, NULL);
INSERT INTO moz_places_extra VALUES (1, '{"visits":"synced-away"}'), (2, '{"k":1}'), (3, '{"s":"swordfish"}');
INSERT INTO moz_historyvisits_extra VALUES (4, '{"kept":1}'), (6, '{"device":"secret-phone"}');
INSERT INTO moz_newtab_story_click VALUES ('t_health', 1765000000, 1, 2, 0, 1);
INSERT INTO moz_newtab_story_impression VALUES ('t_finance', 1765000000, 1, 3, 0, 1);
INSERT INTO moz_newtab_shortcuts_interaction VALUES (1, 1, 0, 1765000000, 0, 1), (2, 2, 0, 1765000000, 1, 2);
INSERT INTO moz_previews_tombstones VALUES ('0f1e2d3c4b5a69788796a5b4c3d2e1f0');
CREATE TABLE moz_newer_feature (id INTEGER PRIMARY KEY, note TEXT);
