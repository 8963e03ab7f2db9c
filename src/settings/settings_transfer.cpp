#include "settings/settings_transfer.h"

#include <string>

#include "core/cp1254.h"
#include "link/commands.h"
#include "settings/settings_codec.h"

namespace keldaro::settings {
namespace {

// One command of a chain: the request is built by `push`, and on success the reply is taken
// by `pop` (a read checked against line damage). Runs `between` after a successful command.
class Chain {
 public:
  Chain(ScaleSession& session, const BetweenCommands& between)
      : session_(session), between_(between) {}

  template <typename Push, typename Pop>
  bool Run(std::uint8_t code, Push push, Pop pop) {
    Packet& packet = session_.packet();
    packet.Clear();
    push(packet);
    if (!session_.ExecuteRead(code)) return false;
    pop(packet);
    return Between();
  }

  template <typename Push>
  bool Send(std::uint8_t code, Push push) {
    Packet& packet = session_.packet();
    packet.Clear();
    push(packet);
    return session_.ExecuteCommand(code) && Between();
  }

 private:
  ScaleSession& session_;
  bool Between() const { return !between_ || between_(); }

  const BetweenCommands& between_;
};

void PushIndex(Packet& packet, int index) { packet.PushByte(static_cast<std::uint8_t>(index)); }

QString PopText(Packet& packet, int width) { return FromCp1254(packet.PopText(width)); }

void PushRecordText(Packet& packet, int index, const QString& text, int width) {
  PushIndex(packet, index);
  packet.PushText(ToCp1254(text), width);
}

// Sends of the settings before a verified send fails.
constexpr int kMaxVerifySends = 3;

}  // namespace

std::vector<SendRequest> SendRequests(const SettingsRecord& r) {
  std::vector<SendRequest> requests;
  Packet scratch;
  const auto add = [&](std::uint8_t code, const auto& push) {
    scratch.Clear();
    push(scratch);
    requests.push_back({code, std::string(scratch.Request())});
  };
  // Text records under index first + k; `text_of` gives text k.
  const auto add_texts = [&](std::uint8_t code, int first, int count, int width,
                             const auto& text_of) {
    for (int k = 0; k < count; ++k) {
      add(code, [&](Packet& p) { PushRecordText(p, first + k, text_of(k), width); });
    }
  };
  add(cmd::kWriteSettings, [&](Packet& p) { p.PushBytes(EncodeSettingsBlock(r)); });
  add_texts(cmd::kWriteClerk, 0, kClerks, kNameWidth,
            [&](int i) { return r.clerks[static_cast<std::size_t>(i)]; });
  add_texts(cmd::kWriteReceiptLine, 1, kHeaderLines, kReceiptLineWidth,
            [&](int k) { return r.header.value(k); });
  add_texts(cmd::kWriteReceiptLine, kHeaderLines + 1, kFooterLines, kReceiptLineWidth,
            [&](int k) { return r.footer.value(k); });
  add_texts(cmd::kWriteDepartment, 0, kDepartments, kNameWidth,
            [&](int d) { return r.departments[static_cast<std::size_t>(d)]; });
  add(cmd::kWriteTaxRates, [&](Packet& p) { p.PushBytes(EncodeTaxTable(r.tax_rates)); });
  return requests;
}

LoadedParts LoadedParts::All() { return {true, kClerks, true, true, kDepartments, true}; }

bool LoadSettings(ScaleSession& session, SettingsRecord& r, const BetweenCommands& between,
                  LoadedParts* loaded) {
  LoadedParts unused;
  LoadedParts& parts = loaded != nullptr ? *loaded : unused;
  parts = {};
  if (!session.RequireConnection()) return false;
  const ReadRun run(session);
  Chain chain(session, between);
  // Text records asked for one by one under index first + k; `take` stores text k.
  const auto read_texts = [&](std::uint8_t code, int first, int count, int width,
                              const auto& take) {
    for (int k = 0; k < count; ++k) {
      if (!chain.Run(
              code, [&](Packet& p) { PushIndex(p, first + k); },
              [&](Packet& p) { take(k, PopText(p, width)); })) {
        return false;
      }
    }
    return true;
  };
  const auto read_lines = [&](QStringList& lines, bool& emptied, int first, int count) {
    lines.clear();
    emptied = true;
    return read_texts(cmd::kReadReceiptLine, first, count, kReceiptLineWidth,
                      [&](int, const QString& text) { lines << text; });
  };
  return chain.Run(
             cmd::kReadSettings, [](Packet&) {},
             [&](Packet& p) {
               DecodeSettingsBlock(p.PopBytes(kBlockSize), r);
               parts.block = true;
             }) &&
         read_texts(cmd::kReadClerk, 0, kClerks, kNameWidth,
                    [&](int i, const QString& text) {
                      r.clerks[static_cast<std::size_t>(i)] = text;
                      parts.clerks = i + 1;
                    }) &&
         read_lines(r.header, parts.header, 1, kHeaderLines) &&
         read_lines(r.footer, parts.footer, kHeaderLines + 1, kFooterLines) &&
         read_texts(cmd::kReadDepartment, 0, kDepartments, kNameWidth,
                    [&](int d, const QString& text) {
                      r.departments[static_cast<std::size_t>(d)] = text;
                      parts.departments = d + 1;
                    }) &&
         chain.Run(
             cmd::kReadTaxRates, [](Packet&) {},
             [&](Packet& p) {
               r.tax_rates = DecodeTaxTable(p.PopBytes(kTaxTableSize));
               parts.tax_rates = true;
             });
}

bool SendSettings(ScaleSession& session, const SettingsRecord& r, const BetweenCommands& between) {
  if (!session.RequireConnection()) return false;
  Chain chain(session, between);
  for (const SendRequest& request : SendRequests(r)) {
    if (!chain.Send(request.code, [&](Packet& p) { p.PushBytes(request.payload); })) return false;
  }
  return true;
}

bool SendSettingsVerified(ScaleSession& session, const SettingsRecord& r,
                          const BetweenCommands& between) {
  const std::vector<SendRequest> sent = SendRequests(r);
  for (int sends = 0; sends < kMaxVerifySends; ++sends) {
    if (!SendSettings(session, r, between)) return false;
    SettingsRecord back;
    const ReadRun run(session, true);
    if (!LoadSettings(session, back, between)) return false;
    if (SendRequests(back) == sent) return true;
  }
  session.notifier().Error(kLinkErrorTitle, kCommunicationErrorText,
                           "the settings read back differed from those sent after " +
                               std::to_string(kMaxVerifySends) + " sends");
  return false;
}

bool ReadClock(ScaleSession& session, ScaleClock& clock) {
  if (!session.RequireConnection()) return false;
  Packet& packet = session.packet();
  packet.Clear();
  if (!session.ExecuteRead(cmd::kReadClock)) return false;
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
