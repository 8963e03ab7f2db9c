// logo convert | send: a picture turned into the receipt logo as the logo window turns it,
// written to a file or sent to the scale with command 36.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/file_io.h"
#include "cli/stderr_notifier.h"
#include "cli/verb.h"
#include "logo/logo_limits.h"
#include "logo/logo_picture.h"
#include "logo/logo_transfer.h"
#include "logo/preview_file.h"

namespace keldaro::cli {
namespace {

struct LogoArguments {
  std::string image;
  std::string out;
  logo::Adjustment adjustment;
};

// Reads and converts the picture; a file that is not one is said on stderr as the window's
// message box says it.
bool LoadPicture(const LogoArguments& args, logo::LogoPicture& picture, std::ostream& err) {
  QString reason;
  if (picture.Load(QString::fromStdString(args.image), args.adjustment, reason)) return true;
  StderrNotifier(err).Error("Error", logo::kNotValidText, reason.toStdString());
  return false;
}

int LogoConvert(const LogoArguments& args, std::ostream& out, std::ostream& err) {
  if (const QString suffix = logo::UnwrittenPictureSuffix(QString::fromStdString(args.out));
      !suffix.isEmpty()) {
    const std::string written = "the logo is written as PNG (PBM for a .pbm name)";
    return BadUsage(err,
                    "--out " + args.out + ": " + written + ", not as ." + suffix.toStdString());
  }
  if (!OutputWritable(args.out, err)) return kExitBadInput;
  logo::LogoPicture picture;
  if (!LoadPicture(args, picture, err)) return kExitBadInput;
  const QByteArray file = logo::IsPbmName(QString::fromStdString(args.out))
                              ? logo::PreviewPbm(picture.preview())
                              : logo::PreviewPng(picture.preview());
  return WriteOutput(args.out, file.toStdString(), out, err);
}

int LogoSend(const LogoArguments& args, const CliOptions& options, std::ostream& err) {
  logo::LogoPicture picture;
  if (!LoadPicture(args, picture, err)) return kExitBadInput;  // before the port is opened
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  CliProgress progress(err);
  const transfer::RunResult sent = logo::SendLogo(link.session(), picture.preview(), progress);
  if (sent.Complete()) return kExitOk;
  // Rows go out after a header command: a link failure leaves the row in hand in doubt, a stop
  // between rows none.
  const int rows = picture.preview().height();
  err << (StopRequested() ? "stopped" : "failed") << " after " << sent.done << " of " << rows
      << " logo rows sent";
  if (!sent.ok) {
    err << (sent.done == 0 ? "; the header or row 1" : "; row " + std::to_string(sent.done + 1))
        << " may not have reached the scale";
  }
  err << "; the scale's logo is incomplete: send it again\n";
  return FailedRunExit();
}

void AddConversionOptions(CLI::App& verb, LogoArguments& args) {
  verb.add_option("IMAGE", args.image, "the picture: BMP, PNG, JPEG or GIF")
      ->required()
      ->type_name("IMAGE");
  verb.add_option("--brightness", args.adjustment.brightness,
                  "added to every gray value, as the brightness track bar (default 0)")
      ->type_name("N")
      ->check(CLI::Range(logo::kBrightnessLimits.min, logo::kBrightnessLimits.max));
  verb.add_option("--contrast", args.adjustment.contrast,
                  "the contrast track bar's position (default 128)")
      ->type_name("N")
      ->check(CLI::Range(logo::kContrastLimits.min, logo::kContrastLimits.max));
  verb.add_flag("--threshold", args.adjustment.threshold,
                "a plain threshold at 128 instead of dithering (\"50% Threshold\")");
}

}  // namespace

void AddLogoVerbs(CLI::App& app, VerbContext& context) {
  CLI::App* verb = app.add_subcommand(
      "logo",
      "the receipt logo: a picture made 384 dots wide and two-coloured, as the logo "
      "window makes it");
  verb->require_subcommand(1);
  verb->footer(
      "The picture keeps its left 384 columns and top 250 rows; a narrower one is widened with "
      "white.");

  auto convert_args = std::make_shared<LogoArguments>();
  CLI::App* convert =
      verb->add_subcommand("convert", "write the logo as the window previews it (needs no scale)");
  AddConversionOptions(*convert, *convert_args);
  AddOutOption(*convert, convert_args->out,
               "the preview as PNG, or as binary PBM (P4) when FILE ends in .pbm", false)
      ->required();
  convert->callback([&context, convert_args] {
    context.run = [&context, convert_args] {
      return LogoConvert(*convert_args, context.out, context.err);
    };
  });

  auto send_args = std::make_shared<LogoArguments>();
  CLI::App* send =
      verb->add_subcommand("send", "convert and send the logo to the scale (command 36)");
  AddConversionOptions(*send, *send_args);
  send->callback([&context, send_args] {
    context.run = [&context, send_args] {
      return LogoSend(*send_args, context.options, context.err);
    };
  });
}

}  // namespace keldaro::cli
