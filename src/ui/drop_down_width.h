// A list box whose entries are longer than the closed box: the drop-down is widened to its
// longest entry, and the closed box shows the end of its text, where paths differ.
#pragma once

#include <QComboBox>

namespace keldaro::ui {

// The drop-down list as wide as the longest item (with the list's frame and scroll bar); the
// closed box keeps its width. Called again after the items change.
void FitDropDownToItems(QComboBox& box);

// The editable box's text scrolled to its end once it has been edited, so
// "/dev/serial/by-id/usb-…-if00-port0" shows the part that tells ports apart.
void ShowEndOfText(QComboBox& box);

}  // namespace keldaro::ui
