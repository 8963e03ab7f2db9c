-- Every fleet operation, one row per scale it touched (scale empty for one that touched none):
-- when (UTC, ISO 8601 with milliseconds, so the text sorts as the time), the verb, whether it
-- succeeded, its outcome as the verb printed it, and who ran it where.
CREATE TABLE journal (
  id {AUTO_ID},
  at TEXT NOT NULL,
  scale TEXT NOT NULL DEFAULT '',
  verb TEXT NOT NULL,
  ok INTEGER NOT NULL,
  outcome TEXT NOT NULL,
  user_name TEXT NOT NULL,
  host TEXT NOT NULL
);
CREATE INDEX journal_by_scale ON journal (scale, at);
