-- The reports downloaded from the scales: one row per download with the totals block (the
-- document number, the total, the taxed amount of each of the nine tax rates), its 24 hours
-- and its four clerks in tables of their own, keyed by the download. Amounts are hundredths of
-- the currency unit as the scale keeps them; at is UTC, ISO 8601 with milliseconds, as in the
-- journal. The scale is its name when downloaded: the history outlives a scale removed.
CREATE TABLE report_downloads (
  id {AUTO_ID},
  scale TEXT NOT NULL,
  at TEXT NOT NULL,
  document_number INTEGER NOT NULL,
  total INTEGER NOT NULL,
  tax_1 INTEGER NOT NULL,
  tax_2 INTEGER NOT NULL,
  tax_3 INTEGER NOT NULL,
  tax_4 INTEGER NOT NULL,
  tax_5 INTEGER NOT NULL,
  tax_6 INTEGER NOT NULL,
  tax_7 INTEGER NOT NULL,
  tax_8 INTEGER NOT NULL,
  tax_9 INTEGER NOT NULL
);
CREATE INDEX report_downloads_by_scale ON report_downloads (scale, at);
CREATE TABLE report_hours (
  download_id BIGINT NOT NULL REFERENCES report_downloads (id) ON DELETE CASCADE,
  hour INTEGER NOT NULL,
  sales_count INTEGER NOT NULL,
  amount INTEGER NOT NULL,
  PRIMARY KEY (download_id, hour)
);
CREATE TABLE report_clerks (
  download_id BIGINT NOT NULL REFERENCES report_downloads (id) ON DELETE CASCADE,
  clerk INTEGER NOT NULL,
  customers INTEGER NOT NULL,
  transactions INTEGER NOT NULL,
  sales INTEGER NOT NULL,
  void_count INTEGER NOT NULL,
  void_amount INTEGER NOT NULL,
  discount_count INTEGER NOT NULL,
  discount_amount INTEGER NOT NULL,
  cash INTEGER NOT NULL,
  credit INTEGER NOT NULL,
  PRIMARY KEY (download_id, clerk)
);
