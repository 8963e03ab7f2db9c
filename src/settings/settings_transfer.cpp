#include "settings/settings_transfer.h"

#include <string>

#include "core/cp1254.h"
#include "link/commands.h"
#include "settings/settings_codec.h"

namespace keldaro::settings {
namespace {

// One command of a chain: the request is built by `push`, and on success the reply is taken
// by `pop`. Runs `between` after a successful command.
class Chain {
 public:
  Chain(ScaleSession& session, const BetweenCommands& between)
      : session_(session), between_(between) {}

  template <typename Push, typename Pop>
  bool Run(std::uint8_t code, Push push, Pop pop) {
    Packet& packet = session_.packet();
    packet.Clear();
    push(packet);
    if (!session_.ExecuteCommand(code)) return false;
    pop(packet);
    return !between_ || between_();
  }

  template <typename Push>
  bool Send(std::uint8_t code, Push push) {
    return Run(code, push, [](Packet&) {});
  }

 private:
  ScaleSession& session_;
  const BetweenCommands& between_;
};

void PushIndex(Packet& packet, int index) { packet.PushByte(static_cast<std::uint8_t>(index)); }

QString PopText(Packet& packet, int width) { return FromCp1254(packet.PopText(width)); }

void PushRecordText(Packet& packet, int index, const QString& text, int width) {
  PushIndex(packet, index);
  packet.PushText(ToCp1254(text), width);
}

}  // namespace

LoadedParts LoadedParts::All() { return {true, kClerks, true, true, kDepartments, true}; }

bool LoadSettings(ScaleSession& session, SettingsRecord& r, const BetweenCommands& between,
                  LoadedParts* loaded) {
  LoadedParts unused;
  LoadedParts& parts = loaded != nullptr ? *loaded : unused;
  parts = {};
  if (!session.RequireConnection()) return false;
  Chain chain(session, between);
  if (!chain.Run(
          cmd::kReadSettings, [](Packet&) {},
          [&](Packet& p) {
            DecodeSettingsBlock(p.PopBytes(kBlockSize), r);
            parts.block = true;
          })) {
    return false;
  }
  for (int i = 0; i < kClerks; ++i) {
    if (!chain.Run(
            cmd::kReadClerk, [&](Packet& p) { PushIndex(p, i); },
            [&](Packet& p) {
              r.clerks[static_cast<std::size_t>(i)] = PopText(p, kNameWidth);
              parts.clerks = i + 1;
            })) {
      return false;
    }
  }
  const auto read_lines = [&](QStringList& lines, bool& emptied, int first, int count) {
    lines.clear();
    emptied = true;
    for (int k = first; k < first + count; ++k) {
      if (!chain.Run(
              cmd::kReadReceiptLine, [&](Packet& p) { PushIndex(p, k); },
              [&](Packet& p) { lines << PopText(p, kReceiptLineWidth); })) {
        return false;
      }
    }
    return true;
  };
  if (!read_lines(r.header, parts.header, 1, kHeaderLines)) return false;
  if (!read_lines(r.footer, parts.footer, kHeaderLines + 1, kFooterLines)) return false;
  for (int d = 0; d < kDepartments; ++d) {
    if (!chain.Run(
            cmd::kReadDepartment, [&](Packet& p) { PushIndex(p, d); },
            [&](Packet& p) {
              r.departments[static_cast<std::size_t>(d)] = PopText(p, kNameWidth);
              parts.departments = d + 1;
            })) {
      return false;
    }
  }
  return chain.Run(
      cmd::kReadTaxRates, [](Packet&) {},
      [&](Packet& p) {
        r.tax_rates = DecodeTaxTable(p.PopBytes(kTaxTableSize));
        parts.tax_rates = true;
      });
}

bool SendSettings(ScaleSession& session, const SettingsRecord& r, const BetweenCommands& between) {
  if (!session.RequireConnection()) return false;
  Chain chain(session, between);
  if (!chain.Send(cmd::kWriteSettings, [&](Packet& p) { p.PushBytes(EncodeSettingsBlock(r)); })) {
    return false;
  }
  for (int i = 0; i < kClerks; ++i) {
    if (!chain.Send(cmd::kWriteClerk, [&](Packet& p) {
          PushRecordText(p, i, r.clerks[static_cast<std::size_t>(i)], kNameWidth);
        })) {
      return false;
    }
  }
  const auto send_lines = [&](const QStringList& lines, int first, int count) {
    for (int k = 0; k < count; ++k) {
      if (!chain.Send(cmd::kWriteReceiptLine, [&](Packet& p) {
            PushRecordText(p, first + k, lines.value(k), kReceiptLineWidth);
          })) {
        return false;
      }
    }
    return true;
  };
  if (!send_lines(r.header, 1, kHeaderLines)) return false;
  if (!send_lines(r.footer, kHeaderLines + 1, kFooterLines)) return false;
  for (int d = 0; d < kDepartments; ++d) {
    if (!chain.Send(cmd::kWriteDepartment, [&](Packet& p) {
          PushRecordText(p, d, r.departments[static_cast<std::size_t>(d)], kNameWidth);
        })) {
      return false;
    }
  }
  return chain.Send(cmd::kWriteTaxRates,
                    [&](Packet& p) { p.PushBytes(EncodeTaxTable(r.tax_rates)); });
}

bool ReadClock(ScaleSession& session, ScaleClock& clock) {
  if (!session.RequireConnection()) return false;
  Packet& packet = session.packet();
  packet.Clear();
  if (!session.ExecuteCommand(cmd::kReadClock)) return false;
  std::array<std::uint8_t, 6> bytes{};
  for (std::uint8_t& b : bytes) b = packet.PopByte();
  clock = ScaleClock::FromBytes(bytes);
  return true;
}

bool SetClock(ScaleSession& session, const ScaleClock& clock) {
  if (!session.RequireConnection()) return false;
  Packet& packet = session.packet();
  packet.Clear();
  for (std::uint8_t b : clock.Bytes()) packet.PushByte(b);
  return session.ExecuteCommand(cmd::kSetClock);
}

}  // namespace keldaro::settings
