#include "settings/settings_transfer.h"

#include <string>

#include "core/cp1254.h"
#include "link/commands.h"
#include "settings/settings_codec.h"

namespace keldaro::settings {
namespace {

// The commands of a load, and of a send: the block, 4 clerks, 8 receipt lines, 40 departments
// and the tax rates.
constexpr int kChainCommands = 1 + kClerks + kHeaderLines + kFooterLines + kDepartments + 1;

// One command of a chain: the request is built by `push`, and on success the reply is taken
// by `pop` (a read checked against line damage). After a successful command the progress is
// told, and may end the chain. False once the chain has ended; result() says how.
class Chain {
 public:
  Chain(ScaleSession& session, TransferProgress& progress)
      : session_(session), progress_(progress), scope_(progress, kChainCommands) {}

  template <typename Push, typename Pop>
  bool Run(std::uint8_t code, Push push, Pop pop) {
    Packet& packet = session_.packet();
    packet.Clear();
    push(packet);
    if (!session_.ExecuteRead(code)) return Failed();
    pop(packet);
    return Between();
  }

  template <typename Push>
  bool Send(std::uint8_t code, Push push) {
    Packet& packet = session_.packet();
    packet.Clear();
    push(packet);
    return session_.ExecuteCommand(code) ? Between() : Failed();
  }

  const RunResult& result() const { return result_; }

 private:
  bool Between() {
    ++result_.done;
    // A stop after the last command still ends the chain stopped: the caller asked for it.
    if (!progress_.Running()) {
      result_.stopped = true;
      return false;
    }
    progress_.Advance(result_.done,
                      QStringLiteral("%1 / %2").arg(result_.done).arg(kChainCommands));
    return true;
  }
  bool Failed() {
    result_.ok = false;
    result_.failure = session_.LastFailure();
    return false;
  }

  ScaleSession& session_;
  TransferProgress& progress_;
  const transfer::ProgressScope scope_;
  RunResult result_{true};
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

RunResult LoadSettings(ScaleSession& session, SettingsRecord& r, TransferProgress& progress,
                       LoadedParts* loaded) {
  LoadedParts unused;
  LoadedParts& parts = loaded != nullptr ? *loaded : unused;
  parts = {};
  if (!session.RequireConnection()) return transfer::NotConnected();
  const ReadRun run(session);
  Chain chain(session, progress);
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
  // Each part is asked for only while the chain goes on; the chain keeps how it ended.
  chain.Run(
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
  return chain.result();
}

RunResult SendSettings(ScaleSession& session, const SettingsRecord& r, TransferProgress& progress) {
  if (!session.RequireConnection()) return transfer::NotConnected();
  // Every request is built (every value converted) before the first command.
  const std::vector<SendRequest> requests = SendRequests(r);
  Chain chain(session, progress);
  for (const SendRequest& request : requests) {
    if (!chain.Send(request.code, [&](Packet& p) { p.PushBytes(request.payload); })) break;
  }
  return chain.result();
}

RunResult SendSettingsVerified(ScaleSession& session, const SettingsRecord& r,
                               TransferProgress& progress) {
  const std::vector<SendRequest> sent = SendRequests(r);
  for (int sends = 0; sends < kMaxVerifySends; ++sends) {
    if (const RunResult send = SendSettings(session, r, progress); !send.Complete()) return send;
    SettingsRecord back;
    const ReadRun run(session, true);
    if (const RunResult load = LoadSettings(session, back, progress); !load.Complete()) {
      return load;
    }
    if (SendRequests(back) == sent) return {true, false, static_cast<int>(sent.size())};
  }
  session.notifier().Error(kLinkErrorTitle, kCommunicationErrorText,
                           "the settings read back differed from those sent after " +
                               std::to_string(kMaxVerifySends) + " sends");
  return {};
}

RunResult ReadClock(ScaleSession& session, ScaleClock& clock) {
  if (!session.RequireConnection()) return transfer::NotConnected();
  Packet& packet = session.packet();
  packet.Clear();
  if (!session.ExecuteRead(cmd::kReadClock)) return transfer::FailedAfter(0, session);
  std::array<std::uint8_t, 6> bytes{};
  for (std::uint8_t& b : bytes) b = packet.PopByte();
  clock = ScaleClock::FromBytes(bytes);
  return {true, false, 1};
}

RunResult SetClock(ScaleSession& session, const ScaleClock& clock) {
  if (!session.RequireConnection()) return transfer::NotConnected();
  Packet& packet = session.packet();
  packet.Clear();
  for (std::uint8_t b : clock.Bytes()) packet.PushByte(b);
  if (!session.ExecuteCommand(cmd::kSetClock)) return transfer::FailedAfter(0, session);
  return {true, false, 1};
}

}  // namespace keldaro::settings
