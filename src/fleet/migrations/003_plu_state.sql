-- The PLU table each scale holds as the fleet last saw it: read from the scale, or written to
-- it and acknowledged. One row per slot in use, the record as its write request in hex, the
-- form a push compares with a price list's records.
CREATE TABLE plu_state (
  scale TEXT NOT NULL,
  plu INTEGER NOT NULL,
  request TEXT NOT NULL,
  PRIMARY KEY (scale, plu)
);
-- Whether plu_state holds the scale's whole table (a pull read every slot): only then does a
-- slot without a row stand for an empty one.
ALTER TABLE scales ADD COLUMN plu_table_read INTEGER NOT NULL DEFAULT 0;
-- Every price list pushed: when (UTC, ISO 8601 with milliseconds), the file as given, the
-- SHA-256 of its bytes, how many records it holds, and who pushed it where.
CREATE TABLE price_lists (
  id {AUTO_ID},
  at TEXT NOT NULL,
  file_name TEXT NOT NULL,
  sha256 TEXT NOT NULL,
  records INTEGER NOT NULL,
  user_name TEXT NOT NULL,
  host TEXT NOT NULL
);
