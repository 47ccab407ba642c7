-- The documents of the demo database (after schema.sql). Folder parts use "\" as rows written
-- by the application on Windows do. scripts/demo creates the files of these rows below the
-- document folder, all but the one of ID 7, which is missing on purpose.

INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, BEZEICHNUNG, CRE_DAT) VALUES
  (1, 'Brief.docx', 'Briefe\2024\Brief.docx', 'Letter of last autumn', '2024-11-05 09:12:00');
INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, BEZEICHNUNG, CRE_DAT) VALUES
  (2, 'Rechnung_2025-001.pdf', 'Rechnungen\Rechnung_2025-001.pdf', 'Invoice', '2025-01-15 10:00:00');
INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, BEZEICHNUNG, CRE_DAT) VALUES
  (3, 'Notiz', 'Notizen\Notiz', 'A name without extension', '2025-02-01 00:00:00');
INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, BEZEICHNUNG, CRE_DAT) VALUES
  (4, 'Archiv.2023\Brief', 'Archiv.2023\Brief', 'A folder part with a dot', '2025-03-10 14:30:00');
INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, BEZEICHNUNG, CRE_DAT) VALUES
  (5, 'Grüße an Jürgen.txt', 'Korrespondenz\Grüße an Jürgen.txt', 'Non-ASCII name', '2025-04-01 08:00:00');
INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, BEZEICHNUNG, CRE_DAT) VALUES
  (6, 'Übersicht März.xlsx', 'Tabellen\Übersicht März.xlsx', 'Non-ASCII name', '2025-05-20 16:45:00');
INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, BEZEICHNUNG, CRE_DAT) VALUES
  (7, 'Angebot.odt', 'Angebote\Angebot.odt', 'Its file is missing', '2025-06-01 11:00:00');
INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, BEZEICHNUNG, CRE_DAT) VALUES
  (8, 'Protokoll.tar.gz', 'Protokolle\Protokoll.tar.gz', 'Only the last extension counts', '2025-06-15 12:00:00');
INSERT INTO DOKUMENT (ID, DATEINAME, PFADNAME, BEZEICHNUNG, CRE_DAT) VALUES
  (9, 'Brief.docx', 'Briefe\2025\Brief.docx', 'Same name, another ID', '2025-07-01 09:00:00');
COMMIT;
