// Building the windows' and tabs' controls: each under its control name (with its hint where it
// has one), editable lists that take typed text as well as their items, spin fields with their
// limits.
#pragma once

#include <QComboBox>
#include <QSpinBox>
#include <QStringList>

#include "core/int_limits.h"
#include "link/line_speeds.h"

namespace keldaro::ui {

template <typename W>
W* Named(W* widget, const char* name, const char* hint = nullptr) {
  widget->setObjectName(name);
  if (hint != nullptr) widget->setToolTip(hint);
  return widget;
}

inline QComboBox* EditableList(const char* name, const QStringList& items, QWidget* parent) {
  auto* box = Named(new QComboBox(parent), name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->addItems(items);
  return box;
}

// The line speeds as a speed list's items, slowest first.
inline QStringList LineSpeedItems() {
  QStringList items;
  for (int speed : kLineSpeeds) items << QString::number(speed);
  return items;
}

inline QSpinBox* SpinField(const char* name, IntLimits limits, int value, QWidget* parent) {
  auto* spin = Named(new QSpinBox(parent), name);
  spin->setRange(limits.min, limits.max);
  spin->setValue(value);
  return spin;
}

}  // namespace keldaro::ui
