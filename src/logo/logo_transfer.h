// Sending the logo with command 36: a header with block number 0 and the row count, then one
// packet per row with the running number of its first raster byte (1, 49, 97 ...) and its 48
// bytes. The logo window's "Terazi'ye gönder" and the command line run this same function.
#pragma once

#include <QImage>
#include <cstdint>

#include "link/scale_session.h"
#include "transfer/run_result.h"
#include "transfer/transfer_progress.h"

namespace keldaro::logo {

// The block number of row y: the running number of its first raster byte, counting from 1.
constexpr std::uint16_t RowBlockNumber(int y) { return static_cast<std::uint16_t>(1 + 48 * y); }

// Sends `preview` (a LogoPicture's) row by row; every row is packed before the first command.
// Needs a connection (the session says so when there is none; nothing is shown then). The
// progress display is begun with the row count and advanced to y once row y went through; it is
// ended only when every row went through, so a failure leaves it where the last good row put
// it. The progress may stop the run before any row. `done` counts the rows that went through.
transfer::RunResult SendLogo(ScaleSession& session, const QImage& preview,
                             transfer::TransferProgress& progress);

}  // namespace keldaro::logo
