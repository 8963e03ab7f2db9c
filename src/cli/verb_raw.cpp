#include <CLI/CLI.hpp>
#include <cctype>
#include <memory>
#include <ostream>
#include <vector>

#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/verb.h"
#include "core/integer_text.h"

namespace keldaro::cli {
namespace {

constexpr std::size_t kMaxPayload = 255;

struct RawArguments {
  std::string code;
  std::vector<std::string> bytes;
};

// Exactly two hex digits: "-1" or "0" would otherwise go out as FF or 00 unnoticed.
bool IsHexByte(const std::string& text) {
  return text.size() == 2 && std::isxdigit(static_cast<unsigned char>(text[0])) &&
         std::isxdigit(static_cast<unsigned char>(text[1]));
}

int Raw(const RawArguments& args, const CliOptions& options, std::ostream& out, std::ostream& err) {
  const auto code = ParseInteger(args.code);
  if (!code || *code < 0 || *code > 255) {
    return BadUsage(err, "raw needs a command code from 0 to 255");
  }
  std::vector<std::uint8_t> payload;
  for (const std::string& text : args.bytes) {
    if (!IsHexByte(text)) return BadUsage(err, "'" + text + "' is not a two-digit hex byte");
    payload.push_back(static_cast<std::uint8_t>(*ParseInteger(text, 16)));
  }
  if (payload.size() > kMaxPayload) {
    return BadUsage(err, "a request holds at most 255 payload bytes");
  }
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  Packet& packet = link.session().packet();
  packet.Clear();
  for (std::uint8_t b : payload) packet.PushByte(b);
  // A raw command may be one the table does not know: any reply size is taken.
  if (!link.session().ExecuteCommand(static_cast<std::uint8_t>(*code), ReplySize::Any())) {
    return kExitLinkFailure;
  }
  // The reply body from the status byte up to the byte before the checksum.
  const std::size_t length = packet.ReplyLength() > 0 ? packet.ReplyLength() - 1 : 0;
  out << HexBytes(packet.ReplyArea().data(), length) << '\n' << std::flush;
  return CheckedOutput(out, err);
}

}  // namespace

void AddRawVerb(CLI::App& app, VerbContext& context) {
  auto args = std::make_shared<RawArguments>();
  CLI::App* raw = app.add_subcommand("raw", "run command CODE with payload bytes, print the reply");
  raw->add_option("CODE", args->code, "command code, 0 to 255")->required();
  raw->add_option("HEX", args->bytes, "payload bytes, two hex digits each");
  raw->callback([&context, args] {
    context.run = [&context, args] {
      return Raw(*args, context.options, context.out, context.err);
    };
  });
}

}  // namespace keldaro::cli
