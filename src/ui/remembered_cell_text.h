// The text a rejected cell edit puts back. One text for the whole window, shared by every grid
// whose cells are checked while typed: whichever grid was used last wins.
#pragma once

#include <QString>

namespace keldaro::ui {

struct RememberedCellText {
  QString text;
};

}  // namespace keldaro::ui
