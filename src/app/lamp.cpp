#include "app/lamp.h"

#include <QPainter>

namespace keldaro::app {

Lamp::Lamp(QWidget* parent) : QWidget(parent) { setFixedSize(sizeHint()); }

void Lamp::SetColor(const QColor& color) {
  color_ = color;
  update();
}

void Lamp::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::black);
  painter.setBrush(color_);
  painter.drawEllipse(rect().adjusted(1, 1, -2, -2));
}

}  // namespace keldaro::app
