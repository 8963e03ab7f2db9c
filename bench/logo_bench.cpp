// The receipt logo, timed in one run:
//  1. one conversion of a 384 x 250 picture, dithered and thresholded, in microseconds of wall
//     time and of the thread's own CPU time (which other work on the machine does not swell),
//     with the heap allocations made meanwhile counted (there should be none);
//  2. the full logo (header and 250 rows of command 36) sent to the virtual scale paced at
//     115200 baud, against the wire-time limit: bytes on the line x 10 bits / baud.
// Run from a release build: build-release/bench/logo_bench
#include <time.h>

#include <QImage>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "bench_support.h"
#include "link/scale_session.h"
#include "logo/logo_conversion.h"
#include "logo/logo_picture.h"
#include "logo/logo_transfer.h"
#include "sim/virtual_scale.h"

// Every heap allocation of the program passes through here and is counted.
namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using Clock = std::chrono::steady_clock;
using keldaro::logo::kLogoWidth;
using keldaro::logo::kMaxLogoRows;

constexpr int kBaud = 115200;
constexpr int kConversions = 2000;

// A full-size picture of gradients and stripes, so the diffusion has errors to spread.
QImage Picture() {
  QImage picture(kLogoWidth, kMaxLogoRows, QImage::Format_RGB32);
  for (int y = 0; y < kMaxLogoRows; ++y) {
    for (int x = 0; x < kLogoWidth; ++x) {
      const int v = (x * 255 / kLogoWidth + (y / 25 % 2) * 64 + (x / 12 % 3) * 20) % 256;
      picture.setPixel(x, y, qRgb(v, (v + y) % 256, 255 - v));
    }
  }
  return picture;
}

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

struct Timed {
  double microseconds;      // wall time per conversion
  double cpu_microseconds;  // the thread's CPU time per conversion
  long allocations;         // during all of them
};

template <typename Convert>
Timed TimeConversions(Convert convert) {
  convert();  // warm caches
  const long before = allocations;
  const double cpu_start = ThreadCpuSeconds();
  const auto start = Clock::now();
  for (int i = 0; i < kConversions; ++i) convert();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu_seconds = ThreadCpuSeconds() - cpu_start;
  return {seconds * 1e6 / kConversions, cpu_seconds * 1e6 / kConversions, allocations - before};
}

void ReportConversion(const char* what, const Timed& t) {
  std::printf(
      "%s: %.1f us per conversion (%.1f us CPU; %d runs), %ld heap allocations during them\n", what,
      t.microseconds, t.cpu_microseconds, kConversions, t.allocations);
}

}  // namespace

int main() {
  keldaro::logo::LogoPicture picture;
  const long before_load = allocations;
  picture.Load(Picture(), {});
  // The counter sees Qt's allocations too: reading in a picture makes some.
  std::printf("allocations counted while a picture was loaded (not a conversion): %ld\n",
              allocations - before_load);
  keldaro::logo::LogoConversion conversion;
  {
    const QImage full = Picture();
    conversion.BeginLoad(kMaxLogoRows);
    for (int y = 0; y < kMaxLogoRows; ++y) {
      conversion.LoadRow(y, reinterpret_cast<const std::uint32_t*>(full.constScanLine(y)),
                         kLogoWidth);
    }
  }
  const Timed dithered = TimeConversions([&] { conversion.Convert({0, 128, false}); });
  const Timed thresholded = TimeConversions([&] { conversion.Convert({0, 128, true}); });
  const Timed with_preview = TimeConversions([&] { picture.Convert({10, 200, false}); });
  ReportConversion("384 x 250 conversion, dithered", dithered);
  ReportConversion("384 x 250 conversion, threshold", thresholded);
  ReportConversion("384 x 250 conversion, dithered, with the 32-bit preview", with_preview);

  keldaro::bench::ScaleOnPty link(/*paced=*/true);
  if (!link.Connect(kBaud)) return 1;
  keldaro::ScaleSession& session = link.session();
  std::size_t bytes = 0;
  session.SetLineTap(
      [&](keldaro::LineDirection, const std::uint8_t*, std::size_t n) { bytes += n; });
  keldaro::transfer::SilentProgress progress;
  const auto start = Clock::now();
  const bool ok = keldaro::logo::SendLogo(session, picture.preview(), progress).ok;
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double limit = bytes * 10.0 / kBaud;
  std::printf(
      "full logo (251 commands) at %d baud: %s, %zu bytes on the line, wire-time limit %.3f s, "
      "measured %.3f s, ratio %.4f\n",
      kBaud, ok ? "complete" : "FAILED", bytes, limit, seconds, seconds / limit);
  const bool no_allocations =
      dithered.allocations == 0 && thresholded.allocations == 0 && with_preview.allocations == 0;
  return ok && no_allocations ? 0 : 1;
}
