#include "fleet/database_target.h"

#include <QDir>
#include <QRegularExpression>

namespace keldaro::fleet {
namespace {

constexpr QLatin1StringView kPostgresScheme("postgresql://");

}  // namespace

QString DatabaseTarget::Text() const {
  if (kind == Kind::kSqlite) return path;
  return QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, host).arg(port).arg(name);
}

std::optional<DatabaseTarget> ParseDatabaseTarget(const QString& text, QString& error) {
  if (text.isEmpty()) {
    error = QStringLiteral("the database is empty: give a file's path or postgresql://...");
    return std::nullopt;
  }
  if (!text.startsWith(kPostgresScheme)) return DatabaseTarget{.path = text};

  // USER@HOST[:PORT]/NAME; HOST a name, an IPv4 address or an IPv6 address in brackets.
  static const QRegularExpression address(QStringLiteral(
      R"(^([^@:/]+)@(\[[0-9A-Fa-f:.]+\]|[^@:/\[\]]+)(?::([0-9]{1,5}))?/([^/@:]+)$)"));
  const QString rest = text.mid(kPostgresScheme.size());
  if (rest.section(QLatin1Char('@'), 0, 0).contains(QLatin1Char(':'))) {
    error = QStringLiteral(
                "%1: a password is never given on the command line; set PGPASSWORD "
                "or use ~/.pgpass")
                .arg(text);
    return std::nullopt;
  }
  const QRegularExpressionMatch match = address.match(rest);
  if (!match.hasMatch()) {
    error = QStringLiteral("%1 is not postgresql://USER@HOST[:PORT]/NAME").arg(text);
    return std::nullopt;
  }
  DatabaseTarget target{.kind = DatabaseTarget::Kind::kPostgresql,
                        .user = match.captured(1),
                        .host = match.captured(2),
                        .name = match.captured(4)};
  if (target.host.startsWith(QLatin1Char('['))) target.host = target.host.mid(1).chopped(1);
  if (match.hasCaptured(3)) {
    target.port = match.captured(3).toInt();
    if (target.port < 1 || target.port > 65535) {
      error = QStringLiteral("%1: the port must be 1 to 65535").arg(text);
      return std::nullopt;
    }
  }
  return target;
}

QString DefaultDatabaseText() {
  const QString given = qEnvironmentVariable("KELDARO_DB");
  if (!given.isEmpty()) return given;
  QString data = qEnvironmentVariable("XDG_DATA_HOME");
  if (data.isEmpty()) data = QDir::homePath() + QStringLiteral("/.local/share");
  return data + QStringLiteral("/keldaro/fleet.sqlite");
}

}  // namespace keldaro::fleet
