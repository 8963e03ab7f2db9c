// Every event handler runs inside RunGuarded, so no exception leaves a Qt slot: a control text
// that does not convert ends the handler with the conversion error's message in the general
// error box, under the title kGeneralErrorTitle.
#pragma once

#include <QObject>
#include <functional>

#include "link/notifier.h"
#include "ui/dialog_owner.h"

namespace keldaro::ui {

inline constexpr const char* kGeneralErrorTitle = "Error";

void RunGuarded(Notifier& notifier, const std::function<void()>& handler);

// Connects `signal` of `sender` to `handler` (a callable taking no arguments) run guarded, with
// the window of `context` in hand meanwhile.
template <typename Sender, typename Signal, typename Handler>
void ConnectGuarded(Notifier& notifier, Sender* sender, Signal signal, QObject* context,
                    Handler handler) {
  QObject::connect(sender, signal, context, [&notifier, handler, context] {
    const WindowInHand in_hand(context);
    RunGuarded(notifier, handler);
  });
}

}  // namespace keldaro::ui
