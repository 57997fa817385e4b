-- Sites' preferences: kept.example's stays, the private sites' go (with the folder last
-- uploaded to), global ones and groups that are no site stay.
INSERT INTO groups VALUES (1, 'kept.example'), (2, 'secret-one.example'), (3, 'www.secret-two.example'), (4, 'blob:https://secret-one.example/4f2a'), (5, 'file:///C:/Users/me/page.html'), (6, 'blob:resource://pdf.js/ed64');
INSERT INTO settings VALUES (1, 'browser.content.full-zoom'), (2, 'browser.upload.lastDir');
INSERT INTO prefs VALUES (1, 1, 1, 1.5, 1), (2, 2, 1, 0.8, 2), (3, 2, 2, 'C:\Users\me\Swordfish Folder', 3), (4, NULL, 1, 1.1, 4), (5, 3, 1, 0.9, 5), (6, 4, 1, 1.2, 6), (7, 5, 2, 'C:\Users\me', 7), (8, 6, 1, 1.3, 8);
