// What the timing programs share: message boxes printed to stderr so a failed run is seen, a
// PLU run nobody stops, a paced virtual scale, and a virtual scale with a session connected to
// it.
#pragma once

#include <QLocale>
#include <cstdio>
#include <memory>
#include <string>

#include "link/notifier.h"
#include "link/scale_session.h"
#include "plu/plu_sheet.h"
#include "plu/plu_transfer.h"
#include "sim/virtual_scale.h"

namespace keldaro::bench {

class StderrNotifier : public Notifier {
 public:
  void Error(const std::string& title, const std::string& text,
             const std::string& detail) override {
    std::fprintf(stderr, "%s %s %s\n", title.c_str(), text.c_str(), detail.c_str());
    ++errors;
  }
  bool Confirm(const std::string&, const std::string&) override { return true; }
  void Beep() override {}
  int errors = 0;
};

// Fills every PLU slot of `scale` (a full table): price `price_of(n)`, code n, name "URUN n".
template <typename PriceOf>
void FillEveryPlu(sim::VirtualScale& scale, PriceOf price_of) {
  scale.WithState([&](sim::ScaleState& state) {
    for (int n = 0; n < sim::ScaleState::kPluSlots; ++n) {
      sim::PluSlot& slot = state.plu[static_cast<std::size_t>(n)];
      slot.price = price_of(n);
      slot.code = n;
      slot.name = "URUN " + std::to_string(n);
    }
  });
}

// Reads the whole PLU table (1 to 1799) as the window does, with nobody watching. True when every
// record arrived.
inline bool ReadWholeTable(ScaleSession& session) {
  plu::PluSheet sheet;
  transfer::SilentProgress progress;
  return plu::ReadRange(session, sheet, {1, 1799}, progress, QLocale::system().decimalPoint().at(0),
                        false)
      .ok;
}

// A paced scale holds every byte to the line speed the session opened, so a run's time can be
// set against the wire's.
inline sim::ScaleOptions PacingOptions(bool paced) {
  sim::ScaleOptions options;
  options.faults.pace = paced;
  return options;
}

// A paced virtual scale serving on its pseudo-terminal; nothing, with the reason on stderr, when
// it would not start.
inline std::unique_ptr<sim::VirtualScale> StartPacedScale() {
  auto scale = std::make_unique<sim::VirtualScale>(PacingOptions(/*paced=*/true));
  std::string error;
  if (scale->Start(&error)) return scale;
  std::fprintf(stderr, "virtual scale: %s\n", error.c_str());
  return nullptr;
}

// A virtual scale on its pseudo-terminal and a session to it.
class ScaleOnPty {
 public:
  explicit ScaleOnPty(bool paced) : scale_(PacingOptions(paced)) {}
  bool Connect(int baud) {
    std::string identity;
    return scale_.Start() &&
           session_.Connect(PortName::Parse(scale_.SlavePath()).value(), baud, identity);
  }
  sim::VirtualScale& scale() { return scale_; }
  ScaleSession& session() { return session_; }
  const StderrNotifier& notifier() const { return notifier_; }

 private:
  sim::VirtualScale scale_;
  StderrNotifier notifier_;
  ScaleSession session_{notifier_};
};

}  // namespace keldaro::bench
