-- The scales of the fleet: where each is connected and the identity it answered with on first
-- contact (empty until then). groups holds the group names joined by commas.
CREATE TABLE scales (
  name TEXT PRIMARY KEY NOT NULL,
  port TEXT NOT NULL,
  baud INTEGER NOT NULL,
  groups TEXT NOT NULL DEFAULT '',
  identity TEXT NOT NULL DEFAULT ''
);
